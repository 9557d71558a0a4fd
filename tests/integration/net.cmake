# The real connection: ENet on 127.0.0.1 with an in-process stand-in server.

# The stand-in server (fakes/enet_test_server.cpp) runs ENet on a thread of its own.
target_link_libraries(ashen_fakes PUBLIC PkgConfig::ENET Threads::Threads)

# Any free port: these run in parallel with everything else.
add_executable(net_tests ${CMAKE_CURRENT_LIST_DIR}/net_connection_test.cpp)
target_link_libraries(net_tests PRIVATE ashen_core ashen_fakes GTest::gtest GTest::gtest_main)
gtest_discover_tests(net_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
