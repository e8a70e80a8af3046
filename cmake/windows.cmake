# The Windows build, cross-compiled with mingw-w64: rallix-game.exe and aru-viewer.exe from the
# engine and game sources against the SDK's own headers and import libraries, the game data made
# by the Linux build's asset generator, the icon resource, and a zip package of the runnable folder.
if(NOT RALLIX_ASSETGEN OR NOT EXISTS "${RALLIX_ASSETGEN}")
  message(FATAL_ERROR "The Windows build takes the game data from the Linux build's asset generator: "
                      "configure with -DRALLIX_ASSETGEN=<linux build>/tools/assetgen/assetgen")
endif()

enable_language(RC)
# Only Windows' own DLLs at run time: the compiler's runtime and winpthread linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
set(CMAKE_WIN32_EXECUTABLE ON)

add_subdirectory(platform/windows)
add_subdirectory(aru)
add_subdirectory(game)
add_subdirectory(tools/viewer)

# Every engine, game and configuration-tool logic source must compile against the SDK: sources
# that no program links (the configuration tool's logic, a folder the libraries do not glob) are
# compiled here as objects only. Its GTK front end is Linux-only.
file(GLOB_RECURSE RALLIX_SDK_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/aru/*.cpp ${CMAKE_SOURCE_DIR}/game/*.cpp ${CMAKE_SOURCE_DIR}/aruConfig/*.cpp)
list(FILTER RALLIX_SDK_SOURCES EXCLUDE REGEX "/aruConfig/gtk/")
foreach(target aru game rallix-game)
  get_target_property(sources ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  foreach(source ${sources})
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE)
    list(REMOVE_ITEM RALLIX_SDK_SOURCES ${source})
  endforeach()
endforeach()
if(RALLIX_SDK_SOURCES)
  add_library(sdk_only_sources OBJECT ${RALLIX_SDK_SOURCES})
  target_include_directories(sdk_only_sources PRIVATE ${CMAKE_SOURCE_DIR}/aruConfig ${CMAKE_SOURCE_DIR}/game)
  target_link_libraries(sdk_only_sources PRIVATE aru)
endif()

# base/ and the icon come from the Linux build's generator, which keeps player data it finds.
set(RALLIX_ICON ${RALLIX_RUN_DIR}/rallix.ico)
set(RALLIX_DATA_STAMP ${RALLIX_RUN_DIR}/base/.generated)
add_custom_command(OUTPUT ${RALLIX_DATA_STAMP} ${RALLIX_ICON}
  COMMAND ${RALLIX_ASSETGEN} ${RALLIX_RUN_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${RALLIX_DATA_STAMP}
  DEPENDS ${RALLIX_ASSETGEN}
  COMMENT "Generating the game data in ${RALLIX_RUN_DIR}/base")
add_custom_target(base_data ALL DEPENDS ${RALLIX_DATA_STAMP} ${RALLIX_ICON})

# Icon resource 101, which the engine loads for its window class.
set(RALLIX_RC ${CMAKE_BINARY_DIR}/rallix.rc)
file(WRITE ${RALLIX_RC} "101 ICON \"${RALLIX_ICON}\"\n")
set_source_files_properties(${RALLIX_RC} PROPERTIES OBJECT_DEPENDS ${RALLIX_ICON})
target_sources(rallix-game PRIVATE ${RALLIX_RC})
target_sources(aru-viewer PRIVATE ${RALLIX_RC})
add_dependencies(rallix-game base_data)
add_dependencies(aru-viewer base_data)

# The package: the programs, base/ as generated (no log, pictures or build stamp), README, licence.
install(TARGETS rallix-game aru-viewer RUNTIME DESTINATION .)
install(DIRECTORY ${RALLIX_RUN_DIR}/base DESTINATION .
  PATTERN "errlog.html" EXCLUDE
  PATTERN ".generated" EXCLUDE
  PATTERN "*.tmp" EXCLUDE
  REGEX "/base/shots/.+" EXCLUDE)
file(GLOB RALLIX_LICENCE ${CMAKE_SOURCE_DIR}/LICENSE* ${CMAKE_SOURCE_DIR}/LICENCE* ${CMAKE_SOURCE_DIR}/COPYING*)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${RALLIX_LICENCE} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME rallix)
set(CPACK_PACKAGE_FILE_NAME rallix-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
