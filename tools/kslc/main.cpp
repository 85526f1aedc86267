// SPDX-License-Identifier: Zlib
// kslc: compiles a game's .ksl sources, named by its manifest, into C++.
//
//   kslc --manifest game.json --out DIR [--depfile FILE] [--embed SYMBOL]
#include <cstdio>
#include <cstring>
#include <string>

#include "Compiler.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kslc --manifest game.json --out DIR [--depfile FILE] [--embed SYMBOL]\n"
               "  --manifest  the game manifest; sources are named relative to it\n"
               "  --out       folder for the generated C++ (must exist)\n"
               "  --depfile   write the list of inputs for the build system\n"
               "  --embed     name the embedded game data array in the descriptor\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kslc::CompileRequest request;
  for (int i = 1; i < argc; ++i) {
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    bool ok = true;
    if (std::strcmp(argv[i], "--manifest") == 0) {
      ok = value(&request.manifestPath);
    } else if (std::strcmp(argv[i], "--out") == 0) {
      ok = value(&request.outputDir);
    } else if (std::strcmp(argv[i], "--depfile") == 0) {
      ok = value(&request.depfile);
    } else if (std::strcmp(argv[i], "--embed") == 0) {
      ok = value(&request.generate.embedSymbol);
    } else {
      ok = false;
    }
    if (!ok) return Usage();
  }
  if (request.manifestPath.empty() || request.outputDir.empty()) return Usage();
  std::string messages;
  int code = kslc::Compile(request, &messages);
  std::fputs(messages.c_str(), stderr);
  return code;
}
