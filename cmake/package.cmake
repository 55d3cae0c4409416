# What a player gets: a zip to unpack into the folder that holds UE4SS.dll, with the library as
# Mods/Tallyglass/dlls/main.dll, an empty enabled.txt, the commented sample settings and a text
# for players beside Mods (the README's install tree). The install component Tallyglass is that
# tree (`cmake --install BUILD --component Tallyglass --prefix FOLDER`); cmake/zip.cmake zips it
# as Tallyglass-<version>-UE4SS-<UE4SS version>.zip in the build folder, and so does the target
# tallyglass_package.

# The UE4SS version named in the zip's name and the player's text: given (the release job gives
# it through the preset's environment), else the UE4SS clone's tag.
set(TALLYGLASS_UE4SS_VERSION "" CACHE STRING "The UE4SS version named in the zip and its text")
if(NOT TALLYGLASS_UE4SS_MOD OR TARGET simhost)
  set(TALLYGLASS_BUILT_FOR
      "This build is a test build: its main.dll loads only into Tallyglass's simulated UE4SS\nhost (the tallyglass-sim tool), not into a game. Take a build made for your UE4SS.")
  set(tallyglass_ue4ss_named simulated)
else()
  set(tallyglass_ue4ss_named "${TALLYGLASS_UE4SS_VERSION}")
  if(NOT tallyglass_ue4ss_named)
    find_package(Git QUIET)
    get_target_property(tallyglass_ue4ss_dir UE4SS SOURCE_DIR)
    if(GIT_FOUND AND tallyglass_ue4ss_dir)
      execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --always
                      WORKING_DIRECTORY ${tallyglass_ue4ss_dir}
                      OUTPUT_VARIABLE tallyglass_ue4ss_named
                      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endif()
  if(tallyglass_ue4ss_named)
    set(TALLYGLASS_BUILT_FOR
        "Built for UE4SS ${tallyglass_ue4ss_named}. Each UE4SS version needs a build of its own:\nthis main.dll works only with that version.")
  else()
    set(tallyglass_ue4ss_named unknown)
    set(TALLYGLASS_BUILT_FOR
        "Built for one UE4SS version, not recorded. Each UE4SS version needs a build of its own:\nthis main.dll works only with the one it was built for.")
  endif()
endif()
# A file name whatever a tag holds.
string(REGEX REPLACE "[^A-Za-z0-9._-]" "-" tallyglass_ue4ss_named "${tallyglass_ue4ss_named}")
file(WRITE ${CMAKE_BINARY_DIR}/tallyglass-package.cmake
     "set(tallyglass_zip_name Tallyglass-${TALLYGLASS_VERSION}-UE4SS-${tallyglass_ue4ss_named}.zip)\n")

configure_file(${CMAKE_CURRENT_LIST_DIR}/Tallyglass-README.txt.in
               ${CMAKE_CURRENT_BINARY_DIR}/Tallyglass-README.txt @ONLY NEWLINE_STYLE CRLF)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/enabled.txt "")

set(tallyglass_mod_folder Mods/Tallyglass)
install(FILES $<TARGET_FILE:Tallyglass> DESTINATION ${tallyglass_mod_folder}/dlls
        RENAME main.dll COMPONENT Tallyglass)
install(FILES ${PROJECT_SOURCE_DIR}/Tallyglass.ini ${CMAKE_CURRENT_BINARY_DIR}/enabled.txt
        DESTINATION ${tallyglass_mod_folder} COMPONENT Tallyglass)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/Tallyglass-README.txt DESTINATION .
        COMPONENT Tallyglass)

add_custom_target(tallyglass_package
  COMMAND ${CMAKE_COMMAND} -DTALLYGLASS_BUILD=${CMAKE_BINARY_DIR} -DTALLYGLASS_CONFIG=$<CONFIG>
          -P ${CMAKE_CURRENT_LIST_DIR}/zip.cmake
  VERBATIM)
add_dependencies(tallyglass_package Tallyglass)
