// SPDX-License-Identifier: Zlib
// The options that scenarios hand the program: -screenshot and -dumpstate,
// each repeatable, one frame and one file per use, the sound options
// -audio loopback and -audiostall, -failsave for interrupted saves, --version,
// and the figure to open (a file, or --example NAME).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "run/Runner.h"

namespace {

bool Parse(std::vector<const char*> arguments, RunnerOptions* options, std::string* error) {
  arguments.insert(arguments.begin(), "mobwright");
  return Runner_ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

}  // namespace

TEST(FrameFileOptions, EachUseAddsOneFrameAndFileInOrder) {
  RunnerOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"-screenshot", "1", "a.png", "-dumpstate", "2", "b.json", "-headless", "-screenshot", "5", "c.png",
                     "-dumpstate", "2", "d.json"},
                    &options, &error))
      << error;
  ASSERT_EQ(options.screenshots.size(), 2u);
  EXPECT_EQ(options.screenshots[0].frame, 1);
  EXPECT_EQ(options.screenshots[0].file, "a.png");
  EXPECT_EQ(options.screenshots[1].frame, 5);
  EXPECT_EQ(options.screenshots[1].file, "c.png");
  // Two files for one frame are both written.
  ASSERT_EQ(options.stateDumps.size(), 2u);
  EXPECT_EQ(options.stateDumps[0].frame, 2);
  EXPECT_EQ(options.stateDumps[0].file, "b.json");
  EXPECT_EQ(options.stateDumps[1].file, "d.json");
  EXPECT_TRUE(options.headless);

  // The single use still works alone.
  RunnerOptions single;
  ASSERT_TRUE(Parse({"-screenshot", "0", "first.png"}, &single, &error)) << error;
  ASSERT_EQ(single.screenshots.size(), 1u);
  EXPECT_EQ(single.screenshots[0].frame, 0);
  EXPECT_TRUE(single.stateDumps.empty());
}

TEST(FrameFileOptions, AFrameThatIsNotANumberOrAMissingFileIsRefused) {
  const std::vector<std::vector<const char*>> bad = {
      {"-dumpstate", "x", "state.json"}, {"-dumpstate", "-1", "state.json"}, {"-dumpstate", "3"},
      {"-screenshot", "2.5", "a.png"},   {"-screenshot"}};
  for (const auto& arguments : bad) {
    RunnerOptions options;
    std::string error;
    EXPECT_FALSE(Parse(arguments, &options, &error)) << arguments[0] << " " << (arguments.size() > 1 ? arguments[1] : "");
    EXPECT_NE(error.find(arguments[0]), std::string::npos) << error;
  }
}

// -audio loopback mixes sound into memory frame by frame; -audiostall adds
// a slow frame's sound to it, repeatable. Anything else is refused by name.
TEST(AudioOptions, LoopbackAndStallsAreReadAndBadValuesRefused) {
  RunnerOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"-audio", "loopback", "-audiostall", "30", "100", "-audiostall", "2", "0"}, &options, &error))
      << error;
  EXPECT_TRUE(options.audioLoopback);
  EXPECT_FALSE(options.noAudio);
  ASSERT_EQ(options.audioStalls.size(), 2u);
  EXPECT_EQ(options.audioStalls[0].frame, 30);
  EXPECT_EQ(options.audioStalls[0].milliseconds, 100);
  EXPECT_EQ(options.audioStalls[1].frame, 2);
  EXPECT_EQ(options.audioStalls[1].milliseconds, 0);

  RunnerOptions plain;
  ASSERT_TRUE(Parse({"-headless"}, &plain, &error)) << error;
  EXPECT_FALSE(plain.audioLoopback);
  EXPECT_TRUE(plain.audioStalls.empty());

  const std::vector<std::vector<const char*>> bad = {
      {"-audio", "system"}, {"-audio"}, {"-audiostall", "3"}, {"-audiostall", "x", "10"},
      {"-audiostall", "-1", "10"}, {"-audiostall", "3", "60001"}, {"-audiostall", "3", "1.5"}};
  for (const auto& arguments : bad) {
    RunnerOptions refused;
    EXPECT_FALSE(Parse(arguments, &refused, &error)) << arguments[0] << " " << (arguments.size() > 1 ? arguments[1] : "");
    EXPECT_NE(error.find(arguments[0]), std::string::npos) << error;
  }
}

