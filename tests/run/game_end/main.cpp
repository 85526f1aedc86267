// SPDX-License-Identifier: Zlib
// The game-end test game: the runner with the game's compiled code; its data
// file is given with -game.
#include "code/CompiledCode.h"
#include "run/Runner.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

int main(int argc, char** argv) { return Runner_Main(argc, argv, ksl_GetCompiledCodeInfo); }
