// SPDX-License-Identifier: Zlib
// Opening exported figures: the files the user asks to open (named on the
// command line, dropped onto the window) wait in a queue that the game takes
// them from (file_open_request), and figure_read turns such a file into the
// editor's part records.
#pragma once

#include <string>

// Queues a file to be opened; the runner calls it for the command line's
// file and for every file dropped onto the window.
void FigureImport_RequestOpen(const std::string& path);

// Registers figure_read and file_open_request.
void FigureImport_RegisterBuiltins();
