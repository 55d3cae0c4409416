# What a player gets: a zip to unpack into the folder that holds UE4SS.dll, with the library as
# Mods/Tallyglass/dlls/main.dll, an empty enabled.txt, the commented sample settings and a text
# for players beside Mods (the README's install tree). The install component Tallyglass is that
# tree (`cmake --install BUILD --component Tallyglass --prefix FOLDER`); the target
# tallyglass_package zips it as Tallyglass-<version>.zip in the build folder.

# Which host the library loads into, for the player's text.
if(NOT TALLYGLASS_UE4SS_MOD OR TARGET simhost)
  set(TALLYGLASS_BUILT_FOR
      "This build is a test build: its main.dll loads only into Tallyglass's simulated UE4SS\nhost (the tallyglass-sim tool), not into a game. Take a build made for your UE4SS.")
else()
  # The UE4SS clone's tag, unless given.
  set(TALLYGLASS_UE4SS_VERSION "" CACHE STRING "The UE4SS version named in the player's text")
  if(NOT TALLYGLASS_UE4SS_VERSION)
    find_package(Git QUIET)
    get_target_property(tallyglass_ue4ss_dir UE4SS SOURCE_DIR)
    if(GIT_FOUND AND tallyglass_ue4ss_dir)
      execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --always
                      WORKING_DIRECTORY ${tallyglass_ue4ss_dir}
                      OUTPUT_VARIABLE TALLYGLASS_UE4SS_VERSION
                      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endif()
  if(NOT TALLYGLASS_UE4SS_VERSION)
    set(TALLYGLASS_UE4SS_VERSION "(version not recorded)")
  endif()
  set(TALLYGLASS_BUILT_FOR
      "Built for UE4SS ${TALLYGLASS_UE4SS_VERSION}. Each UE4SS version needs a build of its own:\nthis main.dll works only with that version.")
endif()
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

set(tallyglass_stage ${CMAKE_CURRENT_BINARY_DIR}/package)
set(tallyglass_zip ${CMAKE_BINARY_DIR}/Tallyglass-${TALLYGLASS_VERSION}.zip)
add_custom_target(tallyglass_package
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${tallyglass_stage} ${tallyglass_zip}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component Tallyglass
          --prefix ${tallyglass_stage} "$<$<BOOL:$<CONFIG>>:--config;$<CONFIG>>"
  COMMAND ${CMAKE_COMMAND} -E chdir ${tallyglass_stage}
          ${CMAKE_COMMAND} -E tar cf ${tallyglass_zip} --format=zip Mods Tallyglass-README.txt
  COMMAND ${CMAKE_COMMAND} -E echo "The zip for players: ${tallyglass_zip}"
  COMMAND_EXPAND_LISTS VERBATIM)
add_dependencies(tallyglass_package Tallyglass)
