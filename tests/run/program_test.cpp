// SPDX-License-Identifier: Zlib
// The real program, headless: it starts, runs the editor's room, draws it,
// and takes scripted input through the same path as window messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/PngDecode.h"
#include "run/StartupLog.h"

namespace {

const std::string kProgram = MOBWRIGHT_PROGRAM;

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/mobwright_program_test_" + std::to_string(getpid()) + "_" + name;
}

int RunProgram(const std::string& arguments, const std::string& logPath) {
  std::string command = kProgram + " -headless -noaudio -nowait " + arguments + " > " + logPath + " 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Picture {
  DecodedImage image;
  // Sum of red, green and blue at (x, y).
  int Brightness(int x, int y) const {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return p[0] + p[1] + p[2];
  }
};

}  // namespace

// The start-up log's table as a pattern for each line: %d a number, %s any
// text within a line.
std::regex PatternOf(const char* format) {
  std::string pattern;
  for (const char* c = format; *c; ++c) {
    if (*c == '%' && c[1] == 'd') {
      pattern += "-?[0-9]+";
      ++c;
    } else if (*c == '%' && c[1] == 's') {
      pattern += "[^\n]*";
      ++c;
    } else if (std::strchr("\\^$.|?*+()[]{}", *c)) {
      pattern += std::string("\\") + *c;
    } else {
      pattern += *c;
    }
  }
  return std::regex(pattern);
}

TEST(Program, StartsLogsItsStepsInTheOrderOfTheStartupTableAndEndsCleanly) {
  std::string log = TempPath("start.log");
  ASSERT_EQ(RunProgram("-frames 2", log), 0);
  std::string text = ReadFile(log);
  // Every line of the table that a start writes is there, each after the
  // lines the table puts before it.
  const StartupLogEntry* table = StartupLog_Table();
  size_t previous = 0;
  const char* previousFormat = "the start of the log";
  for (int i = 0; i < static_cast<int>(StartupLine::Count); ++i) {
    std::smatch found;
    bool present = std::regex_search(text, found, PatternOf(table[i].format));
    if (table[i].everyStart) {
      EXPECT_TRUE(present) << "missing: " << table[i].format;
    }
    if (!present) continue;
    size_t at = static_cast<size_t>(found.position(0));
    EXPECT_GE(at, previous) << "\"" << table[i].format << "\" comes before \"" << previousFormat << "\"";
    previous = at;
    previousFormat = table[i].format;
  }
  // What the data loader writes falls between the runner's own lines.
  size_t chunk = text.find("Process Chunk: GEN8");
  EXPECT_GT(chunk, text.find("LoadGameData()\n"));
  EXPECT_LT(chunk, text.find("PrepareGame()\n"));
  EXPECT_NE(text.find("Preparing 41 objects:\n\tObjects 0: "), std::string::npos);
  EXPECT_NE(text.find("\tObjects 3: con_Canvas\n"), std::string::npos);
  std::remove(log.c_str());
}

TEST(Program, DrawsThePanelsAndTheCrosshair) {
  std::string log = TempPath("draw.log");
  std::string shot = TempPath("room.png");
  ASSERT_EQ(RunProgram("-frames 3 -screenshot 1 " + shot, log), 0) << ReadFile(log);
  std::string png = ReadFile(shot);
  Picture picture;
  std::string error;
  ASSERT_TRUE(Png_DecodeRGBA(reinterpret_cast<const uint8_t*>(png.data()), png.size(), &picture.image, &error)) << error;
  ASSERT_EQ(picture.image.width, 1024);
  ASSERT_EQ(picture.image.height, 768);
  // The top panel (an outline sprite at 16 x 1.5 from 0,0) has its border on
  // the window's edge and is empty inside.
  EXPECT_GT(picture.Brightness(0, 48), 100);
  EXPECT_GT(picture.Brightness(512, 0), 100);
  EXPECT_LT(picture.Brightness(512, 48), 30);
  // The left panels meet at y = 448 (one from 96 to 448, one from 448 down).
  EXPECT_GT(picture.Brightness(96, 448), 100);
  // The crosshair is centred at 512, 448 at its scale; the canvas around it is empty.
  EXPECT_GT(picture.Brightness(512, 430), 100);
  EXPECT_GT(picture.Brightness(530, 448), 100);
  EXPECT_LT(picture.Brightness(512, 300), 30);
  EXPECT_LT(picture.Brightness(700, 600), 30);
  std::remove(log.c_str());
  std::remove(shot.c_str());
}

