# The real AshenServer over ENet on 127.0.0.1, each test with its own server on a free port.
add_executable(server_enet_tests ${CMAKE_CURRENT_LIST_DIR}/server_enet_test.cpp)
target_link_libraries(server_enet_tests PRIVATE ashen_server GTest::gtest GTest::gtest_main)
target_compile_definitions(server_enet_tests PRIVATE ASHEN_SERVER_EXE="$<TARGET_FILE:AshenServer>"
  ASHEN_PG_CLUSTER_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/postgres_cluster.sh")
add_dependencies(server_enet_tests AshenServer)
gtest_discover_tests(server_enet_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)

# Two whole clients, each in a process of its own, lose the server again and
# again (server_loss_soak.sh, outside CTest, kills it more often).
add_executable(server_loss_tests ${CMAKE_CURRENT_LIST_DIR}/server_loss_test.cpp)
target_include_directories(server_loss_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(server_loss_tests PRIVATE ashen_core ashen_fakes GTest::gtest GTest::gtest_main)
target_compile_definitions(server_loss_tests PRIVATE ASHEN_SERVER_EXE="$<TARGET_FILE:AshenServer>")
add_dependencies(server_loss_tests AshenServer)
gtest_discover_tests(server_loss_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 180)

# A new player's account, lobby and whole first game through the client's main
# loop against the real server, which takes the main port.
add_executable(first_game_tests ${CMAKE_CURRENT_LIST_DIR}/first_game_test.cpp)
target_include_directories(first_game_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(first_game_tests PRIVATE ashen_core ashen_fakes GTest::gtest GTest::gtest_main)
target_compile_definitions(first_game_tests PRIVATE ASHEN_SERVER_EXE="$<TARGET_FILE:AshenServer>")
add_dependencies(first_game_tests AshenServer)
gtest_discover_tests(first_game_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES RESOURCE_LOCK ashen_game_server_ports TIMEOUT 300)

