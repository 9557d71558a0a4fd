# The update check's real platform operations: the HTTPS GET against a local
# openssl s_server with certificates made at test time, the detached start.
add_executable(update_platform_test ${CMAKE_CURRENT_LIST_DIR}/update_platform_test.cpp)
target_link_libraries(update_platform_test PRIVATE ashen_platform GTest::gtest GTest::gtest_main)
gtest_discover_tests(update_platform_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
