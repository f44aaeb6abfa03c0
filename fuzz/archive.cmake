vorlan_add_fuzzer(fuzz_archive ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_archive.cpp vorlan_archive)
