// SPDX-License-Identifier: Zlib
// The window's messages that say its pixels may be gone (exposed, shown,
// restored, maximised, resized, the renderer's targets reset) ask once for a
// whole frame; others do not. A dropped file's path reaches the game.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Window.h"
#include "run/InputScript.h"

namespace {

class WindowMessages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(Platform_Init(true));
    ASSERT_TRUE(Platform_CreateWindow(64, 48, "window messages"));
  }
  static void TearDownTestSuite() { Platform_Shutdown(); }

  static void Send(Uint8 windowEvent) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = windowEvent;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
  }
};

}  // namespace

TEST_F(WindowMessages, LostPixelsAskOnceForARepaintAndOtherMessagesDoNot) {
  Platform_ProcessMessages();
  Platform_TakeRepaintRequest();  // whatever making the window said
  for (Uint8 lost : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_RESTORED,
                     SDL_WINDOWEVENT_MAXIMIZED, SDL_WINDOWEVENT_SIZE_CHANGED}) {
    Send(lost);
    EXPECT_FALSE(Platform_TakeRepaintRequest()) << "asked before the message was drained";
    Platform_ProcessMessages();
    EXPECT_TRUE(Platform_TakeRepaintRequest()) << "window message " << int{lost};
    EXPECT_FALSE(Platform_TakeRepaintRequest()) << "asked twice for message " << int{lost};
  }
  for (Uint8 kept : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MOVED,
                     SDL_WINDOWEVENT_ENTER, SDL_WINDOWEVENT_LEAVE}) {
    Send(kept);
    Platform_ProcessMessages();
    EXPECT_FALSE(Platform_TakeRepaintRequest()) << "window message " << int{kept};
  }
  // The renderer's targets were lost (the canvas with them).
  for (Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
    SDL_Event e{};
    e.type = reset;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    Platform_ProcessMessages();
    EXPECT_TRUE(Platform_TakeRepaintRequest()) << "event " << reset;
  }
  // Several in one drain ask once.
  Send(SDL_WINDOWEVENT_EXPOSED);
  Send(SDL_WINDOWEVENT_EXPOSED);
  Platform_ProcessMessages();
  EXPECT_TRUE(Platform_TakeRepaintRequest());
  EXPECT_FALSE(Platform_TakeRepaintRequest());
}

// A file dropped onto the window arrives as one event that carries its path
// while the sink handles it; an input script records the drop and plays it
// back with the same path, quotes and backslashes included.
TEST_F(WindowMessages, ADroppedFileArrivesWithItsPathAndIsRecordedAsAScriptLine) {
  static std::vector<std::pair<PlatformEventType, std::string>> received;
  received.clear();
  Platform_SetEventSink([](const PlatformEvent& e) { received.emplace_back(e.type, e.text ? e.text : ""); });
  const std::string path = "/home/a user/figures/\"bee\" \\ 2.ksl";
  SDL_Event e{};
  e.type = SDL_DROPFILE;
  e.drop.file = SDL_strdup(path.c_str());
  ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
  Platform_ProcessMessages();
  Platform_SetEventSink(nullptr);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].first, PlatformEventType::FileDropped);
  EXPECT_EQ(received[0].second, path);

  PlatformEvent drop;
  drop.type = PlatformEventType::FileDropped;
  drop.text = path.c_str();
  std::vector<ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(InputScript_Parse(InputScript_Line(7, drop) + "\n", &events, &error)) << error;
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].frame, 7);
  EXPECT_EQ(events[0].event.type, PlatformEventType::FileDropped);
  EXPECT_EQ(events[0].text, path);
  EXPECT_FALSE(InputScript_Parse("3 drop\n", &events, &error));
  EXPECT_EQ(error, "line 1: drop needs a quoted file name");
}
