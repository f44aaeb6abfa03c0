add_executable(library_bench ${CMAKE_CURRENT_LIST_DIR}/library_bench.cpp)
target_link_libraries(library_bench PRIVATE vorlan_library benchmark::benchmark vorlan_script)