// -failsave N: the save folder's file step N and every later one fail. Steps
// count from 1; anything else is refused, naming the option and the value.
TEST(FailSaveOption, AStepFromOneIsReadAndAnythingElseRefusedByName) {
  RunnerOptions plain;
  std::string error;
  ASSERT_TRUE(Parse({"-headless"}, &plain, &error)) << error;
  EXPECT_EQ(plain.failSaveStep, 0) << "without the option nothing fails";

  for (const auto& [text, step] : std::vector<std::pair<const char*, int64_t>>{{"1", 1}, {"47", 47}, {"100000", 100000}}) {
    RunnerOptions options;
    ASSERT_TRUE(Parse({"-noaudio", "-failsave", text, "-headless"}, &options, &error)) << text << ": " << error;
    EXPECT_EQ(options.failSaveStep, step) << text;
    EXPECT_TRUE(options.headless) << "the options after it are still read";
  }

  for (const char* text : {"0", "-1", "x", "2.5", "", "3x", "9223372036854775808"}) {
    RunnerOptions options;
    error.clear();
    EXPECT_FALSE(Parse({"-failsave", text}, &options, &error)) << "'" << text << "'";
    EXPECT_EQ(error, std::string("-failsave takes a step number from 1, not '") + text + "'");
  }
  RunnerOptions options;
  EXPECT_FALSE(Parse({"-headless", "-failsave"}, &options, &error));
  EXPECT_EQ(error, "option -failsave needs a value");
}

// --version only asks for the version; other options beside it are still read.
TEST(VersionOption, IsReadAloneAndAmongOthers) {
  RunnerOptions plain;
  std::string error;
  ASSERT_TRUE(Parse({"-headless"}, &plain, &error)) << error;
  EXPECT_FALSE(plain.showVersion);

  RunnerOptions options;
  ASSERT_TRUE(Parse({"-noaudio", "--version", "-scale", "2"}, &options, &error)) << error;
  EXPECT_TRUE(options.showVersion);
  EXPECT_TRUE(options.noAudio);
  EXPECT_EQ(options.scale, 2);
}

// A file to open stands alone; --example takes a name when one follows.
TEST(OpenOptions, AFileAndAnExampleAreRead) {
  struct Case {
    std::vector<const char*> arguments;
    bool ok;
    std::string openFile, exampleName;
    bool example;
  };
  const Case cases[] = {
      {{"-headless", "figure.ksl", "-noaudio"}, true, "figure.ksl", "", false},
      {{"-playback", "input.txt", "a.ksl"}, true, "a.ksl", "", false},  // an option's value is not a file
      {{"a.ksl", "b.ksl"}, false, "", "", false},
      {{"--example"}, true, "", "", true},
      {{"--example", "-headless"}, true, "", "", true},
      {{"--example", "bee", "-headless"}, true, "", "bee", true},
  };
  for (const Case& c : cases) {
    RunnerOptions options;
    std::string error;
    SCOPED_TRACE(c.arguments.size() > 1 ? c.arguments[1] : c.arguments[0]);
    ASSERT_EQ(Parse(c.arguments, &options, &error), c.ok) << error;
    if (!c.ok) {
      EXPECT_EQ(error, "one file to open at a time, not both 'a.ksl' and 'b.ksl'");
      continue;
    }
    EXPECT_EQ(options.openFile, c.openFile);
    EXPECT_EQ(options.example, c.example);
    EXPECT_EQ(options.exampleName, c.exampleName);
  }
}
