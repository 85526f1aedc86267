// SPDX-License-Identifier: Zlib
// Keyboard and mouse input: the frame fold, the queries with their reserved
// codes, Shift/Control/Alt side codes, the key map, typed text, mouse capture
// and the mouse in room coordinates. Messages go in through the same entry
// points the window uses; results are read through the registered built-ins
// where the editor reads them that way.
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "BuiltinCall.h"
#include "RuntimeFixture.h"
#include "io/Input.h"

namespace {

class InputTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    Input_RegisterBuiltins();
    Input_RegisterBuiltinVariables();
    Input_Init();
    Input_SetCaptureHandler(nullptr);
    Input_SetViewMapping(0, 0, 0, 0, 0, 0);
    Input_SetViews(nullptr, 0);
    AddObject(0, "obj_Reader");
    self = Instance_Create(0, 0, 0, 0);
  }
  void TearDown() override {
    Input_SetCaptureHandler(nullptr);
    Input_Init();
    RuntimeTest::TearDown();
  }

  // Calls a registered built-in with real arguments; returns its real result.
  double Call(const char* name, std::vector<double> arguments = {}) {
    std::vector<DynValue> cells;
    for (double a : arguments) cells.push_back(DynValue_MakeReal(a));
    std::vector<DynValue*> pointers;
    for (DynValue& c : cells) pointers.push_back(&c);
    Cell result;
    CallBuiltin(name, &result.v, pointers, self);
    EXPECT_EQ(result.v.Kind(), KIND_NUMBER) << name;
    return DynValue_ToReal(&result.v);
  }

  std::string ReadString(const char* variable) {
    Cell result;
    EXPECT_TRUE(Variable_GetValue(self, Variable_Find(variable), ARRAY_INDEX_NONE, &result.v));
    EXPECT_EQ(result.v.Kind(), KIND_STRING) << variable;
    const char* chars = DynValue_Chars(&result.v);
    return chars ? chars : "";
  }
  double ReadReal(const char* variable) {
    Cell result;
    EXPECT_TRUE(Variable_GetValue(self, Variable_Find(variable), ARRAY_INDEX_NONE, &result.v));
    return DynValue_ToReal(&result.v);
  }
  void Write(const char* variable, const DynValue& value) {
    Variable_SetValue(self, Variable_Find(variable), ARRAY_INDEX_NONE, &value);
  }

  static void Type(const std::u16string& text) {
    for (char16_t c : text) Input_Char(static_cast<uint16_t>(c));
  }

  CInstance* self = nullptr;
};

constexpr int KEY_A = 65, KEY_B = 66, KEY_ENTER = 13;

// ---- The frame fold ----

TEST_F(InputTest, MessagesShowOnlyAfterTheNextFold) {
  Input_KeyDown(KEY_A, false, false);
  Input_MouseButtonDown(1);
  Input_MouseMove(30, 40);
  Type(u"x");
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 0);
  EXPECT_EQ(Call("mouse_check_button", {1}), 0);
  EXPECT_EQ(ReadReal("mouse_x"), 0);
  EXPECT_EQ(ReadString("keyboard_string"), "");
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 1);
  EXPECT_EQ(Call("mouse_check_button", {1}), 1);
  EXPECT_EQ(ReadReal("mouse_x"), 30);
  EXPECT_EQ(ReadReal("mouse_y"), 40);
  EXPECT_EQ(ReadString("keyboard_string"), "x");
}

