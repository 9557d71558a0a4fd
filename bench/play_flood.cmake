# A flood of "PLAY_SOUND:" messages through the real audio device (null output).
# Beside the client, so it finds Sounds/ where the client does.
add_executable(play_flood ${CMAKE_CURRENT_LIST_DIR}/play_flood.cpp)
target_link_libraries(play_flood PRIVATE ashen_core ashen_platform)
set_target_properties(play_flood PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(play_flood ashen_sounds)
