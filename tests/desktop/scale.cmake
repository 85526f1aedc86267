# SPDX-License-Identifier: Zlib
# The window at twice the room's size and after a resize: the same clicks at
# 1x and at -scale 2 give the same export on the clipboard, the window's size
# follows -scale and options.ini's Scale=. Needs Xvfb, xdotool and xclip.
if(Python3_Interpreter_FOUND)
  add_test(NAME desktop_scale
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/scale_test.py $<TARGET_FILE:mobwright>
      ${CMAKE_BINARY_DIR}/data.win)
  set_tests_properties(desktop_scale PROPERTIES LABELS "x11;no_sanitizer" TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