TEST_F(InputTest, HeldKeyIsPressedInExactlyOneFrameUnderAutoRepeat) {
  Input_KeyDown(KEY_A, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check_pressed", {KEY_A}), 1);
  for (int frame = 0; frame < 5; ++frame) {
    Input_KeyDown(KEY_A, true, false);
    Input_KeyDown(KEY_A, true, false);
    Input_Fold();
    EXPECT_EQ(Call("keyboard_check_pressed", {KEY_A}), 0) << "frame " << frame;
    EXPECT_EQ(Call("keyboard_check", {KEY_A}), 1) << "frame " << frame;
  }
  Input_KeyUp(KEY_A, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 0);
  EXPECT_EQ(Call("keyboard_check_released", {KEY_A}), 1);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check_released", {KEY_A}), 0);
  // A fresh press after the release counts again.
  Input_KeyDown(KEY_A, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check_pressed", {KEY_A}), 1);
}

TEST_F(InputTest, AutoRepeatAfterAResetHoldsTheKeyWithoutAPress) {
  Input_KeyDown(KEY_A, false, false);
  Input_Fold();
  Input_Reset();  // a message box closed while the key was held
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 0);
  Input_KeyDown(KEY_A, true, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 1);
  EXPECT_EQ(Call("keyboard_check_pressed", {KEY_A}), 0);
}

// A button or key through a run of folds. Each fold's messages are a string,
// 'd' down and 'u' up, in order; after the fold the three queries read as
// "<pressed><held><released>", each 1 or 0.
struct EdgeCase {
  const char* name;
  std::vector<const char*> messages;  // before each fold
  std::vector<const char*> seen;      // after that fold
};

const EdgeCase kEdgeCases[] = {
    // Down and up between two folds: a click, not held.
    {"TapInOneFold", {"du", ""}, {"101", "000"}},
    {"PressAndReleaseInTwoFolds", {"d", "u", ""}, {"110", "001", "000"}},
    {"HeldOverSeveralFolds", {"d", "", "", "u", ""}, {"110", "010", "010", "001", "000"}},
    {"TapThenPressInOneFoldEndsHeld", {"dud", "", "u"}, {"111", "010", "001"}},
    {"SeveralTapsInOneFoldAreOneClick", {"dudu", "", "du"}, {"101", "000", "101"}},
    {"ReleasedAndPressedAgainInOneFold", {"d", "ud", "u"}, {"110", "111", "001"}},
};

// The left mouse button and the A key go through the same cases.
struct EdgeDevice {
  const char* name;
  void (*down)();
  void (*up)();
  const char* pressed;
  const char* held;
  const char* released;
  int code;
};

const EdgeDevice kEdgeDevices[] = {
    {"Mouse", [] { Input_MouseButtonDown(1); }, [] { Input_MouseButtonUp(1); }, "mouse_check_button_pressed",
     "mouse_check_button", "mouse_check_button_released", 1},
    {"Key", [] { Input_KeyDown(KEY_A, false, false); }, [] { Input_KeyUp(KEY_A, false); },
     "keyboard_check_pressed", "keyboard_check", "keyboard_check_released", KEY_A},
};

// Test names already say the case and the device; a failure names them too.
void PrintTo(const EdgeCase& c, std::ostream* out) { *out << c.name; }
void PrintTo(const EdgeDevice& d, std::ostream* out) { *out << d.name; }

class InputEdgeTest : public InputTest,
                      public ::testing::WithParamInterface<std::tuple<EdgeCase, EdgeDevice>> {};

TEST_P(InputEdgeTest, EachFoldShowsTheEdgesSinceTheLastOne) {
  const auto& [c, device] = GetParam();
  for (size_t fold = 0; fold < c.messages.size(); ++fold) {
    for (const char* m = c.messages[fold]; *m; ++m) (*m == 'd' ? device.down : device.up)();
    Input_Fold();
    std::string seen;
    for (const char* query : {device.pressed, device.held, device.released})
      seen += Call(query, {static_cast<double>(device.code)}) != 0 ? '1' : '0';
    EXPECT_EQ(seen, c.seen[fold]) << "fold " << fold << " (pressed, held, released)";
  }
}

INSTANTIATE_TEST_SUITE_P(Folds, InputEdgeTest, ::testing::Combine(::testing::ValuesIn(kEdgeCases),
                                                                  ::testing::ValuesIn(kEdgeDevices)),
                         [](const auto& info) {
                           return std::string(std::get<1>(info.param).name) + std::get<0>(info.param).name;
                         });

// ---- Queries with the reserved codes 0, 1 and -1 ----

TEST_F(InputTest, KeyZeroMeansNoKeyAndKeyOneMeansAnyKey) {
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {0}), 1);
  EXPECT_EQ(Call("keyboard_check", {1}), 0);
  Input_KeyDown(KEY_ENTER, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {0}), 0);
  EXPECT_EQ(Call("keyboard_check", {1}), 1);
  EXPECT_EQ(Call("keyboard_check_pressed", {1}), 1);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check_pressed", {1}), 0);
  EXPECT_EQ(Call("keyboard_check_pressed", {0}), 1);
  EXPECT_EQ(Call("keyboard_check", {1}), 1);
}

TEST_F(InputTest, KeysOutsideTheByteRangeAreNeverDown) {
  Input_KeyDown(KEY_A, false, false);
  Input_KeyDown(300, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {300}), 0);
  EXPECT_EQ(Call("keyboard_check", {256}), 0);
  EXPECT_EQ(Call("keyboard_check", {-3}), 0);
  EXPECT_TRUE(Input_KeyboardCheck(KEY_A));
  EXPECT_FALSE(Input_KeyboardCheck(KEY_B));
}

