// SPDX-License-Identifier: Zlib
// The real program with sound on, as people start it (no -noaudio), headless
// for a few frames: it must open the machine's sound device or say plainly
// that there is none, and end normally either way. A machine without a sound
// card (a CI runner) takes the second road; the audio library's silent
// driver and a driver that does not exist force each road on any machine.
#include <gtest/gtest.h>


#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "ChildProgram.h"
#include "TempFolder.h"


namespace {

const std::string kProgram = MOBWRIGHT_PROGRAM;
const char* const kOpened = "Audio: opened the device \"";
const char* const kNoDevice = "Audio: no audio device could be opened\n";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Outcome {
  int exitCode = -1;  // 128 + the signal when one ended it
  std::string log;
};

// Runs the program headless with sound on for `frames` frames, with the
// audio library's driver list set to `drivers` (unset when null), and a
// fresh save folder. The debug log is what the program wrote to -output.
Outcome RunWithSound(const char* drivers, int frames, const std::string& playback = "") {
  Outcome outcome;
  TempFolder temporary("mobwright_audio_device_test");
  if (temporary.Path().empty()) return outcome;
  const std::string folder = temporary.Path().substr(0, temporary.Path().size() - 1);
  const std::string log = folder + "/log.txt", input = folder + "/input.txt";
  std::vector<std::string> arguments = {kProgram, "-headless", "-nowait", "-frames", std::to_string(frames),
                                        "-output", log};
  if (!playback.empty()) {
    std::ofstream(input) << playback;
    arguments.insert(arguments.end(), {"-playback", input});
  }
  std::vector<std::pair<std::string, std::string>> environment = {{"XDG_DATA_HOME", folder}};
  if (drivers) environment.emplace_back("ALSOFT_DRIVERS", drivers);
  outcome.exitCode = ChildProgram_Wait(ChildProgram_Start(arguments, environment, folder + "/output.txt"));
  outcome.log = ReadFile(log);
  return outcome;
}

}  // namespace

TEST(AudioDevice, TheMachinesDeviceOpensOrTheProgramSaysThereIsNone) {
  const char* drivers = std::getenv("ALSOFT_DRIVERS");  // as the machine is set up
  Outcome run = RunWithSound(drivers, 20);
  EXPECT_EQ(run.exitCode, 0) << run.log;
  bool opened = run.log.find(kOpened) != std::string::npos;
  bool none = run.log.find(kNoDevice) != std::string::npos;
  EXPECT_TRUE(opened != none) << "the log should say either that the device opened or that none could be:\n" << run.log;
  EXPECT_EQ(run.log.find("Audio: sound disabled"), std::string::npos) << "sound was on";
  EXPECT_NE(run.log.find("Entering main loop."), std::string::npos) << run.log;
  std::cout << "  this machine: " << (opened ? "a sound device opened" : "no sound device") << "\n";
}

TEST(AudioDevice, WithTheSilentDriverTheDeviceOpensAndTheFirstTrackPlays) {
  // The play button is at (246, 111); the controller writes the instance of
  // the track it started every step once one plays.
  Outcome run = RunWithSound("null", 30, "2 move 246 111\n3 click left\n");
  EXPECT_EQ(run.exitCode, 0) << run.log;
  EXPECT_NE(run.log.find(kOpened), std::string::npos) << run.log;
  EXPECT_EQ(run.log.find(kNoDevice), std::string::npos) << run.log;
  EXPECT_NE(run.log.find("\nCurrent Song: 0\nCurrent Song ID: 400001\n"), std::string::npos) << run.log;
  EXPECT_EQ(run.log.find("could not"), std::string::npos) << run.log;
}

TEST(AudioDevice, WithNoDriverTheProgramSaysSoAndRunsOnWithoutSound) {
  // A click on play with no device: the play fails (-1) and nothing breaks.
  Outcome run = RunWithSound("no_such_driver", 30, "2 move 246 111\n3 click left\n");
  EXPECT_EQ(run.exitCode, 0) << run.log;
  EXPECT_NE(run.log.find(kNoDevice), std::string::npos) << run.log;
  EXPECT_EQ(run.log.find(kOpened), std::string::npos) << run.log;
  EXPECT_NE(run.log.find("\nCurrent Song: 0\nCurrent Song ID: -1\n"), std::string::npos) << run.log;
  EXPECT_EQ(run.log.find("[message box] Error"), std::string::npos) << run.log;
}
