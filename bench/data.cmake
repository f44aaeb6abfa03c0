add_executable(data_bench ${CMAKE_CURRENT_LIST_DIR}/data_bench.cpp)
target_link_libraries(data_bench PRIVATE vorlan_data benchmark::benchmark vorlan_dbf)