TEST_F(InputTest, MouseButtonMinusOneIsAnyZeroIsNoneAndFourIsNothing) {
  Input_Fold();
  EXPECT_EQ(Call("mouse_check_button", {-1}), 0);
  EXPECT_EQ(Call("mouse_check_button", {0}), 1);
  Input_MouseButtonDown(3);
  Input_Fold();
  EXPECT_EQ(Call("mouse_check_button", {-1}), 1);
  EXPECT_EQ(Call("mouse_check_button", {0}), 0);
  EXPECT_EQ(Call("mouse_check_button", {3}), 1);
  EXPECT_EQ(Call("mouse_check_button", {4}), 0);
  EXPECT_EQ(Call("mouse_check_button_pressed", {4}), 0);
  EXPECT_EQ(Call("mouse_check_button_pressed", {-1}), 1);
  EXPECT_TRUE(Input_MouseCheckButtonPressed(3));
  EXPECT_FALSE(Input_MouseCheckButtonPressed(1));
}

// ---- Shift, Control and Alt ----

struct SideCase {
  int generic;
  bool rightSide;
  int side;
  int otherSide;
};

class InputSideCodeTest : public InputTest, public ::testing::WithParamInterface<SideCase> {};

TEST_P(InputSideCodeTest, GenericAndSideCodeGoDownAndUpTogether) {
  const SideCase& c = GetParam();
  Input_KeyDown(c.generic, false, c.rightSide);
  Input_Fold();
  EXPECT_TRUE(Input_KeyboardCheck(c.generic));
  EXPECT_TRUE(Input_KeyboardCheck(c.side));
  EXPECT_TRUE(Input_KeyboardCheckPressed(c.side));
  EXPECT_FALSE(Input_KeyboardCheck(c.otherSide));
  Input_KeyUp(c.generic, c.rightSide);
  Input_Fold();
  EXPECT_FALSE(Input_KeyboardCheck(c.generic));
  EXPECT_FALSE(Input_KeyboardCheck(c.side));
  EXPECT_TRUE(Input_KeyboardCheckReleased(c.generic));
  EXPECT_TRUE(Input_KeyboardCheckReleased(c.side));
  EXPECT_FALSE(Input_KeyboardCheckReleased(c.otherSide));
}

INSTANTIATE_TEST_SUITE_P(ShiftControlAlt, InputSideCodeTest,
                         ::testing::Values(SideCase{16, false, 160, 161}, SideCase{16, true, 161, 160},
                                           SideCase{17, false, 162, 163}, SideCase{17, true, 163, 162},
                                           SideCase{18, false, 164, 165}, SideCase{18, true, 165, 164}));


// ---- Key map ----

TEST_F(InputTest, MappedKeyIsRecordedUnderItsNewCode) {
  Call("keyboard_set_map", {KEY_A, KEY_B});
  Input_KeyDown(KEY_A, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {KEY_B}), 1);
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 0);
  EXPECT_EQ(Call("keyboard_get_map", {KEY_A}), KEY_B);
  Input_KeyUp(KEY_A, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check_released", {KEY_B}), 1);
}

TEST_F(InputTest, KeyMappedAboveTheByteRangeIsNotRecorded) {
  Call("keyboard_set_map", {KEY_A, 400});
  Input_KeyDown(KEY_A, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {1}), 0);
  Call("keyboard_unset_map");
  Input_KeyDown(KEY_A, false, false);
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {KEY_A}), 1);
}

// ---- Typed text ----

TEST_F(InputTest, TypedTextTakesPrintableCharactersAndBackspace) {
  Type(u"ab\tc");
  Input_Char(8);
  Type(u"d");
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "abd");
  EXPECT_EQ(ReadString("keyboard_lastchar"), "d");
}

TEST_F(InputTest, BackspaceOnEmptyTextLeavesItEmpty) {
  Input_Char(8);
  Input_Char(8);
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "");
  EXPECT_EQ(ReadString("keyboard_lastchar"), "\b");
  Type(u"x");
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "x");
}

TEST_F(InputTest, CharacterAt1023CharactersRestartsTheTextEmpty) {
  Type(std::u16string(1022, u'a'));
  Type(u"b");  // the 1023rd character still fits
  Input_Fold();
  std::string full = ReadString("keyboard_string");
  ASSERT_EQ(full.size(), 1023u);
  EXPECT_EQ(full.back(), 'b');
  Type(u"c");
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "c");
}

