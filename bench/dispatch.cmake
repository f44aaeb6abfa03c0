add_executable(dispatch_bench ${CMAKE_CURRENT_LIST_DIR}/dispatch_bench.cpp)
target_link_libraries(dispatch_bench PRIVATE vorlan_script benchmark::benchmark)
