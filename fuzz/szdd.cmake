vorlan_add_fuzzer(fuzz_szdd ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_szdd.cpp vorlan_library)
