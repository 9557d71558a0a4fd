# The real HTTPS GET against a local openssl s_server with certificates made at test time.
add_executable(https_get_test ${CMAKE_CURRENT_LIST_DIR}/https_get_test.cpp)
target_link_libraries(https_get_test PRIVATE ashen_platform GTest::gtest GTest::gtest_main)
gtest_discover_tests(https_get_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
