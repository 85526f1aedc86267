// SPDX-License-Identifier: Zlib
// The error report: call stack from compiled frames, the report layout, the
// dialog text, fatal versus non-fatal and the exit code.
#include "RuntimeFixture.h"

#include "platform/MessageBox.h"

namespace {

// Three nested "compiled" functions, written the way generated code keeps its
// call frames: the innermost raises an error.
void Innermost() {
  CallFrame frame{g_CallFrameHead, "ksl_Script_inner", 0};
  g_CallFrameHead = &frame;
  frame.line = 12;
  Runtime_Error("something went wrong");
  g_CallFrameHead = frame.previous;
}

void Middle() {
  CallFrame frame{g_CallFrameHead, "ksl_Script_middle", 0};
  g_CallFrameHead = &frame;
  frame.line = 7;
  Innermost();
  g_CallFrameHead = frame.previous;
}

void Outer(CInstance*, CInstance*) {
  CallFrame frame{g_CallFrameHead, "ksl_Object_obj_A_Step_0", 0};
  g_CallFrameHead = &frame;
  frame.line = 3;
  Middle();
  g_CallFrameHead = frame.previous;
}

CompiledFunctionEntry g_functions[] = {{"ksl_Object_obj_A_Step_0", reinterpret_cast<CompiledAnyFn>(&Outer)}};

int g_fatalCalls = 0;
void CountFatal() { ++g_fatalCalls; }

}  // namespace

class ErrorReportTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    Error_EndCatch(false);  // these tests make real reports
    previousHandler = Error_SetFatalHandler(CountFatal);
    g_fatalCalls = 0;
  }
  void TearDown() override {
    Error_SetFatalHandler(previousHandler);
    Error_BeginCatch();
    RuntimeTest::TearDown();
  }
  FatalErrorHandler previousHandler = nullptr;
};

TEST_F(ErrorReportTest, ThreeNestedFunctionsGiveThreeCalledFromLinesNewestFirst) {
  CompiledCodeInfo info{};
  info.functionCount = 1;
  info.functionTable = g_functions;
  Code_Load(info);
  CObjectType* object = AddObject(0, "obj_A");
  object->AddEvent(ev_step, 0, 0);
  Object_BindEvents();
  CInstance* a = Instance_Create(0, 0, 0, 0);

  Perform_Event(a, a, ev_step, 0);

  const std::string& report = Error_State().lastError;
  const std::string hashes(92, '#');
  const std::string dashes(92, '-');
  std::string expected = hashes + "\n" +
                         "FATAL ERROR in\naction number 1\nof Step Event\nfor object obj_A:\n\n\nsomething went wrong\n" +
                         "at ksl_Script_inner\n" + hashes + "\n" + dashes + "\n" +
                         "called from - ksl_Script_inner (line 12)\n" + "called from - ksl_Script_middle (line 7)\n" +
                         "called from - ksl_Object_obj_A_Step_0 (line 3)\n";
  EXPECT_EQ(report, expected);
  EXPECT_EQ(g_fatalCalls, 1);
  EXPECT_NE(releaseLog.Text().find("ERROR!!! :: " + hashes), std::string::npos);
  EXPECT_EQ(g_CallFrameHead, nullptr);  // every frame unlinked on the way out
}

TEST_F(ErrorReportTest, NonFatalHasNoPrefixAndGoesOn) {
  Runtime_ErrorNonFatal("Data structure with index does not exist.");
  EXPECT_EQ(g_fatalCalls, 0);
  EXPECT_EQ(Error_State().lastError.find("ERROR\n\n\nData structure"), 93u);
  EXPECT_EQ(Error_State().lastError.find("FATAL"), std::string::npos);
}

TEST_F(ErrorReportTest, NegativeLineOmitsTheLineNumber) {
  CallFrame frame{nullptr, "ksl_Script_x", -1};
  g_CallFrameHead = &frame;
  EXPECT_EQ(Error_CallStackText(), std::string(92, '-') + "\ncalled from - ksl_Script_x\n");
  g_CallFrameHead = nullptr;
}

TEST_F(ErrorReportTest, SourceLineTextWhenProvided) {
  Error_SetSourceLineProvider([](const char*, int line) -> const char* { return line == 4 ? "x = y;" : nullptr; });
  CallFrame frame{nullptr, "ksl_Script_x", 4};
  g_CallFrameHead = &frame;
  Runtime_Error("boom");
  g_CallFrameHead = nullptr;
  Error_SetSourceLineProvider(nullptr);
  EXPECT_NE(Error_State().lastError.find("\n at ksl_Script_x (line 4) - x = y;\n"), std::string::npos);
}

TEST_F(ErrorReportTest, ReportIsShownInTheMessageBox) {
  static std::string shownCaption, shownText;
  MessageBoxImplementation previous = Platform_SetMessageBoxImplementation([](const char* caption, const char* text) {
    shownCaption = caption;
    shownText = text;
  });
  Runtime_Error("shown\tto the user");
  Platform_SetMessageBoxImplementation(previous);
  EXPECT_EQ(shownText, Error_DialogText(Error_State().lastError));
  EXPECT_EQ(shownText.substr(0, 45), std::string(43, '_') + "\r\n");
  EXPECT_NE(shownText.find("shown   to the user\r\n"), std::string::npos);
  EXPECT_EQ(shownCaption, "Error");
}

TEST_F(ErrorReportTest, DialogTextUsesCrLfAndWidensTabs) {
  EXPECT_EQ(Error_DialogText("a\n\tb\nab\tc"), std::string(43, '_') + "\r\na\r\n    b\r\nab  c");
}

TEST_F(ErrorReportTest, CatchingOnlySetsTheFlag) {
  bool previous = Error_BeginCatch();
  Error_State().lastError = "untouched";
  Runtime_Error("caught %d", 5);
  EXPECT_TRUE(Error_EndCatch(previous));
  EXPECT_EQ(Error_State().lastError, "untouched");
  EXPECT_EQ(Error_State().lastMessage, "caught 5");
  EXPECT_EQ(g_fatalCalls, 0);
}

TEST(ErrorExit, FatalErrorEndsTheProcessWithExitCodeOne) {
  EXPECT_EXIT(
      {
        Console_SetRelease(new DummyConsole);
        Console_SetDebug(new DummyConsole);
        Runtime_Error("fatal %s", "now");
      },
      ::testing::ExitedWithCode(1), "");
}
