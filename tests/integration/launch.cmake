# The real client's start without a display.
add_test(NAME client_without_display
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/no_display.sh $<TARGET_FILE:AshenRefuge>)
# SDL's video start-up leaks inside libdbus.
set_tests_properties(client_without_display PROPERTIES TIMEOUT 90 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
