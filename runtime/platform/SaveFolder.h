// SPDX-License-Identifier: Zlib
// Folders that files are confined to: the save area of the game, the only
// place the game reads and writes its files. A folder is opened once; every
// file below it is reached through the kernel relative to that open folder, with openat2 and RESOLVE_BENEATH when
// the kernel has it, else one component at a time with O_NOFOLLOW. So "..",
// absolute paths and symlinks that point outside cannot leave the folder, even
// if the text of a path was checked wrongly above this layer.
//
// Relative names use '/' between components; a name that is empty, starts with
// '/', or holds an empty, "." or ".." component is refused before the kernel is
// asked.
//
// Files are opened for reading with O_NONBLOCK and checked on the opened
// descriptor (platform/RegularFile.h): a pipe or a device standing where a
// file should be is refused at once instead of blocking or never ending.
// Every operation can say why it failed in an optional FileProblem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegularFile.h"

class ConfinedFolder {
 public:
  ConfinedFolder() = default;
  ~ConfinedFolder();
  ConfinedFolder(const ConfinedFolder&) = delete;
  ConfinedFolder& operator=(const ConfinedFolder&) = delete;

  // Opens the folder (an absolute path), creating it and its missing parents
  // when create is set. Closes any folder opened before.
  bool Open(const std::string& absolutePath, bool create);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // The folder's absolute path, normalised, with a trailing '/'; "" when closed.
  const std::string& Path() const { return path_; }

  // True when a regular file of that name can be opened for reading.
  bool FileExists(const std::string& relative, FileProblem* problem = nullptr) const;
  // Removes the file; true on success.
  bool DeleteFile(const std::string& relative, FileProblem* problem = nullptr) const;
  // Reads the whole file; false when it cannot be opened, is not a regular
  // file or is larger than maxBytes. Reads no more than the size it had when
  // opened.
  bool ReadFile(const std::string& relative, std::vector<uint8_t>* bytes, size_t maxBytes,
                FileProblem* problem = nullptr) const;
  // Replaces the file atomically: creates the missing folders of the name,
  // writes a temporary file beside the target, flushes it to disk, renames it
  // over the target and flushes the folder. On any failure before the rename
  // the temporary file is removed and an earlier file of that name is left as
  // it was. A failed flush of the folder after the rename also returns false:
  // the new file is in place but might not survive a crash.
  bool WriteFileAtomic(const std::string& relative, const void* data, size_t size,
                       FileProblem* problem = nullptr) const;
  // Copies a regular file of this folder to another name in it, through
  // WriteFileAtomic; false when the source cannot be read (or is larger than
  // maxBytes) or the write fails, the target then left as it was.
  bool CopyFile(const std::string& from, const std::string& to, size_t maxBytes,
                FileProblem* problem = nullptr) const;
  // Gives an entry of this folder (a file, or a folder, so that a damaged
  // entry can be set aside) another name in it: the missing folders of the
  // new name are made, an earlier file of that name is replaced atomically
  // (rename never follows a link of either name), and both folders are
  // flushed. A failed flush after the rename also returns false, as in
  // WriteFileAtomic.
  bool RenameFile(const std::string& from, const std::string& to, FileProblem* problem = nullptr) const;

 private:
  int fd_ = -1;
  std::string path_;
};

// A seam for tests of interrupted saves. Every step that changes a confined
// folder's files is counted from 1 over the whole process: in
// WriteFileAtomic the creation of the temporary file, the write, its fsync,
// the rename and the fsync of the folder; in DeleteFile the delete; in
// CopyFile those of the WriteFileAtomic it makes. With SaveFolder_FailFrom(n)
// step n fails, and so does every step after it, as when the program is cut
// off at that step: nothing after it reaches the disk. RenameFile counts its
// rename and the flush of each folder it changed. 0 (the default)
// fails nothing. A failed step is reported on the hook below, if any.
void SaveFolder_FailFrom(int64_t step);
// The steps counted so far.
int64_t SaveFolder_StepCount();
// Told of each step that fails on purpose: its number, its kind ("create",
// "write", "fsync", "rename", "fsync folder", "delete") and the name it acts on.
using SaveFolderFailedStepHook = void (*)(int64_t step, const char* kind, const std::string& name);
void SaveFolder_SetFailedStepHook(SaveFolderFailedStepHook hook);

// The game's save area: $XDG_DATA_HOME/<game name>/, else
// $HOME/.local/share/<game name>/ (created when missing).
bool SaveFolder_Open(const char* gameName);
// Opens an explicit folder as the save area (tests; a runner option).
bool SaveFolder_OpenPath(const char* absolutePath);
ConfinedFolder& SaveFolder();
// Where SaveFolder_Open puts the save area of a game, or "" when neither
// variable is set.
std::string SaveFolder_DefaultPath(const char* gameName);
// Called with the save area's path (normalised, trailing '/') each time
// SaveFolder_Open opens it; null for none. The file built-ins report there
// where the game's files go.
using SaveFolderOpenedHook = void (*)(const std::string& path);
void SaveFolder_SetOpenedHook(SaveFolderOpenedHook hook);

// Forces the fallback walk (openat with O_NOFOLLOW per component) instead of
// openat2; tests run both ways. Returns the previous setting.
bool SaveFolder_ForceFallback(bool force);

// Paths of the process, absolute and normalised, each with a trailing '/'.
std::string Platform_CurrentDirectory();
std::string Platform_ProgramFolder();
// The running program's own file ("mobwright" when the system does not say).
std::string Platform_ExecutablePath();
// Whether a file or folder exists and may be read (asks, opens nothing).
bool Platform_FileReadable(const std::string& path);
// Collapses "." and ".." and repeated '/' of an absolute path, without
// touching the file system ("/a/b/../c" gives "/a/c"; ".." at the root stays
// at the root). A trailing '/' is kept.
std::string Platform_NormalisePath(const std::string& absolutePath);
