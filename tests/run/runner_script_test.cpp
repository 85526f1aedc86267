// SPDX-License-Identifier: Zlib
// Input scripts: parsing what people write by hand, refusing what is wrong,
// and writing back what -record sees.
#include <gtest/gtest.h>

#include "run/InputScript.h"

namespace {
std::vector<ScriptedEvent> Parse(const std::string& text) {
  std::vector<ScriptedEvent> events;
  std::string error;
  EXPECT_TRUE(InputScript_Parse(text, &events, &error)) << error;
  return events;
}
}  // namespace

TEST(InputScript, ParsesEventsInFrameOrder) {
  auto events = Parse(
      "# a click on the canvas\n"
      "5 move 512 448\n"
      "5 click left\n"
      "2 keydown enter\n"
      "9 type \"a\\\"b\"\n"
      "10 keyup rshift\r\n"
      "\n"
      "11 wheel down\n"
      "12 quit\n");
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[0].frame, 2);
  EXPECT_EQ(events[0].event.type, PlatformEventType::KeyDown);
  EXPECT_EQ(events[0].event.a, 13);
  EXPECT_EQ(events[1].event.type, PlatformEventType::MouseMove);
  EXPECT_EQ(events[1].event.a, 512);
  EXPECT_EQ(events[1].event.b, 448);
  EXPECT_EQ(events[2].event.type, PlatformEventType::ButtonDown);
  EXPECT_EQ(events[2].frame, 5);
  EXPECT_EQ(events[3].event.type, PlatformEventType::ButtonUp);  // a click releases in the next frame
  EXPECT_EQ(events[3].frame, 6);
  EXPECT_EQ(events[4].event.a, 'a');
  EXPECT_EQ(events[5].event.a, '"');
  EXPECT_EQ(events[6].event.a, 'b');
  EXPECT_EQ(events[7].event.type, PlatformEventType::KeyUp);
  EXPECT_EQ(events[7].event.a, 16);
  EXPECT_EQ(events[7].event.c, 1);
  EXPECT_EQ(events[8].event.a, -1);
  EXPECT_EQ(events[9].event.type, PlatformEventType::Quit);
}

TEST(InputScript, TypedTextBecomesUtf16Units) {
  auto events = Parse("0 type \"\xC3\xA9\xF0\x9F\x98\x80\"\n");  // e-acute, then a character beyond 16 bits
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].event.a, 0xE9);
  EXPECT_EQ(events[1].event.a, 0xD83D);
  EXPECT_EQ(events[2].event.a, 0xDE00);
}

// "keys" types as a person does: each character is its key going down with
// the character in one frame and up in the next, one keystroke a frame.
TEST(InputScript, KeysAreKeystrokesOneAFrame) {
  auto events = Parse("10 keys \"-.5a\"\n");
  struct Expected {
    int64_t frame;
    PlatformEventType type;
    int a;
  };
  const Expected expected[] = {
      {10, PlatformEventType::KeyDown, 189}, {10, PlatformEventType::Character, '-'},
      {11, PlatformEventType::KeyUp, 189},   {11, PlatformEventType::KeyDown, 190},
      {11, PlatformEventType::Character, '.'}, {12, PlatformEventType::KeyUp, 190},
      {12, PlatformEventType::KeyDown, '5'}, {12, PlatformEventType::Character, '5'},
      {13, PlatformEventType::KeyUp, '5'},   {13, PlatformEventType::KeyDown, 'A'},
      {13, PlatformEventType::Character, 'a'}, {14, PlatformEventType::KeyUp, 'A'}};
  ASSERT_EQ(events.size(), std::size(expected));
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].frame, expected[i].frame) << i;
    EXPECT_EQ(events[i].event.type, expected[i].type) << i;
    EXPECT_EQ(events[i].event.a, expected[i].a) << i;
  }
  std::vector<ScriptedEvent> refused;
  std::string error;
  EXPECT_FALSE(InputScript_Parse("3 keys \"a~\"\n", &refused, &error));
  EXPECT_EQ(error, "line 1: keys: no key types this character; use char or type");
}

TEST(InputScript, MalformedLinesNameTheLine) {
  std::vector<ScriptedEvent> events;
  std::string error;
  EXPECT_FALSE(InputScript_Parse("1 move 3\n", &events, &error));
  EXPECT_EQ(error, "line 1: move needs x and y");
  EXPECT_FALSE(InputScript_Parse("\n\nx click left\n", &events, &error));
  EXPECT_EQ(error, "line 3: expected a frame number, found 'x'");
  EXPECT_FALSE(InputScript_Parse("4 press thumb\n", &events, &error));
  EXPECT_EQ(error, "line 1: press needs a button: left, right or middle");
  EXPECT_FALSE(InputScript_Parse("4 type \"open\n", &events, &error));
  EXPECT_EQ(error, "line 1: type needs a quoted text");
  EXPECT_FALSE(InputScript_Parse("4 dance\n", &events, &error));
  EXPECT_EQ(error, "line 1: unknown event 'dance'");
  EXPECT_FALSE(InputScript_Parse("4 keydown 300\n", &events, &error));
}

TEST(InputScript, RecordedLinesParseBackToTheSameEvents) {
  std::vector<PlatformEvent> original = {
      {PlatformEventType::MouseMove, 10, 20, 0}, {PlatformEventType::ButtonDown, 2, 0, 0},
      {PlatformEventType::ButtonUp, 2, 0, 0},    {PlatformEventType::KeyDown, 65, 1, 0},
      {PlatformEventType::KeyDown, 17, 0, 1},    {PlatformEventType::KeyUp, 46, 0, 0},
      {PlatformEventType::Character, 0x263A, 0, 0}, {PlatformEventType::Wheel, 1, 0, 0},
      {PlatformEventType::Quit, 0, 0, 0}};
  std::string script;
  for (const PlatformEvent& e : original) script += InputScript_Line(7, e) + "\n";
  auto events = Parse(script);
  ASSERT_EQ(events.size(), original.size());
  for (size_t i = 0; i < original.size(); ++i) {
    EXPECT_EQ(events[i].frame, 7);
    EXPECT_EQ(events[i].event.type, original[i].type) << i;
    EXPECT_EQ(events[i].event.a, original[i].a) << i;
    EXPECT_EQ(events[i].event.b, original[i].b) << i;
    EXPECT_EQ(events[i].event.c, original[i].c) << i;
  }
}
