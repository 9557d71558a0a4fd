add_executable(bench_server ${CMAKE_CURRENT_LIST_DIR}/server_bench.cpp)
target_link_libraries(bench_server PRIVATE ashen_server ashen_game)
# One tick of many games at once, paths included.
add_executable(bench_server_game ${CMAKE_CURRENT_LIST_DIR}/server_game_bench.cpp)
target_link_libraries(bench_server_game PRIVATE ashen_game)
