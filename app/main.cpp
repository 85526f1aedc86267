// Entry of Mobwright Studio.
//
// The window, the game data and the editor's compiled events are not part of
// the program yet: for now it registers the runtime's built-ins, reports what
// it has and exits, so that people and scripts can already find build/mobwright.
#include <cstdio>

#include "code/Builtins.h"
#include "code/CompiledCode.h"

int main() {
  Builtins_RegisterAll();
  std::printf("Mobwright Studio runtime core: %d built-in variables, %d built-in functions registered.\n",
              Variable_BuiltinCount(), Function_BuiltinCount());
  std::printf("The editor cannot open yet: the window, the game data and the editor's events come in later work.\n");
  return 0;
}
