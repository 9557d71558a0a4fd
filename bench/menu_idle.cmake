# The client idle in the main menu: resident memory and CPU against a bare
# sleep loop. Run: bench/menu_idle.sh build
add_executable(sleep_loop ${CMAKE_CURRENT_LIST_DIR}/sleep_loop.cpp)
set_target_properties(sleep_loop PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(sleep_loop AshenRefuge ashen_sounds)
