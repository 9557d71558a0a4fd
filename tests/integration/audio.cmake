# The real audio device through OpenAL Soft's loopback device: no sound card needed.
add_executable(openal_loopback_test ${CMAKE_CURRENT_LIST_DIR}/openal_loopback_test.cpp)
target_link_libraries(openal_loopback_test PRIVATE ashen_platform GTest::gtest GTest::gtest_main)
gtest_discover_tests(openal_loopback_test DISCOVERY_MODE PRE_TEST TEST_FILTER "Loopback.*")
# The same device opened for real: with no usable backend, and on the silent one.
add_test(NAME openal_no_device COMMAND openal_loopback_test --gtest_filter=NoDevice.*)
set_tests_properties(openal_no_device PROPERTIES
  ENVIRONMENT "ALSOFT_DRIVERS=no-such-driver;ASHEN_EXPECT_NO_DEVICE=1")
add_test(NAME openal_null_device COMMAND openal_loopback_test --gtest_filter=NullDevice.*)
set_tests_properties(openal_null_device PROPERTIES
  ENVIRONMENT "ALSOFT_DRIVERS=null;ASHEN_EXPECT_NULL_DEVICE=1" TIMEOUT 30)
