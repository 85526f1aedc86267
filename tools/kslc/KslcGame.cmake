# SPDX-License-Identifier: Zlib
# kslc_compile_game(<target> <manifest> [EMBED <symbol>])
#
# Runs kslc at build time over the game whose manifest is <manifest> and adds
# the generated C++ (ksl_tables.cpp, ksl_scripts.cpp, ksl_rooms.cpp and one
# ksl_obj_<object>.cpp per object) to <target>, which must link mobrt.
# kslc writes a depfile naming the manifest and every .ksl source, so the
# build re-runs kslc when one of them changes; kslc rewrites only the
# generated files whose text changed, so only those are recompiled.
# The object list is read from the manifest at configure time; a change to
# the manifest re-runs the configuration.
# EMBED names the embedded game data (extern "C" const uint8_t <symbol>[] and
# const uint32_t <symbol>_size) that the descriptor hands to the runner.
set(KSLC_SUPPORT_DIR "${CMAKE_CURRENT_LIST_DIR}/support" CACHE INTERNAL "")

function(kslc_compile_game target manifest)
  cmake_parse_arguments(ARG "" "EMBED" "" ${ARGN})
  get_filename_component(manifest "${manifest}" ABSOLUTE)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/kslc_${target}")
  file(MAKE_DIRECTORY "${out}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")

  file(READ "${manifest}" json)
  set(outputs "${out}/ksl_game.h" "${out}/ksl_tables.cpp" "${out}/ksl_scripts.cpp" "${out}/ksl_rooms.cpp")
  string(JSON count ERROR_VARIABLE err LENGTH "${json}" objects)
  if(err)
    set(count 0)
  endif()
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      string(JSON name GET "${json}" objects ${i} name)
      list(APPEND outputs "${out}/ksl_obj_${name}.cpp")
    endforeach()
  endif()

  set(embed_args "")
  if(ARG_EMBED)
    set(embed_args --embed ${ARG_EMBED})
  endif()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND kslc --manifest "${manifest}" --out "${out}" --depfile "${out}/kslc.d" ${embed_args}
    DEPENDS kslc "${manifest}"
    DEPFILE "${out}/kslc.d"
    COMMENT "kslc: compiling the event code of ${manifest}"
    VERBATIM)
  list(FILTER outputs INCLUDE REGEX "\\.cpp$")
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PRIVATE "${out}" "${KSLC_SUPPORT_DIR}")
endfunction()
