# save.dat under kill -9: a child process saves in a loop and is killed at random moments.
add_executable(save_kill_test ${CMAKE_CURRENT_LIST_DIR}/save_kill_test.cpp)
target_include_directories(save_kill_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(save_kill_test PRIVATE ashen_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(save_kill_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
