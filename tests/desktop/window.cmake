# SPDX-License-Identifier: Zlib
# The end-to-end editing session in the real window: window_test.py drives
# the program under Xvfb with X input events (shape, colour, three shapes, a
# list row, a drag, a turn, two frames, save, export), answers its message
# boxes, and checks the window's pixels after every step, the clipboard, the
# saved files and the exit code against the same steps played headless.
# Needs Xvfb, xdotool and xclip; the X helpers are in xsession.py.
if(Python3_Interpreter_FOUND)
  add_test(NAME desktop_window
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/window_test.py $<TARGET_FILE:mobwright>)
  set_tests_properties(desktop_window PROPERTIES LABELS "x11;no_sanitizer" TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
