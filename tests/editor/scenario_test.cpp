// SPDX-License-Identifier: Zlib
// Runs every scenario under tests/editor/scenarios/ against the real program,
// headless, without sound unless the scenario mixes it on the loopback device,
// one test case per file (see README.md beside this file).
//
// Each scenario gets a fresh folder with its own save folder (XDG_DATA_HOME
// points into it), so no scenario sees another's saved files. A scenario is
// one run of the program or several (`restart`), all with that save folder;
// each run keeps its input script, debug log, state dumps and screenshots in
// a folder of its own (run1/, run2/, ...), and the scenario's changes to the
// saved files are made between runs. A passing scenario's folder is removed;
// a failing one's is kept and named in the failure.
#include <gtest/gtest.h>


#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ChildProgram.h"
#include "Scenario.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kProgram = MOBWRIGHT_PROGRAM;
const std::string kScenarioFolder = MOBWRIGHT_SCENARIO_FOLDER;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> ScenarioFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(kScenarioFolder, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file() && it->path().extension() == ".scn") files.push_back(it->path().string());
  std::sort(files.begin(), files.end());
  return files;
}

// "runner/startup_counts.scn" -> "runner_startup_counts".
std::string CaseName(const std::string& file) {
  std::string name = fs::path(file).lexically_relative(kScenarioFolder).replace_extension().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

// Runs the program with the arguments, XDG_DATA_HOME set to saveRoot and its
// standard output and error in outputFile. Returns the exit code, or 128 + the
// signal that ended it.
int RunProgram(const std::vector<std::string>& arguments, const std::string& saveRoot, const std::string& outputFile) {
  std::vector<std::string> command = {kProgram};
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::remove(outputFile.c_str());
  return ChildProgram_Wait(ChildProgram_Start(command, {{"XDG_DATA_HOME", saveRoot}}, outputFile));
}

// The save folder that the program reported in its log ("SavePrePend = <path>").
std::string SaveFolderFromLog(const std::string& log) {
  const std::string marker = "SavePrePend = ";
  size_t at = log.find(marker);
  if (at == std::string::npos) return "";
  at += marker.size();
  std::string path = log.substr(at, log.find('\n', at) - at);
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// Copies the game's save folder as a run left it, for people to look into
// when the scenario fails (later runs and changes alter the folder itself).
void KeepSaveFolder(const std::string& saveFolder, const std::string& copy) {
  std::error_code error;
  if (!saveFolder.empty() && fs::is_directory(saveFolder, error))
    fs::copy(saveFolder, copy, fs::copy_options::recursive, error);
}

// One run of the program for a scenario's run: its arguments, its files in
// runFolder, and what it left behind.
scenario::RunResult RunOnce(const scenario::Run& run, const std::string& runFolder, const std::string& saveRoot,
                            const std::string& scenarioFolder) {
  std::vector<std::string> arguments = {"-headless", "-nowait", "-frames", std::to_string(run.framesToRun),
                                        "-output", runFolder + "log.txt"};
  // Its sound (-noaudio, or the loopback device) and a -failsave step.
  const std::vector<std::string> own = run.ProgramArguments();
  arguments.insert(arguments.end(), own.begin(), own.end());
  // Files named by the scenario are relative to its folder.
  auto placed = [&](const std::string& path) { return path[0] == '/' ? path : scenarioFolder + path; };
  if (!run.openFile.empty()) arguments.push_back(placed(run.openFile));
  if (!run.inputLines.empty()) {
    std::ofstream input(runFolder + "input.txt");
    for (std::string line : run.inputLines) {
      const size_t drop = line.find(" drop \"");
      if (drop != std::string::npos) line = line.substr(0, drop + 7) + placed(line.substr(drop + 7));
      input << line << "\n";
    }
    arguments.insert(arguments.end(), {"-playback", runFolder + "input.txt"});
  }
  auto dumpPath = [&](int64_t frame) { return runFolder + "dump_" + std::to_string(frame) + ".json"; };
  auto picturePath = [&](int64_t frame) { return runFolder + "frame_" + std::to_string(frame) + ".png"; };
  for (int64_t frame : run.DumpFrames()) arguments.insert(arguments.end(), {"-dumpstate", std::to_string(frame), dumpPath(frame)});
  for (int64_t frame : run.PictureFrames())
    arguments.insert(arguments.end(), {"-screenshot", std::to_string(frame), picturePath(frame)});

  scenario::RunResult result;
  result.exitCode = RunProgram(arguments, saveRoot, runFolder + "output.txt");
  result.log = ReadFile(runFolder + "log.txt");
  result.saveFolder = SaveFolderFromLog(result.log);
  result.scenarioFolder = scenarioFolder;
  for (int64_t frame : run.DumpFrames()) {
    std::string text = ReadFile(dumpPath(frame)), error;
    scenario::Dump dump;
    if (text.empty())
      result.unreadable[frame] = "no state dump of frame " + std::to_string(frame) + " was written";
    else if (!scenario::ParseDump(text, &dump, &error))
      result.unreadable[frame] = dumpPath(frame) + ": " + error;
    else
      result.dumps[frame] = std::move(dump);
  }
  for (int64_t frame : run.PictureFrames()) {
    std::string png = ReadFile(picturePath(frame)), error;
    DecodedImage image;
    if (png.empty())
      result.unreadable[frame] = "no screenshot of frame " + std::to_string(frame) + " was written";
    else if (!Png_DecodeRGBA(reinterpret_cast<const uint8_t*>(png.data()), png.size(), &image, &error))
      result.unreadable[frame] = picturePath(frame) + ": " + error;
    else
      result.pictures[frame] = std::move(image);
  }
  return result;
}

}  // namespace

class ScenarioTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ScenarioTest, Runs) {
  const std::string file = GetParam();
  std::vector<std::string> errors;
  scenario::Scenario scenario;
  if (!scenario::ParseScenario(ReadFile(file), &scenario, &errors)) {
    for (const std::string& error : errors) ADD_FAILURE() << file << ": " << error;
    return;
  }