// An idle editor asks for the same frame sixty times a second: it is drawn
// when it first appears and once a second after that, and otherwise left on
// the screen as it was, which a screenshot of a left frame shows.
TEST(Program, AnIdleEditorDrawsItsUnchangedFrameOncePerSecond) {
  std::string log = TempPath("idle.log");
  std::string dump = TempPath("idle.json");
  std::string drawnShot = TempPath("drawn.png"), leftShot = TempPath("left.png");
  ASSERT_EQ(RunProgram("-frames 300 -dumpstate 299 " + dump + " -screenshot 1 " + drawnShot + " -screenshot 150 " +
                           leftShot,
                       log),
            0)
      << ReadFile(log);
  const std::string text = ReadFile(dump);
  std::smatch match;
  ASSERT_TRUE(std::regex_search(text, match, std::regex("\"drawn\": ([0-9]+),\\s*\"reused\": ([0-9]+)"))) << text;
  const long drawn = std::stol(match[1]), reused = std::stol(match[2]);
  EXPECT_EQ(drawn + reused, 300);
  // Frame 0 shows the room's colour, frame 1 the room with its textures;
  // from then on one frame a second.
  EXPECT_LE(drawn, 2 + 300 / 60);
  const std::string drawnPng = ReadFile(drawnShot), leftPng = ReadFile(leftShot);
  EXPECT_FALSE(drawnPng.empty());
  EXPECT_EQ(drawnPng, leftPng);
  for (const std::string& path : {log, dump, drawnShot, leftShot}) std::remove(path.c_str());
}

