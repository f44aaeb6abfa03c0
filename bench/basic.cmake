add_executable(basic_bench ${CMAKE_CURRENT_LIST_DIR}/basic_bench.cpp)
target_link_libraries(basic_bench PRIVATE vorlan_basic benchmark::benchmark)
