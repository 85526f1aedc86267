# SPDX-License-Identifier: Zlib
# Undo and redo in the real window: undo_test.py places a part and drags it,
# then undoes and redoes both with Ctrl+Z and Ctrl+Shift+Z sent as X key
# events, checking the window's pixels after every step against the same
# steps played headless, and the export on the clipboard at the end. It
# reuses window_test.py's session and xsession.py's X helpers, and is
# skipped (77) where Xvfb, xdotool or xclip is missing.
if(Python3_Interpreter_FOUND)
  add_test(NAME desktop_undo
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/undo_test.py $<TARGET_FILE:mobwright>)
  set_tests_properties(desktop_undo PROPERTIES LABELS "x11;no_sanitizer" TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