TEST_F(InputTest, BackspaceAt1023CharactersEmptiesTheText) {
  Type(std::u16string(1023, u'a'));
  Input_Char(8);
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "");
}

TEST_F(InputTest, TextCarriesCharactersBeyondAsciiAsUtf8) {
  Type(u"\u00e9\u20ac");
  Type(u"\U0001F600");  // arrives as a pair of UTF-16 halves
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  Input_Char(8);  // removes one half: the lone half reads as a replacement character
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD");
}

TEST_F(InputTest, WritingAnEmptyStringEmptiesTheTextAndTheNextCharacterIsFirst) {
  Type(u"hello");
  Input_Fold();
  Cell empty("");
  Write("keyboard_string", empty.v);
  EXPECT_EQ(ReadString("keyboard_string"), "");
  Type(u"Z");
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "Z");
}

TEST_F(InputTest, WritingANonStringEmptiesTheText) {
  Type(u"abc");
  Input_Fold();
  Write("keyboard_string", DynValue_MakeReal(42));
  EXPECT_EQ(ReadString("keyboard_string"), "");
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "");
}

TEST_F(InputTest, WrittenStringIsCutAt1024CharactersAndKeptByTheFold) {
  Cell longText(std::string(1500, 'q').c_str());
  Write("keyboard_string", longText.v);
  EXPECT_EQ(ReadString("keyboard_string").size(), 1024u);
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string").size(), 1024u);
  Type(u"r");  // 1024 characters are past the restart mark
  Input_Fold();
  EXPECT_EQ(ReadString("keyboard_string"), "r");
}


// ---- Reset and capture ----

TEST_F(InputTest, ResetClearsKeysButtonsAndText) {
  Input_KeyDown(KEY_A, false, false);
  Input_MouseButtonDown(1);
  Type(u"abc");
  Input_Fold();
  Input_KeyDown(KEY_B, false, false);  // still pending when the box opened
  Input_Reset();
  EXPECT_EQ(Call("keyboard_check", {0}), 1);
  EXPECT_EQ(Call("mouse_check_button", {0}), 1);
  EXPECT_EQ(ReadString("keyboard_string"), "");
  Input_Fold();
  EXPECT_EQ(Call("keyboard_check", {KEY_B}), 0);
  EXPECT_EQ(Call("keyboard_check_pressed", {1}), 0);
  EXPECT_EQ(ReadString("keyboard_string"), "");
}

// mouse_clear: the messages before one fold, each button's string of 'd'
// down and 'u' up; then mouse_clear(button). Each button is read as
// "<pressed><held><released>" right after the clear and after a fold with no
// new messages.
struct ClearCase {
  const char* name;
  const char* left;
  const char* right;
  int button;
  const char* leftAfter;
  const char* rightAfter;
  const char* leftNext;
  const char* rightNext;
};

const ClearCase kClearCases[] = {
    {"OneButtonGoesUpTheOtherStays", "d", "d", 1, "000", "110", "010", "010"},
    {"MinusOneClearsEveryButton", "d", "d", -1, "000", "000", "010", "010"},
    {"ZeroChangesNothing", "d", "d", 0, "110", "110", "010", "010"},
    {"FourChangesNothing", "d", "d", 4, "110", "110", "010", "010"},
    {"TapKeepsItsRelease", "du", "", 1, "001", "000", "000", "000"},
};

void PrintTo(const ClearCase& c, std::ostream* out) { *out << c.name; }

class InputClearTest : public InputTest, public ::testing::WithParamInterface<ClearCase> {
 protected:
  std::string Seen(int button) {
    std::string seen;
    for (const char* query : {"mouse_check_button_pressed", "mouse_check_button", "mouse_check_button_released"})
      seen += Call(query, {static_cast<double>(button)}) != 0 ? '1' : '0';
    return seen;
  }
};

TEST_P(InputClearTest, ClearedButtonReadsUpUntilTheNextFold) {
  const ClearCase& c = GetParam();
  for (const char* m = c.left; *m; ++m) *m == 'd' ? Input_MouseButtonDown(1) : Input_MouseButtonUp(1);
  for (const char* m = c.right; *m; ++m) *m == 'd' ? Input_MouseButtonDown(2) : Input_MouseButtonUp(2);
  Input_Fold();
  Call("mouse_clear", {static_cast<double>(c.button)});
  EXPECT_EQ(Seen(1), c.leftAfter) << "left after the clear";
  EXPECT_EQ(Seen(2), c.rightAfter) << "right after the clear";
  Input_Fold();
  EXPECT_EQ(Seen(1), c.leftNext) << "left after the next fold";
  EXPECT_EQ(Seen(2), c.rightNext) << "right after the next fold";
}

