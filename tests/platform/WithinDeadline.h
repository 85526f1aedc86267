// SPDX-License-Identifier: Zlib
// Files that are not files, for the tests of every reader: a named pipe that
// no one writes to, a device, a folder and a sparse file past a limit; and a
// way to run a call that must not block so that a regression fails the test
// instead of hanging it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Long enough for a sanitizer build on a busy machine; a call that blocks on
// a pipe never ends, so any bound tells the two apart.
constexpr std::chrono::milliseconds kNoBlockDeadline{20000};

// Runs `call` in a child process and gives back the text it returned; nullopt
// when the child did not end within the deadline (it is then killed) or did
// not end normally. Only the text comes back: the call should not use the
// test's assertions.
std::optional<std::string> RunWithinDeadline(const std::function<std::string()>& call,
                                             std::chrono::milliseconds deadline = kNoBlockDeadline);

// The kinds of thing that stand where a file of a reader should be.
enum class NotAFile { kNamedPipe, kDevice, kFolder, kOversized };
const char* NotAFile_Name(NotAFile kind);
// Makes one at path: a named pipe with no writer, a symbolic link to
// /dev/zero, an empty folder, or a sparse file of limit + 1 bytes (no disk
// used). False when it cannot be made.
bool NotAFile_Make(NotAFile kind, const std::string& path, uint64_t limit);
constexpr NotAFile kEveryNotAFile[] = {NotAFile::kNamedPipe, NotAFile::kDevice, NotAFile::kFolder,
                                       NotAFile::kOversized};
