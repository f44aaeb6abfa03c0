vorlan_add_fuzzer(fuzz_rtf ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_rtf.cpp vorlan_report_charmode)
