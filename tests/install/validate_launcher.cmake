# SPDX-License-Identifier: Zlib
# desktop-file-validate on the committed launcher.
#   cmake -DLAUNCHER=file -P validate_launcher.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)
mob_validate_launcher(${LAUNCHER})