INSTANTIATE_TEST_SUITE_P(Clear, InputClearTest, ::testing::ValuesIn(kClearCases),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<bool> g_captureCalls;
void RecordCapture(bool capture) { g_captureCalls.push_back(capture); }

TEST_F(InputTest, FirstButtonDownCapturesAndLastButtonUpReleases) {
  g_captureCalls.clear();
  Input_SetCaptureHandler(RecordCapture);
  Input_MouseButtonDown(1);
  Input_MouseButtonDown(2);
  Input_MouseButtonUp(1);
  EXPECT_EQ(g_captureCalls, std::vector<bool>({true}));
  Input_MouseButtonUp(2);
  EXPECT_EQ(g_captureCalls, std::vector<bool>({true, false}));
  Input_MouseButtonDown(3);
  Input_Reset();  // no button is down after a reset: the capture goes
  EXPECT_EQ(g_captureCalls, std::vector<bool>({true, false, true, false}));
}

// ---- Mouse in room coordinates ----

TEST_F(InputTest, MouseMatchesClientPixelsWhenTheDrawingAreaIsTheRoomSize) {
  Input_SetViewMapping(1024, 768, 0, 0, 1024, 768);
  Input_MouseMove(517, 302);
  Input_Fold();
  EXPECT_EQ(ReadReal("mouse_x"), 517);
  EXPECT_EQ(ReadReal("mouse_y"), 302);
}


TEST_F(InputTest, MouseIsScaledThroughTheInsetDrawingAreaAndTruncated) {
  // A 2048 x 1536 drawing area inside a 20-pixel margin shows a 1024 x 768 room.
  Input_SetViewMapping(2088, 1576, 20, 20, 1024, 768);
  Input_MouseMove(20 + 301, 20 + 99);
  Input_Fold();
  EXPECT_EQ(Input_MouseRoomX(), 150);  // 150.5
  EXPECT_EQ(Input_MouseRoomY(), 49);   // 49.5
  Input_MouseMove(19, 17);             // in the margin: -0.5 and -1.5
  Input_Fold();
  EXPECT_EQ(Input_MouseRoomX(), 0);
  EXPECT_EQ(Input_MouseRoomY(), -1);
}


TEST_F(InputTest, TopmostPortUnderThePointerMapsItElseTheLowestVisibleView) {
  InputView views[3];
  views[0].visible = true;  // the left half shows the room's top-left part at double size
  views[0].viewX = 0, views[0].viewY = 0, views[0].viewWidth = 256, views[0].viewHeight = 384;
  views[0].portX = 0, views[0].portY = 0, views[0].portWidth = 512, views[0].portHeight = 768;
  views[1].visible = true;  // a minimap port in the top-right corner shows the whole room
  views[1].viewX = 0, views[1].viewY = 0, views[1].viewWidth = 1024, views[1].viewHeight = 768;
  views[1].portX = 824, views[1].portY = 0, views[1].portWidth = 200, views[1].portHeight = 150;
  views[2].visible = false;  // an invisible view over everything takes no part
  views[2].viewX = 5000, views[2].viewWidth = 10, views[2].viewHeight = 10;
  views[2].portWidth = 1024, views[2].portHeight = 768;
  Input_SetViews(views, 3);
  Input_SetViewMapping(1024, 768, 0, 0, 1024, 768);

  Input_MouseMove(924, 75);  // the middle of the minimap
  Input_Fold();
  EXPECT_EQ(Input_MouseRoomX(), 512);
  EXPECT_EQ(Input_MouseRoomY(), 384);
  Input_MouseMove(100, 201);  // the left port
  Input_Fold();
  EXPECT_EQ(Input_MouseRoomX(), 50);
  EXPECT_EQ(Input_MouseRoomY(), 100);  // 100.5
  Input_MouseMove(700, 600);  // under no port: mapped through view 0
  Input_Fold();
  EXPECT_EQ(Input_MouseRoomX(), 350);
  EXPECT_EQ(Input_MouseRoomY(), 300);
}

}  // namespace
