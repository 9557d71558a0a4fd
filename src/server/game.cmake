# The game's rules (the house, rounds, weapons, the box), pure logic on a clock
# passed in; the server's shell links it.
add_library(ashen_server_game STATIC
  ${CMAKE_CURRENT_LIST_DIR}/game.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_combat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_zombies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_house.cpp)
target_include_directories(ashen_server_game PUBLIC ${CMAKE_SOURCE_DIR}/src)

if(ASHEN_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(server_game_tests ${CMAKE_SOURCE_DIR}/tests/unit/server/game_test.cpp)
  target_link_libraries(server_game_tests PRIVATE ashen_server_game GTest::gtest GTest::gtest_main)
  gtest_discover_tests(server_game_tests DISCOVERY_MODE PRE_TEST)
endif()
if(ASHEN_BENCH)
  add_executable(bench_server_game ${CMAKE_SOURCE_DIR}/bench/server_game_bench.cpp)
  target_link_libraries(bench_server_game PRIVATE ashen_server_game)
endif()
