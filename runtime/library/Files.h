// SPDX-License-Identifier: Zlib
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

#include "platform/RegularFile.h"

// The pure placement: the name's path relative to the save area, or false.
// Every folder is absolute, normalised and ends in '/'.
bool Files_Place(const char* name, const std::string& saveArea, const std::string& currentDirectory,
                 const std::string& workingDirectory, std::string* relative);
// The placement against the process's folders; logs a refusal and keeps its
// reason for file_last_error.
bool Files_PlaceInSaveArea(const char* name, std::string* relative);

// The working_directory variable: the program's folder with a trailing '/'
// unless the runner set another folder.
const std::string& Files_WorkingDirectory();
void Files_SetWorkingDirectory(const char* folder);
// Debug option: report each redirection ("Warning! Save location - redirected to: '%s'\n").
void Files_SetReportRedirects(bool report);

// file_exists: a regular file of the save area (files beside the program are
// not looked at); file_delete: the save area only, true when the file was
// there and was removed.
bool Files_Exists(const char* name);
bool Files_Delete(const char* name);

// file_copy: copies a file of the save area to another name there, replacing
// that file atomically (missing folders of the new name are made); true on
// success. The source must be a regular file of at most kFilesMaxCopyBytes:
// the editor's files are below a kilobyte, and a copy is held in memory.
constexpr size_t kFilesMaxCopyBytes = 64u << 20;
bool Files_Copy(const char* from, const char* to);
// file_write_text: replaces a file of the save area atomically by the text
// (its bytes up to the first 0, no line break added); true on success.
bool Files_WriteText(const char* name, const char* text);
// The same for bytes that may hold zeros (pictures).
bool Files_WriteBytes(const char* name, const void* data, size_t size);
// file_rename: gives a file or folder of the save area another name there,
// replacing a file of that name atomically (missing folders of the new name
// are made, the folders flushed); true on success.
bool Files_Rename(const char* from, const char* to);

// file_last_error: why the last file built-in (file_exists, file_delete,
// file_copy, file_rename, file_write_text, ds_map_secure_save,
// ds_map_secure_load) failed, "" when it succeeded. The texts are those of
// FileProblem_Text (platform/RegularFile.h: "no such file", "not a regular
// file", "larger than N bytes", "outside the save folder", "a symbolic link,
// not followed", "the disk refused it: ...") and these:
constexpr const char* kFilesErrorNoSaveFolder = "no save folder";            // the save area is not open
constexpr const char* kFilesErrorNotAString = "an argument is not a string";  // a name or text was an object
constexpr const char* kFilesErrorForeign = "not a save file of this machine";  // a secure file's tag differs
constexpr const char* kFilesErrorDamaged = "damaged";                        // a secure file's text does not decode
const std::string& Files_LastError();
void Files_SetLastError(const char* text);
void Files_SetLastProblem(const FileProblem& problem);

// Registers file_exists, file_delete, file_copy, file_rename, file_write_text,
// file_last_error and the working_directory variable.
void Files_RegisterBuiltins();
