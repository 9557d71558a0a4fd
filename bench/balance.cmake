# The game's balance played by bots on a fake clock: rounds reached alone and
# in teams of four. The full run (200 games each) is the benchmark; CTest
# plays a few short games so that the bots and the game keep working together.
add_executable(balance_sim ${CMAKE_CURRENT_LIST_DIR}/balance_sim.cpp ${CMAKE_CURRENT_LIST_DIR}/balance_bot.cpp)
target_link_libraries(balance_sim PRIVATE ashen_game)
add_test(NAME balance_smoke COMMAND balance_sim 3 8)
