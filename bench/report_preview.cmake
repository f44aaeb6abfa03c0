# The report preview: opening it on a long run and turning its pages (needs the Qt front end).
if(TARGET vorlan_ui_qt_report)
    add_executable(report_preview_bench ${CMAKE_CURRENT_LIST_DIR}/report_preview_bench.cpp)
    target_link_libraries(report_preview_bench PRIVATE vorlan_ui_qt_report benchmark::benchmark)
endif()
