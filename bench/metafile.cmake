add_executable(metafile_bench ${CMAKE_CURRENT_LIST_DIR}/metafile_bench.cpp)
target_link_libraries(metafile_bench PRIVATE vorlan_report_paint benchmark::benchmark)
