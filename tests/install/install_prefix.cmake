# SPDX-License-Identifier: Zlib
# `cmake --install` of the build folder into a fresh prefix: the files are
# all there and nothing else, the launcher validates, and the installed
# program runs with its embedded data and the installed music.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DSCRATCH=... -P install_prefix.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)

file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}${err}")
endif()
mob_check_installed_files(${prefix} ${SOURCE_DIR})
mob_check_installed_program(${prefix} ${SCRATCH}/run)
file(REMOVE_RECURSE ${SCRATCH})
