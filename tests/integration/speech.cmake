# Speech against a real speech-dispatcher the test starts on a private socket,
# and its fallback to standard output.
add_executable(speech_dispatcher_test ${CMAKE_CURRENT_LIST_DIR}/speech_dispatcher_test.cpp)
target_link_libraries(speech_dispatcher_test PRIVATE ashen_platform GTest::gtest GTest::gtest_main)
# libspeechd leaks on its connection paths, failed ones included.
gtest_discover_tests(speech_dispatcher_test DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0" TIMEOUT 60)
