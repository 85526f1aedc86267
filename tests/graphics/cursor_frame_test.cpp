// SPDX-License-Identifier: Zlib
// The mouse cursor is shown once per frame: window_set_cursor records the
// choice, and drawing the frame hands the last choice to the platform, only
// when it differs from the cursor already shown. The editor picks the arrow
// and then hides it within one step, every step: the platform must see one
// change, not two per frame.
#include <vector>

#include "GraphicsTestSupport.h"
#include "run/RunnerGraphics.h"

namespace {

struct CursorCall {
  CursorShape shape;
  int presentsBefore;  // frames the renderer had presented when the cursor was set
};

std::vector<CursorCall> g_platformCursor;
const CountingRenderer* g_frameRenderer = nullptr;

void PlatformCursor(CursorShape shape) {
  g_platformCursor.push_back({shape, g_frameRenderer ? g_frameRenderer->presents : -1});
}

}  // namespace

class CursorFrameTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    g_frameRenderer = &renderer;
    // A fresh window shows the arrow; start every test from it.
    Graphics_SetCursorSetter(PlatformCursor);
    SetCursor(0);
    Graphics_ApplyCursor();
    g_platformCursor.clear();
  }
  void TearDown() override {
    g_frameRenderer = nullptr;
    GraphicsTest::TearDown();
  }
  void SetCursor(double value) {
    DynValue result = Call("window_set_cursor", {Real(value)});
    DynValue_Release(&result);
  }
};

TEST_F(CursorFrameTest, TheLastChoiceOfAFrameIsShownOnceBeforeThePresent) {
  // Frame 1: the arrow, then hidden, within one step: nothing reaches the
  // platform until the frame is drawn, then only the hidden cursor does.
  SetCursor(0);
  SetCursor(-1);
  EXPECT_TRUE(g_platformCursor.empty());
  RunnerGraphics_DrawFrame();
  ASSERT_EQ(g_platformCursor.size(), 1u);
  EXPECT_EQ(g_platformCursor[0].shape, CURSOR_NONE);
  EXPECT_EQ(g_platformCursor[0].presentsBefore, 0) << "the cursor must change before the frame is presented";
  EXPECT_EQ(renderer.presents, 1);

  // Frames 2 and 3: the same two choices end where the platform already is.
  for (int frame = 0; frame < 2; ++frame) {
    SetCursor(0);
    SetCursor(-1);
    RunnerGraphics_DrawFrame();
  }
  EXPECT_EQ(g_platformCursor.size(), 1u);
  EXPECT_EQ(renderer.presents, 3);

  // Frame 4: the arrow alone comes back, once.
  SetCursor(0);
  RunnerGraphics_DrawFrame();
  ASSERT_EQ(g_platformCursor.size(), 2u);
  EXPECT_EQ(g_platformCursor[1].shape, CURSOR_ARROW);
  EXPECT_EQ(g_platformCursor[1].presentsBefore, 3);

  // Frame 5: no choice at all keeps the cursor.
  RunnerGraphics_DrawFrame();
  EXPECT_EQ(g_platformCursor.size(), 2u);
}

TEST_F(CursorFrameTest, ValuesThatPickNoCursorLeaveTheFramesChoice) {
  SetCursor(-3);
  SetCursor(5);    // picks no stock cursor
  SetCursor(-23);  // likewise
  Graphics_ApplyCursor();
  ASSERT_EQ(g_platformCursor.size(), 1u);
  EXPECT_EQ(g_platformCursor[0].shape, CURSOR_CROSS);
  EXPECT_EQ(Graphics_State().cursor, -23) << "the value itself is still the last one given";
  // A choice that comes back to the shown cursor within the frame changes nothing.
  SetCursor(-21);
  SetCursor(-3);
  Graphics_ApplyCursor();
  EXPECT_EQ(g_platformCursor.size(), 1u);
}

TEST_F(CursorFrameTest, ANewWindowIsGivenTheChosenCursorAgain) {
  SetCursor(-12);
  // No platform cursor yet (between windows): the choice waits.
  Graphics_SetCursorSetter(nullptr);
  Graphics_ApplyCursor();
  EXPECT_TRUE(g_platformCursor.empty());
  // The new window starts with the platform's arrow, so the hand is set on it.
  Graphics_SetCursorSetter(PlatformCursor);
  Graphics_ApplyCursor();
  ASSERT_EQ(g_platformCursor.size(), 1u);
  EXPECT_EQ(g_platformCursor[0].shape, CURSOR_HAND);
  Graphics_ApplyCursor();
  EXPECT_EQ(g_platformCursor.size(), 1u);
}
