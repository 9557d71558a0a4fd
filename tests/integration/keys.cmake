# Character-to-key lookup on the X server's keymap (French layout, under Xvfb),
# and without any display.
add_executable(keys_layout_test ${CMAKE_CURRENT_LIST_DIR}/keys_layout_test.cpp)
target_link_libraries(keys_layout_test PRIVATE ashen_core ashen_platform GTest::gtest GTest::gtest_main)
foreach(name lookup held)
  set(filter FrenchLayout.LookupFollowsTheLiveKeymap)
  if(name STREQUAL "held")
    set(filter FrenchLayout.CharacterChordsFollowHeldKeys)
  endif()
  add_test(NAME keys_french_${name} COMMAND ${CMAKE_CURRENT_LIST_DIR}/with_xvfb.sh --layout fr
    $<TARGET_FILE:keys_layout_test> --gtest_filter=${filter})
  set_tests_properties(keys_french_${name} PROPERTIES SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 120)
endforeach()
# SDL's video start-up leaks inside libdbus and in modules it unloads again; the
# window test alone goes without the leak check (the lookup test keeps it).
set_tests_properties(keys_french_held PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")

add_test(NAME keys_layout_no_display COMMAND keys_layout_test --gtest_filter=NoDisplay.*)
