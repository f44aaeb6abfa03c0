# Memo lines of one long memo line through DbfMemoCount and DbfReadMem, with the character
# widths of the headless measure and, when the Qt front end is built, of a real font.
add_executable(memo_lines_bench ${CMAKE_CURRENT_LIST_DIR}/memo_lines_bench.cpp)
target_link_libraries(memo_lines_bench PRIVATE vorlan_work_areas vorlan_data_script vorlan_data vorlan_dbf vorlan_pascal vorlan_script vorlan_core benchmark::benchmark)
if(TARGET vorlan_ui_qt)
    target_link_libraries(memo_lines_bench PRIVATE vorlan_ui_qt)
    target_compile_definitions(memo_lines_bench PRIVATE VORLAN_BENCH_QT_FONTS=1)
endif()
