# The whole client, headless, against a stand-in game server on the real ports.
add_executable(online_tests ${CMAKE_CURRENT_LIST_DIR}/online_scenario_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/house_scenario_test.cpp)
target_include_directories(online_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(online_tests PRIVATE ashen_core ashen_fakes GTest::gtest GTest::gtest_main)
gtest_discover_tests(online_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES RESOURCE_LOCK ashen_game_server_ports TIMEOUT 120)
