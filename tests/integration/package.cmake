# The Debian packages built from this build, unpacked and started as a player
# and a host would. Only in the plain build: that is the one packages ship.
if(NOT ASHEN_SANITIZE)
  add_test(NAME debian_packages
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/package_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_LIST_DIR}/with_xvfb.sh
      $<TARGET_EXISTS:AshenServer>)
  set_tests_properties(debian_packages PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
