# SPDX-License-Identifier: Zlib
# The Debian package: cpack builds it from the build folder; its control
# fields name the package, its version, section, maintainer and the packages
# of the libraries the program needs; its files have the owners and modes of
# an installed program; extracted with dpkg -x into a fresh root, the tree
# under usr/ is complete and the program runs from there.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DSCRATCH=... -P deb_package.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)

# The version the build folder was configured with.
include(${BUILD_DIR}/CPackConfig.cmake)
set(VERSION ${CPACK_PACKAGE_VERSION})
if(NOT VERSION MATCHES "^[0-9][0-9A-Za-z.+~-]*$")
  message(FATAL_ERROR "\"${VERSION}\" is not a Debian version")
endif()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${SCRATCH}/out
  WORKING_DIRECTORY ${SCRATCH}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs ${SCRATCH}/out/*.deb)
list(LENGTH debs deb_count)
if(NOT rc EQUAL 0 OR NOT deb_count EQUAL 1)
  message(FATAL_ERROR "cpack -G DEB (exit ${rc}) made ${deb_count} packages:\n${out}${err}")
endif()
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(deb_name ${debs} NAME)
if(NOT deb_name STREQUAL "mobwright_${VERSION}_${arch}.deb")
  message(FATAL_ERROR "the package is ${deb_name}, expected mobwright_${VERSION}_${arch}.deb")
endif()

function(control_field name variable)
  execute_process(COMMAND dpkg-deb -f ${debs} ${name} RESULT_VARIABLE rc OUTPUT_VARIABLE value
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -f ${debs} ${name} failed")
  endif()
  set(${variable} "${value}" PARENT_SCOPE)
endfunction()
control_field(Package package)
control_field(Version version)
control_field(Architecture architecture)
control_field(Section section)
control_field(Priority priority)
control_field(Maintainer maintainer)
control_field(Description description)
control_field(Depends depends)
if(NOT package STREQUAL "mobwright" OR NOT version STREQUAL "${VERSION}" OR NOT architecture STREQUAL "${arch}"
   OR NOT section STREQUAL "graphics" OR NOT priority STREQUAL "optional")
  message(FATAL_ERROR "control fields: Package ${package}, Version ${version}, Architecture ${architecture}, "
    "Section ${section}, Priority ${priority}")
endif()
if(NOT maintainer MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
  message(FATAL_ERROR "Maintainer is not \"Name <address>\": ${maintainer}")
endif()
# A one-line summary and a longer text below it.
if(NOT description MATCHES "^[^\n]+\n .+")
  message(FATAL_ERROR "Description lacks its summary or its long text: ${description}")
endif()
# dpkg-shlibdeps finds the C library, SDL and the format libraries, each with
# the least version from its shlibs file; OpenAL, opened at run time, is named
# by the packaging rules.
foreach(dependency libc6 libsdl2-2.0-0 libpng16-16 zlib1g libjson-c5 libvorbisfile3)
  if(NOT depends MATCHES "(^|, )${dependency} \\(>= [^)]+\\)(,|$)")
    message(FATAL_ERROR "Depends lacks a versioned ${dependency}: ${depends}")
  endif()
endforeach()
if(NOT depends MATCHES "(^|, )libopenal1( |,|$)")
  message(FATAL_ERROR "Depends lacks libopenal1: ${depends}")
endif()

# Owned by root, the program executable by all, the rest readable by all.
execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE listing)
string(REPLACE "\n" ";" entries "${listing}")
foreach(entry ${entries})
  if(entry MATCHES "^-")
    if(NOT entry MATCHES "^-rw[-x]r-[-x]r-[-x] root/root ")
      message(FATAL_ERROR "owner or mode wrong: ${entry}")
    endif()
    if(entry MATCHES "\\./usr/bin/mobwright$" AND NOT entry MATCHES "^-rwxr-xr-x")
      message(FATAL_ERROR "the program is not executable: ${entry}")
    endif()
  endif()
endforeach()

# Debian's own checker reports no error and no warning (informational tags
# are shown in the test's output, not counted). Any override would sit in
# the packaging with its reason.
execute_process(COMMAND lintian --fail-on error,warning --display-info ${debs}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian ${deb_name} (exit ${rc}):\n${out}${err}")
endif()
message(STATUS "lintian ${deb_name}: no error, no warning\n${out}")

set(root ${SCRATCH}/root)
execute_process(COMMAND dpkg -x ${debs} ${root} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg -x failed: ${err}")
endif()
file(GLOB top RELATIVE ${root} ${root}/*)
if(NOT top STREQUAL "usr")
  message(FATAL_ERROR "the package installs outside /usr: ${top}")
endif()
mob_check_installed_files(${root}/usr ${SOURCE_DIR})
mob_check_installed_program(${root}/usr ${SCRATCH}/run)
file(REMOVE_RECURSE ${SCRATCH})
