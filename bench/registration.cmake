add_executable(registration_bench ${CMAKE_CURRENT_LIST_DIR}/registration_bench.cpp)
target_link_libraries(registration_bench PRIVATE vorlan_library vorlan_data_script vorlan_console
                                                 vorlan_canvas benchmark::benchmark)
# The canvas needs a picture surface; the tests' recording surface is enough to register with.
target_include_directories(registration_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