TEST(Program, PlaybackDrivesInputAndRecordWritesItBack) {
  std::string script = TempPath("script.txt");
  std::string recorded = TempPath("recorded.txt");
  std::string log = TempPath("playback.log");
  {
    std::ofstream out(script);
    out << "# a click on the canvas and a typed key\n"
           "2 move 600 400\n"
           "3 click left\n"
           "5 keydown enter\n"
           "6 keyup enter\n";
  }
  ASSERT_EQ(RunProgram("-playback " + script + " -record " + recorded + " -exit", log), 0) << ReadFile(log);
  std::string lines = ReadFile(recorded);
  EXPECT_NE(lines.find("2 move 600 400\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("3 press 1\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("4 release 1\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("5 keydown 13\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("6 keyup 13\n"), std::string::npos) << lines;
  std::remove(script.c_str());
  std::remove(recorded.c_str());
  std::remove(log.c_str());
}

TEST(Program, GameOptionLoadsADataFileFromDisk) {
  std::string log = TempPath("game.log");
  ASSERT_EQ(RunProgram(std::string("-frames 2 -game ") + MOBWRIGHT_DATA_FILE, log), 0) << ReadFile(log);
  std::string text = ReadFile(log);
  EXPECT_NE(text.find(std::string("Loaded File ") + MOBWRIGHT_DATA_FILE + "("), std::string::npos) << text;
  EXPECT_NE(text.find("Entering main loop."), std::string::npos);

  EXPECT_EQ(RunProgram("-frames 2 -game /nonexistent/data.win", log), 1);
  EXPECT_NE(ReadFile(log).find("Unable to find game!!: /nonexistent/data.win"), std::string::npos);

  // A file that is not game data is refused without a crash.
  std::string junk = TempPath("junk.win");
  { std::ofstream(junk) << "FORM but not really a game data file"; }
  EXPECT_EQ(RunProgram("-frames 2 -game " + junk, log), 1);
  EXPECT_NE(ReadFile(log).find("Failed to load the game"), std::string::npos) << ReadFile(log);
  std::remove(junk.c_str());
  std::remove(log.c_str());
}

TEST(Program, DamagedTexturePagePixelsEndTheRunWithAMessage) {
  // The page is decoded beside start-up; damage inside its compressed pixels
  // is found there and ends the run before the second frame is drawn.
  std::string bytes = ReadFile(MOBWRIGHT_DATA_FILE);
  size_t idat = bytes.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  bytes[idat + 6] = static_cast<char>(bytes[idat + 6] ^ 0xFF);
  std::string damaged = TempPath("damaged.win");
  { std::ofstream(damaged, std::ios::binary) << bytes; }
  std::string log = TempPath("damaged.log");
  EXPECT_EQ(RunProgram("-frames 5 -game " + damaged, log), 1);
  std::string text = ReadFile(log);
  EXPECT_NE(text.find("the game data is damaged: page 0: PNG data"), std::string::npos) << text;
  EXPECT_NE(text.find("Entering main loop."), std::string::npos) << text;
  std::remove(damaged.c_str());
  std::remove(log.c_str());
}

// Where the program puts the files of working_directory must not depend on
// the folder it was started from. It says at start-up where they go; started
// from its own folder, from the folder above it (build/mobwright from the
// repository) and from an unrelated folder, it names the same place: the
// root of the save folder under $XDG_DATA_HOME.
TEST(Program, WorkingDirectoryFilesGoToTheSaveFolderRootFromEveryStartingFolder) {
  namespace fs = std::filesystem;
  const std::string dataHome = TempPath("data_home");
  const std::string elsewhere = TempPath("elsewhere");
  fs::create_directories(dataHome);
  fs::create_directories(elsewhere);
  const fs::path programFolder = fs::path(kProgram).parent_path();
  const std::string folders[] = {programFolder.string(), programFolder.parent_path().string(), elsewhere};

  auto lineAfter = [](const std::string& text, const std::string& label) {
    size_t at = text.find(label);
    if (at == std::string::npos) return std::string("<no \"" + label + "\" line>");
    at += label.size();
    return text.substr(at, text.find('\n', at) - at);
  };
  std::string firstSaveFolder;
  for (const std::string& folder : folders) {
    std::string log = TempPath("started_elsewhere.log");
    std::string command = "cd '" + folder + "' && XDG_DATA_HOME='" + dataHome + "' " + kProgram +
                          " -headless -noaudio -nowait -frames 1 > '" + log + "' 2>&1";
    int status = std::system(command.c_str());
    std::string text = ReadFile(log);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "from " << folder << ":\n" << text;
    std::string saveFolder = lineAfter(text, "Save folder: ");
    std::string filesGoTo = lineAfter(text, "Files under working_directory go to: ");
    // <data home>/<game name>/
    ASSERT_EQ(saveFolder.rfind(dataHome + "/", 0), 0u) << "from " << folder << ": " << saveFolder;
    EXPECT_EQ(saveFolder.back(), '/');
    EXPECT_EQ(saveFolder.find('/', dataHome.size() + 1), saveFolder.size() - 1) << saveFolder;
    EXPECT_EQ(filesGoTo, saveFolder) << "started from " << folder;
    if (firstSaveFolder.empty()) firstSaveFolder = saveFolder;
    EXPECT_EQ(saveFolder, firstSaveFolder) << "started from " << folder;
    EXPECT_TRUE(fs::is_directory(saveFolder));
    std::remove(log.c_str());
  }
  fs::remove_all(dataHome);
  fs::remove_all(elsewhere);
}

TEST(Program, BadCommandLineAndMissingGameFail) {
  std::string log = TempPath("bad.log");
  EXPECT_EQ(RunProgram("-playback", log), 2);
  EXPECT_NE(ReadFile(log).find("needs a value"), std::string::npos);
  EXPECT_EQ(RunProgram("-playback /nonexistent/script.txt", log), 2);
  std::remove(log.c_str());
}
