vorlan_add_fuzzer(fuzz_basic ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_basic.cpp vorlan_basic)
