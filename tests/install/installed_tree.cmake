# SPDX-License-Identifier: Zlib
# Checks of an installed tree, shared by the install and the package tests.
# A failed check ends the script with FATAL_ERROR, naming what was wrong.

# Every file below `prefix` (relative, sorted) must be exactly: the program,
# the launcher, the manual page, the copyright file (equal to the committed
# one), the changelog, the icons (equal to the committed ones) and the music
# tracks (equal to the editor's). `source_dir` is the repository.
function(mob_check_installed_files prefix source_dir)
  set(expected bin/mobwright share/applications/mobwright.desktop share/man/man1/mobwright.1.gz
    share/doc/mobwright/copyright share/doc/mobwright/changelog.gz)
  foreach(size 48 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/mobwright.png)
  endforeach()
  file(GLOB tracks ${source_dir}/editor/music/*.ogg)
  list(LENGTH tracks track_count)
  if(track_count EQUAL 0)
    message(FATAL_ERROR "no music tracks in ${source_dir}/editor/music")
  endif()
  foreach(track ${tracks})
    get_filename_component(name ${track} NAME)
    list(APPEND expected share/mobwright/${name})
  endforeach()
  foreach(example bee honey imp octopus urchin)
    list(APPEND expected share/mobwright/examples/${example}.ksl)
  endforeach()
  list(SORT expected)
  file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${prefix} ${prefix}/*)
  list(SORT found)
  if(NOT found STREQUAL expected)
    string(REPLACE ";" "\n  " found_text "${found}")
    string(REPLACE ";" "\n  " expected_text "${expected}")
    message(FATAL_ERROR "${prefix} holds\n  ${found_text}\nexpected\n  ${expected_text}")
  endif()

  foreach(track ${tracks})
    get_filename_component(name ${track} NAME)
    mob_expect_same_file(${prefix}/share/mobwright/${name} ${track})
  endforeach()
  foreach(size 48 128 256)
    set(icon share/icons/hicolor/${size}x${size}/apps/mobwright.png)
    mob_expect_same_file(${prefix}/${icon} ${source_dir}/packaging/icons/${size}x${size}/apps/mobwright.png)
  endforeach()
  mob_expect_same_file(${prefix}/share/doc/mobwright/copyright ${source_dir}/packaging/copyright)
  mob_expect_same_file(${prefix}/share/applications/mobwright.desktop ${source_dir}/packaging/mobwright.desktop)
  mob_validate_launcher(${prefix}/share/applications/mobwright.desktop)

  execute_process(COMMAND test -x ${prefix}/bin/mobwright RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${prefix}/bin/mobwright is not executable")
  endif()
endfunction()

function(mob_expect_same_file actual expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${expected} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${actual} differs from ${expected}")
  endif()
endfunction()

# desktop-file-validate must accept the launcher without an error, a warning
# or even a hint.
function(mob_validate_launcher file)
  execute_process(COMMAND desktop-file-validate ${file}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate ${file} (exit ${rc}):\n${out}${err}")
  endif()
endfunction()

# Runs the installed program as a user would start it, from another folder,
# headless for 40 frames with sound mixed in memory, clicks the music
# player's play button, and checks from its debug log and a state dump of the
# last frame that
#   - it ran its embedded game data: the room's objects are there;
#   - it read the music from <prefix>/share/mobwright/ and is playing the
#     first track (its position moved and its samples are not silent);
#   - its save folder is the user's ($XDG_DATA_HOME/Mobwright/), not the
#     program's folder;
#   - --example lists the examples of <prefix>/share/mobwright/examples/, and
#     --example bee opens the bee's three frames.
function(mob_check_installed_program prefix scratch)
  file(REAL_PATH ${prefix} prefix)
  set(data_home ${scratch}/data)
  file(MAKE_DIRECTORY ${data_home} ${scratch}/elsewhere)
  file(WRITE ${scratch}/input.txt "1 move 246 111\n2 click left\n")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${data_home}
      ${prefix}/bin/mobwright -headless -audio loopback -nowait -frames 40
      -playback ${scratch}/input.txt -output ${scratch}/log.txt -dumpstate 39 ${scratch}/dump.json
    WORKING_DIRECTORY ${scratch}/elsewhere
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 120)
  file(READ ${scratch}/log.txt log)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the installed program ended with ${rc}:\n${out}${err}\nlog:\n${log}")
  endif()

  foreach(line "Entering main loop." "Sound files in ${prefix}/share/mobwright/\n"
               "SavePrePend = ${data_home}/Mobwright/")
    string(FIND "${log}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the log lacks \"${line}\":\n${log}")
    endif()
  endforeach()
  if(NOT log MATCHES "Preparing [1-9][0-9]* objects:")
    message(FATAL_ERROR "the log shows no objects prepared:\n${log}")
  endif()
  foreach(line "could not find audio file" "Could not open Ogg file" "[message box] Error")
    string(FIND "${log}" "${line}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "the log reports \"${line}\":\n${log}")
    endif()
  endforeach()

  execute_process(COMMAND ${prefix}/bin/mobwright --example WORKING_DIRECTORY ${scratch}/elsewhere
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "bee\nhoney\nimp\noctopus\nurchin\n")
    message(FATAL_ERROR "mobwright --example (exit ${rc}) listed:\n${out}${err}")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${scratch}/example_data
      ${prefix}/bin/mobwright --example bee -headless -noaudio -nowait -frames 20 -output ${scratch}/example_log.txt
    WORKING_DIRECTORY ${scratch}/elsewhere RESULT_VARIABLE rc TIMEOUT 60)
  file(READ ${scratch}/example_log.txt example_log)
  string(FIND "${example_log}" "Open: ${prefix}/share/mobwright/examples/bee.ksl: 3 frames, 48 parts" at)
  if(NOT rc EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "mobwright --example bee (exit ${rc}) did not open the bee:\n${example_log}")
  endif()

  file(READ ${scratch}/dump.json dump)
  string(JSON count LENGTH "${dump}" instances)
  set(objects "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON object GET "${dump}" instances ${i} object)
    list(APPEND objects ${object})
  endforeach()
  foreach(object con_Music obj_Music_Play obj_ShapeSelector obj_ColorSelector obj_SaveData)
    if(NOT object IN_LIST objects)
      message(FATAL_ERROR "the room has no ${object}; its instances: ${objects}")
    endif()
  endforeach()

  string(JSON device GET "${dump}" audio device)
  string(JSON voices LENGTH "${dump}" audio voices)
  if(NOT device STREQUAL "loopback" OR NOT voices EQUAL 1)
    string(JSON audio GET "${dump}" audio)
    message(FATAL_ERROR "expected one voice on the loopback device, found: ${audio}")
  endif()
  string(JSON name GET "${dump}" audio voices 0 name)
  string(JSON state GET "${dump}" audio voices 0 state)
  string(JSON position GET "${dump}" audio voices 0 position)
  string(JSON level GET "${dump}" audio level)
  # Started in frame 2: (39 - 2 + 1) / 60 s by frame 39, fading in.
  if(NOT name STREQUAL "msc_Main_Cocktail" OR NOT state STREQUAL "playing" OR NOT position GREATER 0.6
     OR NOT level GREATER 0.001)
    string(JSON audio GET "${dump}" audio)
    message(FATAL_ERROR "the first track is not playing from its file: ${audio}")
  endif()
endfunction()
