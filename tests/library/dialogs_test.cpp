// SPDX-License-Identifier: Zlib
// clipboard_set_text and show_message through the platform seams: the default
// in-process clipboard and console message box, and replaced implementations.
#include "LibraryTestSupport.h"
#include "base/Console.h"
#include "library/Dialogs.h"
#include "platform/Clipboard.h"
#include "platform/MessageBox.h"

namespace {

struct Shown {
  std::string caption;
  std::string text;
  int count = 0;
};
Shown g_Shown;
int g_InputResets = 0;

void RecordBox(const char* caption, const char* text) {
  g_Shown.caption = caption;
  g_Shown.text = text;
  ++g_Shown.count;
}
const char* WindowCaption() { return "Mobwright Studio| Tindra "; }
void CountReset() { ++g_InputResets; }

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library_EnsureRegistered();
    g_Shown = Shown();
    g_InputResets = 0;
  }
  void TearDown() override {
    Platform_SetMessageBoxImplementation(nullptr);
    Platform_SetMessageBoxCaptionSource(nullptr);
    Dialogs_SetInputResetAfterMessage(nullptr);
    Platform_SetClipboardImplementation(nullptr);
  }
};

TEST_F(DialogsTest, ClipboardKeepsTheTextAndEmptyTextEmptiesIt) {
  Call("clipboard_set_text", {"case 0:\n\tdraw_sprite_ext(...);"});
  EXPECT_EQ(Platform_GetClipboardText(), "case 0:\n\tdraw_sprite_ext(...);");
  Call("clipboard_set_text", {""});
  EXPECT_EQ(Platform_GetClipboardText(), "");
}

TEST_F(DialogsTest, ClipboardIgnoresAnArgumentWithoutText) {
  Call("clipboard_set_text", {"kept"});
  Cell result = Call("clipboard_set_text", {Cell(DynValue_MakeObject(nullptr))});
  EXPECT_EQ(Platform_GetClipboardText(), "kept");
  EXPECT_EQ(result.Kind(), KIND_NUMBER);
  EXPECT_EQ(result.Real(), 0);
}

std::string g_SystemClipboard;
bool SetSystem(const char* text) {
  g_SystemClipboard = std::string("system:") + text;
  return true;
}
std::string GetSystem() { return g_SystemClipboard; }

TEST_F(DialogsTest, ClipboardGoesThroughAReplacedImplementation) {
  static const ClipboardImplementation system = {SetSystem, GetSystem};
  Platform_SetClipboardImplementation(&system);
  Call("clipboard_set_text", {"x"});
  EXPECT_EQ(g_SystemClipboard, "system:x");
  EXPECT_EQ(Platform_GetClipboardText(), "system:x");
}

TEST_F(DialogsTest, ShowMessageUsesTheWindowCaptionAndResetsInput) {
  Platform_SetMessageBoxImplementation(RecordBox);
  Platform_SetMessageBoxCaptionSource(WindowCaption);
  Dialogs_SetInputResetAfterMessage(CountReset);
  Call("show_message", {0.5});
  EXPECT_EQ(g_Shown.count, 1);
  EXPECT_EQ(g_Shown.caption, "Mobwright Studio| Tindra ");
  EXPECT_EQ(g_Shown.text, "0.50");
  EXPECT_EQ(g_InputResets, 1);
}

TEST_F(DialogsTest, HeadlessMessageBoxIsLoggedAndAnsweredAtOnce) {
  TErrStreamConsole console;
  TConsole* previous = Console_SetDebug(&console);
  Call("show_message", {"Frames saved"});
  Platform_ShowMessageBox("Error", "report");
  Console_SetDebug(previous);
  EXPECT_NE(console.Text().find("Frames saved"), std::string::npos);
  EXPECT_NE(console.Text().find("Error"), std::string::npos);
  EXPECT_NE(console.Text().find("report"), std::string::npos);
}

}  // namespace
