# SPDX-License-Identifier: Zlib
# Writes PAGE (troff) from the scdoc source SOURCE, and PAGE.gz beside it
# compressed with gzip -9n (no file name or time stamp in the gzip header).
#
#   cmake -DSCDOC=... -DSOURCE=... -DPAGE=... -DPYTHON=... -DDATE_SCRIPT=...
#         -DCHANGELOG=... -DVERSION=... -P manpage.cmake
cmake_minimum_required(VERSION 3.25)
# scdoc dates the page's footer from SOURCE_DATE_EPOCH: the date of the
# release the build is, read from the changelog, so the page is the same
# whenever and wherever it is built.
execute_process(COMMAND ${PYTHON} ${DATE_SCRIPT} ${CHANGELOG} ${VERSION} --epoch
  RESULT_VARIABLE rc OUTPUT_VARIABLE epoch ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the release date of ${VERSION}: ${err}")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
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
