// Files of event code: every name is placed in the save area before use.
//
// A name is made a full path (relative names start at the current directory)
// and normalised ("." and ".." removed) without asking the file system. Then:
//   - inside the save area: used as it is;
//   - inside the current directory or working_directory: redirected into the
//     save area under the same relative name;
//   - anything else: refused, "Error! not allowing save with filename '%s'\n"
//     on the debug console, and the operation acts as on a missing file.
// The save area is checked first: when it lies inside the current directory
// (a game run from the home folder), a name already inside it must not be
// redirected a second time.
//
// The text check decides where a name goes; the kernel then enforces that it
// stays there (platform/SaveFolder.h), so symlinks cannot lead out either.
#pragma once

#include <cstddef>
#include <string>

// The pure placement: the name's path relative to the save area, or false.
// Every folder is absolute, normalised and ends in '/'.
bool Files_Place(const char* name, const std::string& saveArea, const std::string& currentDirectory,
                 const std::string& workingDirectory, std::string* relative);
// The placement against the process's folders; logs a refusal.
bool Files_PlaceInSaveArea(const char* name, std::string* relative);

// The working_directory variable: the program's folder with a trailing '/'
// unless the runner set another folder.
const std::string& Files_WorkingDirectory();
void Files_SetWorkingDirectory(const char* folder);
// Debug option: report each redirection ("Warning! Save location - redirected to: '%s'\n").
void Files_SetReportRedirects(bool report);

// file_exists: the program's folder or the save area; file_delete: the save
// area only, true when the file was there and was removed.
bool Files_Exists(const char* name);
bool Files_Delete(const char* name);

// file_copy: copies a file of the save area to another name there, replacing
// that file atomically (missing folders of the new name are made); true on
// success. The source must be a regular file of at most kFilesMaxCopyBytes.
constexpr size_t kFilesMaxCopyBytes = 64u << 20;
bool Files_Copy(const char* from, const char* to);
// file_write_text: replaces a file of the save area atomically by the text
// (its bytes up to the first 0, no line break added); true on success.
bool Files_WriteText(const char* name, const char* text);

// Registers file_exists, file_delete, file_copy, file_write_text and the
// working_directory variable.
void Files_RegisterBuiltins();
