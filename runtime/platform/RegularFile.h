// SPDX-License-Identifier: Zlib
// Reading files that come from outside the program (the game data of -game,
// options.ini, input scripts, music tracks, the save folder's files): only
// regular files, opened without blocking, never read past a size limit.
//
// A name can stand for something that is not a file. A named pipe with no
// writer makes a plain open() wait for ever, and a device such as /dev/zero
// never ends, so a reader that trusts the name hangs or fills memory. Here a
// file is opened with O_NONBLOCK (opening a pipe then returns at once), the
// descriptor that was opened, not the name (which may change in between), is
// checked with fstat to be a regular file of at most the reader's limit, and
// no more than the size it had then is ever read, even when it grows
// meanwhile. Each reader names its own limit beside its code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Why a file could not be read or written.
enum class FileRefusal : uint8_t {
  kNone,
  kMissing,     // no such file (or a folder on its way is missing)
  kNotRegular,  // a folder, a pipe, a device, a socket
  kTooLarge,    // larger than the reader's limit
  kOutside,     // the kernel refused a name that leads out of a confined folder
  kLink,        // a symbolic link where links are not followed
  kSystem,      // any other refusal of the system, with its errno
};

struct FileProblem {
  FileRefusal refusal = FileRefusal::kNone;
  int error = 0;       // the errno of kSystem
  uint64_t limit = 0;  // the limit that kTooLarge went past
};

// The problem a failed system call's errno stands for.
FileProblem FileProblem_FromErrno(int error);
// A short English text for a problem: "no such file", "not a regular file",
// "larger than N bytes", "outside the save folder", "a symbolic link, not
// followed", "the disk refused it: <the system's text>"; "" for none.
std::string FileProblem_Text(const FileProblem& problem);

// An open regular file of at most a limit, read only up to the size it had
// when it was checked.
class RegularFile {
 public:
  RegularFile() = default;
  ~RegularFile() { Close(); }
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // Opens a path for reading without blocking and checks what was opened.
  // False with the reason in *problem (which may be null).
  bool Open(const std::string& path, uint64_t maxBytes, FileProblem* problem);
  // Checks a descriptor that its caller opened for reading with O_NONBLOCK;
  // the descriptor belongs to this object from now on, also on failure.
  bool Adopt(int fd, uint64_t maxBytes, FileProblem* problem);
  void Close();

  // The size when the file was checked: never above the limit.
  uint64_t Size() const { return size_; }
  // The whole file from its start, at most Size() bytes (fewer when it
  // shrank meanwhile). False when the system refuses a read.
  bool ReadAll(std::vector<uint8_t>* bytes, FileProblem* problem);
  bool ReadAll(std::string* text, FileProblem* problem);
  // Hands the descriptor over as a stdio stream for reading; null (and the
  // file closed) when none can be made. The stream may reach past Size():
  // its reader must stop there itself.
  std::FILE* ReleaseStream(FileProblem* problem);

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Reads a whole regular file of at most maxBytes; false with the reason.
bool Platform_ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>* bytes,
                              FileProblem* problem);
bool Platform_ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string* text, FileProblem* problem);
