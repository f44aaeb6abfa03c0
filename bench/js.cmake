add_executable(js_bench ${CMAKE_CURRENT_LIST_DIR}/js_bench.cpp)
target_link_libraries(js_bench PRIVATE vorlan_js benchmark::benchmark)
