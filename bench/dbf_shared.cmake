add_executable(dbf_shared_bench ${CMAKE_CURRENT_LIST_DIR}/dbf_shared_bench.cpp)
target_link_libraries(dbf_shared_bench PRIVATE vorlan_dbf)
if(VORLAN_BUILD_TESTS)
    # The four-writer run at a small size, checked by independent readers.
    add_test(NAME dbf_shared_independent_check
             COMMAND ${PROJECT_SOURCE_DIR}/tests/dbf/shared_check.sh $<TARGET_FILE:dbf_shared_bench>)
    set_tests_properties(dbf_shared_independent_check PROPERTIES SKIP_RETURN_CODE 77)
endif()
