// SPDX-License-Identifier: Zlib
// Mobwright Studio: hands control to the runner with the editor's compiled
// code, whose descriptor also carries the embedded game data.
#include "code/CompiledCode.h"
#include "run/Runner.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

int main(int argc, char** argv) { return Runner_Main(argc, argv, ksl_GetCompiledCodeInfo); }
