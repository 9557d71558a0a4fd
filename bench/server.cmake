add_executable(bench_server ${CMAKE_CURRENT_LIST_DIR}/server_bench.cpp)
target_link_libraries(bench_server PRIVATE ashen_server ashen_game)
