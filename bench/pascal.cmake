add_executable(pascal_bench ${CMAKE_CURRENT_LIST_DIR}/pascal_bench.cpp)
target_link_libraries(pascal_bench PRIVATE vorlan_pascal benchmark::benchmark)
