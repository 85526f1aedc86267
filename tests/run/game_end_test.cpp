// SPDX-License-Identifier: Zlib
// The Game End event in real runs of a small game (tests/run/game_end): every
// instance's GameEnd event writes "game end <id> after <steps> steps" to the
// debug output when the game ends normally (after -frames, a scripted quit,
// -exit, and SIGTERM or SIGINT, which arrive as the window's close), and
// none runs when a fatal error aborts the game.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ChildProgram.h"
#include "TempFolder.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(30);  // a sanitizer build starts slowly

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class GameEndTest : public ::testing::Test {
 protected:
  std::string OutputPath() const { return folder_.Path() + "output.txt"; }
  std::string Output() const { return ReadFile(OutputPath()); }
  std::string LogPath() const { return folder_.Path() + "stdout.txt"; }

  // Starts the game headless, its save folder and debug output in the test's
  // folder, with SIGINT and SIGTERM at their defaults as from a terminal (a
  // shell without job control starts background commands with SIGINT
  // ignored, and the game would inherit that).
  pid_t Start(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {GAME_END_PROGRAM, "-headless", "-noaudio",  "-game",
                                     GAME_END_DATA,    "-output",   OutputPath()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::remove(OutputPath().c_str());  // nothing of the run before may count
    auto oldInt = signal(SIGINT, SIG_DFL);
    auto oldTerm = signal(SIGTERM, SIG_DFL);
    pid_t pid = ChildProgram_Start(args, {{"XDG_DATA_HOME", folder_.Path() + "data"}}, LogPath());
    signal(SIGINT, oldInt);
    signal(SIGTERM, oldTerm);
    return pid;
  }

  // As ChildProgram_Wait, but a game that does not end in time is killed (-1).
  static int Wait(pid_t pid) {
    if (pid < 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string WritePlayback(const std::string& script) {
    const std::string path = folder_.Path() + "input.txt";
    std::ofstream(path) << script;
    return path;
  }

  TempFolder folder_{"game_end"};
};

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::string EndLines(int steps) {
  const std::string after = " after " + std::to_string(steps) + " steps\n";
  return "game end 100001" + after + "game end 100002" + after;
}

TEST_F(GameEndTest, RunsForEveryInstanceWhenTheGameEndsNormallyAndNotAfterAFatalError) {
  struct Case {
    const char* name;
    const char* playback;  // "" for none
    std::vector<std::string> options;
    int exitCode;
    std::string endLines;  // "" when no Game End event may run
  };
  const Case cases[] = {
      {"-frames 3", "", {"-frames", "3"}, 0, EndLines(3)},
      // The quit arrives before frame 2's step, which it ends at once.
      {"scripted quit", "2 quit\n", {}, 0, EndLines(2)},
      {"-exit after playback", "1 keydown a\n", {"-exit"}, 0, EndLines(3)},
      {"fatal error", "1 keydown space\n", {"-frames", "5"}, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> options = {"-nowait"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    if (*c.playback) {
      options.push_back("-playback");
      options.push_back(WritePlayback(c.playback));
    }
    EXPECT_EQ(Wait(Start(options)), c.exitCode) << ReadFile(LogPath());
    const std::string output = Output();
    if (c.endLines.empty()) {
      EXPECT_NE(output.find("ERROR"), std::string::npos) << output;
      EXPECT_EQ(output.find("game end"), std::string::npos) << output;
    } else {
      EXPECT_NE(output.find(c.endLines), std::string::npos) << output;
      EXPECT_EQ(Count(output, "game end"), 2) << output;
    }
  }
}

// SIGTERM (what a session's end or `kill` sends) and SIGINT (Ctrl+C) close
// the game like its window's close button, paced as a real run is.
TEST_F(GameEndTest, SigtermAndSigintEndTheGameNormally) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig == SIGTERM ? "SIGTERM" : "SIGINT");
    pid_t pid = Start({});
    ASSERT_GT(pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (Output().find("running\n") == std::string::npos && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_NE(Output().find("running\n"), std::string::npos) << "the game did not start";
    kill(pid, sig);
    EXPECT_EQ(Wait(pid), 0) << ReadFile(LogPath());
    const std::string output = Output();
    const size_t first = output.find("game end 100001 after ");
    const size_t second = output.find("game end 100002 after ");
    EXPECT_NE(second, std::string::npos) << output;
    EXPECT_LT(first, second) << output;  // in instance order
    EXPECT_EQ(Count(output, "game end"), 2) << output;
  }
}

}  // namespace
