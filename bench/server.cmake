add_executable(bench_server ${CMAKE_CURRENT_LIST_DIR}/server_bench.cpp)
target_link_libraries(bench_server PRIVATE ashen_server ashen_game)
# One tick of many games at once, paths included.
add_executable(bench_server_game ${CMAKE_CURRENT_LIST_DIR}/server_game_bench.cpp)
target_link_libraries(bench_server_game PRIVATE ashen_game)
# A pinging player's round trip before and during a registration flood, against
# the real server process (or another build's, given as its argument).
add_executable(bench_server_flood ${CMAKE_CURRENT_LIST_DIR}/server_flood_bench.cpp)
target_link_libraries(bench_server_flood PRIVATE ashen_base PkgConfig::ENET)
target_compile_definitions(bench_server_flood PRIVATE ASHEN_SERVER_EXE="$<TARGET_FILE:AshenServer>")
add_dependencies(bench_server_flood AshenServer)
# The lobby's fan-out per step, for crowds up to 2,000, without the network.
add_executable(bench_fanout ${CMAKE_CURRENT_LIST_DIR}/fanout_bench.cpp)
target_link_libraries(bench_fanout PRIVATE ashen_server ashen_game)
