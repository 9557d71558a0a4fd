# Scripted players walking, chatting and playing against the real server, step
# by step up to 1,000, with a pinging probe: the server's CPU, memory, messages
# and the probe's round trip per step. Its smoke run (a few players for a few
# seconds) is a test of the normal build.
add_executable(bench_load ${CMAKE_CURRENT_LIST_DIR}/load_gen.cpp)
target_link_libraries(bench_load PRIVATE ashen_protocol PkgConfig::ENET)
target_compile_definitions(bench_load PRIVATE ASHEN_SERVER_EXE="$<TARGET_FILE:AshenServer>")
add_dependencies(bench_load AshenServer)
if(ASHEN_TESTS)
  add_test(NAME load_smoke COMMAND bench_load --smoke)
  set_tests_properties(load_smoke PROPERTIES TIMEOUT 120)
endif()