  const std::string made = TempFolder_Make(("mobwright_scenario_" + CaseName(file)).c_str());
  ASSERT_FALSE(made.empty()) << "cannot make a folder for the scenario";
  const std::string folder = made + "/";
  const std::string saveRoot = folder + "save";
  const std::string scenarioFolder = fs::path(file).parent_path().string() + "/";
  fs::create_directory(saveRoot);

  bool failed = false;
  std::string firstSaveFolder;
  for (const scenario::Run* run : scenario.Runs()) {
    const std::string name = "run " + std::to_string(run->number);
    const std::string runFolder = folder + "run" + std::to_string(run->number) + "/";
    fs::create_directory(runFolder);
    scenario::RunResult result = RunOnce(*run, runFolder, saveRoot, scenarioFolder);
    KeepSaveFolder(result.saveFolder, runFolder + "saved");

    const std::string kept = "  kept: " + folder + " (run" + std::to_string(run->number) +
                             "/: log.txt, output.txt, dump_<frame>.json, frame_<frame>.png, saved/ as the run left "
                             "the save folder; save/: the save folder now)";
    // The save folder must be the scenario's own: anything else would let
    // scenarios share (or damage) saved files. A restarted program must find
    // the files of the runs before it, so every run uses the same one.
    if (!result.saveFolder.empty() && result.saveFolder.rfind(saveRoot + "/", 0) != 0) {
      ADD_FAILURE() << file << ": " << name << ": the program saves in " << result.saveFolder << ", not under "
                    << saveRoot << "\n" << kept;
      failed = true;
    }
    if (run->number == 1) {
      firstSaveFolder = result.saveFolder;
    } else if (result.saveFolder != firstSaveFolder) {
      ADD_FAILURE() << file << ": " << name << ": the program saves in \"" << result.saveFolder << "\", run 1 in \""
                    << firstSaveFolder << "\"\n" << kept;
      failed = true;
    }
    if (!run->expectsExit && result.exitCode != 0) {
      ADD_FAILURE() << file << ": " << name << ": the program ended with exit code " << result.exitCode
                    << " (expected 0)\n  output: " << ReadFile(runFolder + "output.txt") << "\n" << kept;
      failed = true;
    }
    // Checked now: the next runs and changes alter the save folder.
    for (const scenario::Expectation& expectation : run->expectations) {
      scenario::Outcome outcome = scenario::Check(expectation, result);
      if (outcome.passed) continue;
      failed = true;
      ADD_FAILURE() << file << ":" << expectation.line << " (" << name << "): " << expectation.text
                    << "\n  actual: " << outcome.actual << "\n" << kept;
    }

    // The changes to the saved files before the next run. One that cannot be
    // made leaves the next runs without their premise: they are not started.
    bool changed = true;
    std::ofstream changes;
    if (!run->changesAfter.empty()) changes.open(runFolder + "changes.txt");
    for (const scenario::SaveChange& change : run->changesAfter) {
      std::string report;
      if (result.saveFolder.empty()) {
        report = "the save folder is unknown (the log of " + name + " names none)";
        changed = false;
      } else {
        changed = scenario::ApplySaveChange(change, result.saveFolder, scenarioFolder, &report);
      }
      changes << "line " << change.line << ": " << change.text << "\n  " << report << "\n";
      if (changed) continue;
      ADD_FAILURE() << file << ":" << change.line << " (after " << name << "): " << change.text << "\n  " << report
                    << "\n" << kept;
      break;
    }
    if (!changed) {
      failed = true;
      break;
    }
  }
  if (!failed) {
    std::error_code error;
    fs::remove_all(folder, error);
  }
}

INSTANTIATE_TEST_SUITE_P(Editor, ScenarioTest, ::testing::ValuesIn(ScenarioFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return CaseName(info.param); });

// A folder moved or emptied by mistake must not pass as "no scenario failed".
TEST(ScenarioFolder, HoldsScenarios) { EXPECT_FALSE(ScenarioFiles().empty()) << "no *.scn file under " << kScenarioFolder; }
