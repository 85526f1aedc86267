// SPDX-License-Identifier: Zlib
// The whole compiler over a game: read the manifest, read and parse every
// source named by the code-index table, generate the C++ files, and write
// those whose text changed (an unchanged file keeps its time stamp, so the
// build recompiles only what a .ksl change really touched).
#pragma once

#include <string>
#include <vector>

#include "CodeGen.h"
#include "Diagnostics.h"
#include "Manifest.h"

namespace kslc {

struct CompileRequest {
  std::string manifestPath;
  std::string outputDir;
  std::string depfile;  // optional: "<first output>: <manifest> <sources...>"
  GenerateOptions generate;
};

// Runs the compiler; messages (errors with source line and caret) go to
// *messages. Returns the process exit code: 0 on success, 1 on errors.
int Compile(const CompileRequest& request, std::string* messages);

// Compiles sources in memory: sources[i] is the text of manifest.code[i].
// Errors name manifest.code[i].file. Used by tests and benchmarks.
bool CompileSources(const mob::Manifest& manifest, const std::vector<std::string>& sources,
                    const GenerateOptions& options, std::vector<GeneratedFile>* files, Diagnostics& diagnostics);

}  // namespace kslc
