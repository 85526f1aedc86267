# SPDX-License-Identifier: Zlib
# The room in a resized window: exact nearest-pixel blocks at whole scales,
# elsewhere the room enlarged to the next whole multiple and filtered down,
# each capture held against the room's screenshot scaled by that rule in
# crisp_test.py. Needs Xvfb and xdotool.
if(Python3_Interpreter_FOUND)
  add_test(NAME desktop_crisp
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/crisp_test.py $<TARGET_FILE:mobwright>)
  set_tests_properties(desktop_crisp PROPERTIES LABELS "x11;no_sanitizer" TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
