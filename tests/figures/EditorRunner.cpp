// SPDX-License-Identifier: Zlib
#include "EditorRunner.h"

#include <gtest/gtest.h>

#include "code/CompiledCode.h"
#include "data/PageDecoder.h"
#include "graphics/Graphics.h"
#include "object/Instance.h"
#include "platform/Window.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"
#include "sound/Audio.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace figures {
namespace {

bool g_started = false;

// The runner's own shutdown: its page decoder and sound threads end here.
class RunnerShutdown : public ::testing::Environment {
 public:
  void TearDown() override {
    if (!g_started) return;
    Audio_Shutdown();
    PageDecoder_Stop();
    RunnerGraphics_Shutdown();
    Platform_Shutdown();
  }
};

}  // namespace

bool StartEditorRunner(const char* program, const std::string& output) {
  static bool started = [&] {
    ::testing::AddGlobalTestEnvironment(new RunnerShutdown);
    const char* argv[] = {program, "-headless", "-noaudio", "-nowait", "-output", output.c_str()};
    if (!Runner_Start(6, argv, ksl_GetCompiledCodeInfo)) return false;
    g_started = true;
    Runner_Frame();
    std::string error;
    return Graphics_UpdatePages(true, &error);
  }();
  return started;
}

void ClearRoom() {
  for (CInstance* i = Room_Instances().list.first; i; i = i->next)
    if (i->Active()) Instance_Destroy(i, false);
  Instance_RemoveMarked();
}

}  // namespace figures
