# playSound on a crowded zombie bus (audio double), and the client's resident
# memory with every sound loaded (real device on OpenAL Soft's null output).
add_executable(play_sound_bench ${CMAKE_CURRENT_LIST_DIR}/play_sound_bench.cpp)
target_link_libraries(play_sound_bench PRIVATE ashen_core ashen_fakes benchmark::benchmark)

# Beside the client, so it finds Sounds/ where the client does.
add_executable(sound_memory ${CMAKE_CURRENT_LIST_DIR}/sound_memory.cpp)
target_link_libraries(sound_memory PRIVATE ashen_core ashen_platform)
set_target_properties(sound_memory PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(sound_memory ashen_sounds)
