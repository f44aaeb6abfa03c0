# Server tables against table files: walking 1,000,000 records in an index order, seeks and
# locked updates (needs the tests' PostgreSQL server helper, built with the tests).
if(TARGET vorlan_pg_server)
    add_executable(pgsql_bench ${CMAKE_CURRENT_LIST_DIR}/pgsql_bench.cpp)
    target_link_libraries(pgsql_bench PRIVATE vorlan_pg_server vorlan_pgsql vorlan_dbf benchmark::benchmark)
endif()
