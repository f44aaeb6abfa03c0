# Start-up registration of the form classes, making controls and reading their properties
# (needs the Qt front end).
if(TARGET vorlan_forms)
    add_executable(forms_bench ${CMAKE_CURRENT_LIST_DIR}/forms_bench.cpp)
    target_link_libraries(forms_bench PRIVATE vorlan_forms benchmark::benchmark)
endif()
