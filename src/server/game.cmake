# The game's own tests, on a fake clock with scripted players, and its tick
# benchmark; the library itself (ashen_game) is built with the server.
if(ASHEN_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(server_game_tests ${CMAKE_SOURCE_DIR}/tests/unit/server_game/game_test.cpp)
  target_link_libraries(server_game_tests PRIVATE ashen_game GTest::gtest GTest::gtest_main)
  gtest_discover_tests(server_game_tests DISCOVERY_MODE PRE_TEST)
endif()
if(ASHEN_BENCH)
  add_executable(bench_server_game ${CMAKE_SOURCE_DIR}/bench/server_game_bench.cpp)
  target_link_libraries(bench_server_game PRIVATE ashen_game)
endif()
