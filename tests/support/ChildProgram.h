// SPDX-License-Identifier: Zlib
// Starting a program of ours as a child process, as a user's shell does:
// with its own environment variables and its standard output and error in a
// file, then waiting for it to end.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// Starts arguments[0] with the arguments, the variables set in its
// environment and its standard output and error appended to outputFile
// (made when missing). Returns its process id, or -1.
pid_t ChildProgram_Start(const std::vector<std::string>& arguments,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         const std::string& outputFile);

// Waits for the child to end: its exit code, 128 + the signal that ended it,
// or -1.
int ChildProgram_Wait(pid_t child);

// The same for at most `seconds`: past it the child is killed and the result
// is kChildProgramHung.
constexpr int kChildProgramHung = -2;
int ChildProgram_WaitAtMost(pid_t child, double seconds);
