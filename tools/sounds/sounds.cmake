# The placeholder sound set: generated with sox into Sounds/ beside the client
# executable, and made again only when the recipe changes.
find_program(SOX_EXECUTABLE sox REQUIRED)

set(ASHEN_SOUNDS_DIR ${CMAKE_BINARY_DIR}/Sounds)
set(ASHEN_SOUNDS_STAMP ${ASHEN_SOUNDS_DIR}/.generated)
add_custom_command(OUTPUT ${ASHEN_SOUNDS_STAMP}
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make_sounds.sh ${ASHEN_SOUNDS_DIR}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_sounds.sh
  COMMENT "Generating the placeholder sounds in ${ASHEN_SOUNDS_DIR}"
  VERBATIM)
add_custom_target(ashen_sounds DEPENDS ${ASHEN_SOUNDS_STAMP})
add_dependencies(AshenRefuge ashen_sounds)
