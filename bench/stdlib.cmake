add_executable(stdlib_bench ${CMAKE_CURRENT_LIST_DIR}/stdlib_bench.cpp)
target_link_libraries(stdlib_bench PRIVATE vorlan_stdlib vorlan_pascal benchmark::benchmark vorlan_library)
