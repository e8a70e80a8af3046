# The installed layout: programs in bin/, the game data read-only in share/quillmark-rallix/base/
# and the README and licence in share/doc/quillmark-rallix/. The data is generated afresh at
# install time, so settings, progress or a log left in build/run/base by playing there are never
# installed.
include(GNUInstallDirs)

set(RALLIX_PACKAGE quillmark-rallix)
set(RALLIX_SHARED_DATA_DIR ${CMAKE_INSTALL_DATADIR}/${RALLIX_PACKAGE})

install(TARGETS rallix-game aru-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET aruConfig)
  install(TARGETS aruConfig RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(RALLIX_PRISTINE_DATA ${CMAKE_BINARY_DIR}/install-data)
install(CODE "
  file(REMOVE_RECURSE \"${RALLIX_PRISTINE_DATA}\")
  execute_process(COMMAND \"$<TARGET_FILE:assetgen>\" \"${RALLIX_PRISTINE_DATA}\" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR \"generating the game data for installation failed (\${status})\")
  endif()")
install(DIRECTORY ${RALLIX_PRISTINE_DATA}/base/
  DESTINATION ${RALLIX_SHARED_DATA_DIR}/base
  FILE_PERMISSIONS OWNER_READ GROUP_READ WORLD_READ
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
  PATTERN shots EXCLUDE)
install(DIRECTORY ${RALLIX_PRISTINE_DATA}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The desktop's menu entry and the software centre's description.
install(FILES tools/desktop/org.quillmark.rallix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES tools/desktop/org.quillmark.rallix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# `cpack -G DEB`: a Debian package of the installed layout under /usr. The libraries the
# programs link come from dpkg-shlibdeps (runtime packages, never -dev ones); OpenGL and Mesa's drivers and
# the font are loaded at run time, so they are named here.
set(CPACK_PACKAGE_NAME ${RALLIX_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_CONTACT "Quillmark <rallix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "three-dimensional pong against the computer or over the network")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package carries the programs without their debugging symbols, which are most of their size.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri, fonts-dejavu-core")
include(CPack)
