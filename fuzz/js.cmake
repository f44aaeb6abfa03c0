vorlan_add_fuzzer(fuzz_js ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_js.cpp vorlan_js vorlan_core)
