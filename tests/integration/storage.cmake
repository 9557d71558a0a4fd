# The storage interface against SQLite and against a private PostgreSQL
# cluster that each run starts once and removes (postgres_cluster.sh); the
# PostgreSQL half is skipped, said why, when PostgreSQL is not installed.
add_executable(storage_tests ${CMAKE_CURRENT_LIST_DIR}/storage_test.cpp)
target_include_directories(storage_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(storage_tests PRIVATE ashen_server GTest::gtest)
target_compile_definitions(storage_tests PRIVATE
  ASHEN_PG_CLUSTER_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/postgres_cluster.sh")
add_test(NAME storage_sqlite COMMAND storage_tests --gtest_filter=*/SQLite)
add_test(NAME storage_postgresql COMMAND storage_tests --gtest_filter=*/PostgreSQL)
set_tests_properties(storage_sqlite storage_postgresql PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
