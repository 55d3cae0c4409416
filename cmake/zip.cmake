# The zip for players from a built tree: the install component Tallyglass staged afresh in the
# build folder, zipped there. The one packaging step of `make package`, the release job, a
# modder's build and the package test (docs/building.md):
#   cmake -DTALLYGLASS_BUILD=<build folder> [-DTALLYGLASS_CONFIG=<configuration>] -P zip.cmake
cmake_minimum_required(VERSION 3.18)
if(NOT TALLYGLASS_BUILD)
  message(FATAL_ERROR "No build folder: cmake -DTALLYGLASS_BUILD=<build folder> -P zip.cmake")
endif()
get_filename_component(build "${TALLYGLASS_BUILD}" ABSOLUTE)
if(NOT EXISTS ${build}/tallyglass-package.cmake)
  message(FATAL_ERROR "${build} is no configured build of Tallyglass (no tallyglass-package.cmake)")
endif()
include(${build}/tallyglass-package.cmake)

set(stage ${build}/tallyglass-stage)
set(zip ${build}/${tallyglass_zip_name})
file(REMOVE_RECURSE ${stage} ${zip})
set(config "")
if(TALLYGLASS_CONFIG)
  set(config --config ${TALLYGLASS_CONFIG})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${build} --component Tallyglass
                        --prefix ${stage} ${config}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Installing the component Tallyglass of ${build} failed (${failed})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Mods Tallyglass-README.txt
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Zipping ${stage} failed (${failed})")
endif()
message(STATUS "Zipped: ${zip}")
