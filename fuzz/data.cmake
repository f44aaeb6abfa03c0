vorlan_add_fuzzer(fuzz_csv ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_csv.cpp vorlan_data)
vorlan_add_fuzzer(fuzz_text_import ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_text_import.cpp vorlan_data vorlan_dbf)
