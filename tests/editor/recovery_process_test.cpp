// SPDX-License-Identifier: Zlib
// Unsaved work survives the ways a real program ends that a scenario cannot
// play: the end of an input script (-exit), the system asking it to end
// (SIGTERM, as a logout or `kill` does) and a real SIGKILL, which no program
// can catch. Each time the program is started for real, headless, with an
// input script that makes two frames of three parts and exports them (the
// export's text in the log says the input has been played); then it is
// started again on the same save folder, and the work must be back.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProgram.h"
#include "TempFolder.h"

namespace {

const std::string kProgram = MOBWRIGHT_PROGRAM;

// Two frames: the first with one part, the second with two; then Export.
const char* const kInput =
    "2 move 128 128\n3 click left\n5 move 127 47\n6 click left\n8 move 400 300\n9 click left\n"
    "11 move 243 47\n12 click left\n14 move 450 350\n15 click left\n17 move 95 502\n18 click left\n";
const char* const kExported = "switch floor(frame) {";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class RecoveryProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temporary_.Path().empty());
    std::ofstream(folder_ + "input.txt") << kInput;
  }

  // Starts the program with the arguments; its log goes to <log>.
  pid_t Start(std::vector<std::string> arguments, const std::string& log) {
    arguments.insert(arguments.begin(), {kProgram, "-headless", "-noaudio", "-output", folder_ + log});
    return ChildProgram_Start(arguments, {{"XDG_DATA_HOME", folder_}}, folder_ + "output.txt");
  }

  int Wait(pid_t child) { return ChildProgram_Wait(child); }

  // Polls until the predicate holds, for at most 30 s (a slow machine under
  // load; this bounds a hang, it measures nothing).
  template <typename Predicate>
  bool WaitFor(Predicate holds) {
    for (int i = 0; i < 3000; ++i) {
      if (holds()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool Exported(const std::string& log) { return ReadFile(folder_ + log).find(kExported) != std::string::npos; }
  std::string Saved(const std::string& name) { return folder_ + "Mobwright/" + name; }

  // The next start, three frames long: the state it shows after frame 1.
  void ExpectRestored() {
    EXPECT_EQ(Wait(Start({"-nowait", "-frames", "3", "-dumpstate", "1", folder_ + "dump.json"}, "next.txt")), 0);
    std::string log = ReadFile(folder_ + "next.txt");
    // The message names the time the work was kept, as the user's clock
    // showed it: within the last few minutes of this test.
    std::smatch when;
    ASSERT_TRUE(std::regex_search(log, when,
                                  std::regex("\\[message box\\] Mobwright Studio\\| Tindra \nRestored the unsaved work of "
                                             "(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2})\\.\n")))
        << log;
    std::tm kept = {};
    kept.tm_year = std::stoi(when[1]) - 1900;
    kept.tm_mon = std::stoi(when[2]) - 1;
    kept.tm_mday = std::stoi(when[3]);
    kept.tm_hour = std::stoi(when[4]);
    kept.tm_min = std::stoi(when[5]);
    kept.tm_isdst = -1;
    double age = std::difftime(std::time(nullptr), std::mktime(&kept));
    EXPECT_GE(age, 0);
    EXPECT_LT(age, 300);
    std::string dump = ReadFile(folder_ + "dump.json");
    EXPECT_EQ(Count(dump, "\"object\": \"obj_Frame\""), 2u);
    EXPECT_EQ(Count(dump, "\"object\": \"obj_Canvas_Object\""), 2u) << "the second frame, active, on the canvas";
  }

  TempFolder temporary_{"mobwright_recovery_process_test"};
  std::string folder_ = temporary_.Path();
};

// -exit ends the run after the input's last frame: the close keeps the work.
TEST_F(RecoveryProcess, TheEndOfAnInputScriptKeepsTheWork) {
  EXPECT_EQ(Wait(Start({"-nowait", "-playback", folder_ + "input.txt", "-exit"}, "first.txt")), 0);
  EXPECT_TRUE(Exported("first.txt"));
  ExpectRestored();
}

// SIGTERM right after the export, paced at 60 frames a second: the program
// ends normally (exit code 0, not killed) and keeps the work at its close.
TEST_F(RecoveryProcess, SigtermEndsTheProgramNormallyAndKeepsTheWork) {
  pid_t child = Start({"-playback", folder_ + "input.txt"}, "first.txt");
  ASSERT_GT(child, 0);
  bool exported = WaitFor([&] { return Exported("first.txt"); });
  kill(child, SIGTERM);
  EXPECT_EQ(Wait(child), 0);
  ASSERT_TRUE(exported);
  ExpectRestored();
}

// SIGKILL cannot be caught: the work survives only because the editor wrote
// it while running, within a second or two of the change.
TEST_F(RecoveryProcess, SigkillLosesNothingWrittenBeforeIt) {
  pid_t child = Start({"-playback", folder_ + "input.txt"}, "first.txt");
  ASSERT_GT(child, 0);
  bool exported = WaitFor([&] { return Exported("first.txt"); });
  bool kept = WaitFor([&] { return access(Saved("recovery.dat").c_str(), F_OK) == 0; });
  // The write is atomic: once the name is there, the file is whole.
  kill(child, SIGKILL);
  EXPECT_EQ(Wait(child), 128 + SIGKILL);
  ASSERT_TRUE(exported);
  ASSERT_TRUE(kept) << "recovery.dat was never written while the program ran";
  ExpectRestored();
}

}  // namespace
