// SPDX-License-Identifier: Zlib
// The small game of the exported object: the runner with the game's compiled
// code (the editor's exported events); its data file is given with -game.
#include "code/CompiledCode.h"
#include "run/Runner.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

int main(int argc, char** argv) { return Runner_Main(argc, argv, ksl_GetCompiledCodeInfo); }
