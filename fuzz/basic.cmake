vorlan_add_fuzzer(fuzz_basic ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_basic.cpp vorlan_basic vorlan_core)
vorlan_add_fuzzer(fuzz_encoded ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_encoded.cpp vorlan_encoded)
