# SPDX-License-Identifier: Zlib
# Writes PAGE (troff) from the scdoc source SOURCE, and PAGE.gz beside it
# compressed with gzip -9n (no file name or time stamp in the gzip header).
#
#   cmake -DSCDOC=... -DSOURCE=... -DPAGE=... -P manpage.cmake
cmake_minimum_required(VERSION 3.25)
# scdoc dates the page's footer from SOURCE_DATE_EPOCH, else from today: the
# source's modification time is used when the caller sets none.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  file(TIMESTAMP ${SOURCE} source_time "%s" UTC)
  set(ENV{SOURCE_DATE_EPOCH} ${source_time})
endif()
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${PAGE}.tmp
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  file(REMOVE ${PAGE}.tmp)
  message(FATAL_ERROR "scdoc ${SOURCE} (exit ${rc}): ${err}")
endif()
file(RENAME ${PAGE}.tmp ${PAGE})
execute_process(COMMAND gzip -9n -c ${PAGE} OUTPUT_FILE ${PAGE}.gz RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip ${PAGE} (exit ${rc})")
endif()
