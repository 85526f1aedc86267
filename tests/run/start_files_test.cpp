// SPDX-License-Identifier: Zlib
// The files a run reads at its start, in real runs of a small game
// (tests/run/game_end): the game data of -game, the -playback script and the
// options.ini beside the data. A named pipe, a device, a folder or a file
// past the reader's limit in their place is refused at once with a line that
// names the file and the reason: -game and -playback end the run (exit 1 and
// 2), options.ini is ignored as when it is missing. Each run has a deadline,
// so a reader that blocks fails the test instead of hanging it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ChildProgram.h"
#include "TempFolder.h"
#include "WithinDeadline.h"
#include "run/InputScript.h"
#include "run/OptionsIni.h"
#include "run/RunnerInternal.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class StartFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The data beside a folder's options.ini: a copy of the game's.
    data_ = folder_.Path() + "game.win";
    std::filesystem::copy_file(GAME_END_DATA, data_);
  }

  // Runs the game headless for two frames with these options: its exit code
  // (-1 when it did not end in time and was killed) and its output in *log.
  int Run(const std::vector<std::string>& options, std::string* log) {
    std::vector<std::string> args = {GAME_END_PROGRAM, "-headless", "-noaudio", "-nowait", "-frames", "2"};
    args.insert(args.end(), options.begin(), options.end());
    const std::string logPath = folder_.Path() + "log" + std::to_string(runs_++) + ".txt";
    pid_t pid = ChildProgram_Start(args, {{"XDG_DATA_HOME", folder_.Path() + "data"}}, logPath);
    int code = -1;
    const auto deadline = std::chrono::steady_clock::now() + kNoBlockDeadline;
    int status = 0;
    while (pid > 0) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    *log = ReadFile(logPath);
    return code;
  }

  // The reason a reader gives for each thing in place of its file.
  static std::string Reason(NotAFile kind, uint64_t limit) {
    return kind == NotAFile::kOversized ? "larger than " + std::to_string(limit) + " bytes" : "not a regular file";
  }

  TempFolder folder_{"start_files"};
  std::string data_;
  int runs_ = 0;
};

TEST_F(StartFilesTest, GameDataThatIsNotARegularFileEndsTheRunWithTheReason) {
  for (NotAFile kind : kEveryNotAFile) {
    const std::string path = folder_.Path() + "data " + NotAFile_Name(kind);
    ASSERT_TRUE(NotAFile_Make(kind, path, kGameDataMaxBytes)) << path;
    std::string log;
    EXPECT_EQ(Run({"-game", path}, &log), 1) << NotAFile_Name(kind) << ":\n" << log;
    EXPECT_NE(log.find("FAILED to load File " + path + ": " + Reason(kind, kGameDataMaxBytes) + "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Unable to find game!!: " + path), std::string::npos) << log;
  }
  std::string log;
  EXPECT_EQ(Run({"-game", data_}, &log), 0) << log;
  EXPECT_EQ(log.find("FAILED to load File"), std::string::npos) << log;
}

TEST_F(StartFilesTest, PlaybackScriptThatIsNotARegularFileEndsTheRunWithTheReason) {
  for (NotAFile kind : kEveryNotAFile) {
    const std::string path = folder_.Path() + "script " + NotAFile_Name(kind);
    ASSERT_TRUE(NotAFile_Make(kind, path, kInputScriptMaxBytes)) << path;
    std::string log;
    EXPECT_EQ(Run({"-game", data_, "-playback", path}, &log), 2) << NotAFile_Name(kind) << ":\n" << log;
    EXPECT_NE(log.find("The playback script " + path + " cannot be used: " + Reason(kind, kInputScriptMaxBytes)),
              std::string::npos)
        << log;
  }
  const std::string script = folder_.Path() + "script.txt";
  std::ofstream(script) << "1 move 10 10\n";
  std::string log;
  EXPECT_EQ(Run({"-game", data_, "-playback", script}, &log), 0) << log;
}

TEST_F(StartFilesTest, OptionsIniThatIsNotARegularFileIsIgnoredWithTheReason) {
  const std::string ini = folder_.Path() + "options.ini";
  for (NotAFile kind : kEveryNotAFile) {
    std::filesystem::remove_all(ini);
    ASSERT_TRUE(NotAFile_Make(kind, ini, kOptionsIniMaxBytes)) << NotAFile_Name(kind);
    std::string log;
    EXPECT_EQ(Run({"-game", data_}, &log), 0) << NotAFile_Name(kind) << ":\n" << log;
    EXPECT_NE(log.find("Ignoring INI File " + ini + ": " + Reason(kind, kOptionsIniMaxBytes) + "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("!!!!No INI File " + ini), std::string::npos) << log;
  }
  std::filesystem::remove_all(ini);
  std::ofstream(ini) << "[Windows]\nSleepMargin=2\n";
  std::string log;
  EXPECT_EQ(Run({"-game", data_}, &log), 0) << log;
  EXPECT_EQ(log.find("INI File " + ini), std::string::npos) << log;  // neither ignored nor missing
}

}  // namespace
