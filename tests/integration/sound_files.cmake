# The generated sound set loaded the way the client loads it: this test sits
# beside the client, so the executable's folder holds Sounds/ for it too, and
# it opens the real device on OpenAL Soft's silent output.
add_executable(sound_files_test ${CMAKE_CURRENT_LIST_DIR}/sound_files_test.cpp)
target_link_libraries(sound_files_test PRIVATE ashen_core ashen_platform GTest::gtest GTest::gtest_main)
set_target_properties(sound_files_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(sound_files_test ashen_sounds)
gtest_discover_tests(sound_files_test DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "ALSOFT_DRIVERS=null" TIMEOUT 60)
