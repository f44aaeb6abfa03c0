# PDF writing speed of report pages (needs the Qt front end).
if(TARGET vorlan_ui_qt_report)
    add_executable(report_pdf_bench ${CMAKE_CURRENT_LIST_DIR}/report_pdf_bench.cpp)
    target_link_libraries(report_pdf_bench PRIVATE vorlan_ui_qt_report benchmark::benchmark)
endif()
