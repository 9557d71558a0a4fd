# Debian packages, built by `./run package` with CPack: the client
# (ashen-refuge) and, when it is part of the build, the game server
# (ashen-refuge-server). Paths are relative to /usr.
set(ASHEN_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ASHEN_MAINTAINER "Ashen Refuge developers <dev@ashen-refuge.org>")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian wants a compressed changelog and a copyright file in each package's doc folder.
string(TIMESTAMP ASHEN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${ASHEN_PACKAGING_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(ashen_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

function(ashen_install_docs package component)
  install(FILES ${ASHEN_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DESTINATION share/doc/${package} COMPONENT ${component})
endfunction()

# The client finds its sounds beside its executable, so both live in one private folder.
install(TARGETS AshenRefuge DESTINATION lib/ashen-refuge COMPONENT client)
install(DIRECTORY ${ASHEN_SOUNDS_DIR}/ DESTINATION lib/ashen-refuge/Sounds COMPONENT client
  PATTERN .generated EXCLUDE)
# Debian keeps games' commands in /usr/games, which is on every player's PATH.
install(PROGRAMS ${ASHEN_PACKAGING_DIR}/ashen-refuge DESTINATION games COMPONENT client)
install(FILES ${ASHEN_PACKAGING_DIR}/ashen-refuge.desktop DESTINATION share/applications COMPONENT client)
ashen_install_docs(ashen-refuge client)
set(ASHEN_PACKAGE_COMPONENTS client)

if(TARGET AshenServer)
  install(TARGETS AshenServer DESTINATION lib/ashen-refuge-server COMPONENT server)
  install(FILES ${ASHEN_PACKAGING_DIR}/server/ashen-refuge-server.service
    DESTINATION /lib/systemd/system COMPONENT server)
  ashen_install_docs(ashen-refuge-server server)
  list(APPEND ASHEN_PACKAGE_COMPONENTS server)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ASHEN_PACKAGE_COMPONENTS})
set(CPACK_PACKAGE_NAME ashen-refuge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ASHEN_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE ashen-refuge)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Library dependencies come from dpkg-shlibdeps: SDL2, OpenAL Soft, libsndfile,
# libspeechd, libcurl, ENet and the rest the binaries really link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME ashen-refuge)
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "speech-dispatcher, speech-dispatcher-espeak-ng")
# CPack indents the long description itself.
set(CPACK_COMPONENT_CLIENT_DESCRIPTION "audio-only online zombie survival game
Ashen Refuge is an online, multiplayer zombie-survival game made for blind
and partially sighted players. Everything is spoken through speech-dispatcher
and the world is positional 3D sound; it is played with the keyboard alone,
in French.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME ashen-refuge-server)
# Not a game to play (lintian wants one in /usr/games for the games section).
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS adduser)
# SQLite is built in; PostgreSQL (--database) only for servers that share accounts. libpq5 itself comes from shlibdeps.
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS postgresql)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
  ${ASHEN_PACKAGING_DIR}/server/postinst ${ASHEN_PACKAGING_DIR}/server/prerm ${ASHEN_PACKAGING_DIR}/server/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "game server for Ashen Refuge
The server of the audio-only zombie-survival game Ashen Refuge, for a LAN or
an Internet host. It runs as a systemd service under its own system user and
keeps its accounts in /var/lib/ashen-refuge-server, or in a PostgreSQL
database that several servers share.")

include(CPack)
