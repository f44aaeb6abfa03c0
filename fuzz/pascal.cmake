vorlan_add_fuzzer(fuzz_pascal ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_pascal.cpp vorlan_pascal vorlan_core)
