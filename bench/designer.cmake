# The report designer: opening a large template and dragging an element (needs the Qt front end).
if(TARGET vorlan_ui_qt_designer)
    add_executable(designer_bench ${CMAKE_CURRENT_LIST_DIR}/designer_bench.cpp)
    target_link_libraries(designer_bench PRIVATE vorlan_ui_qt_designer benchmark::benchmark)
endif()
