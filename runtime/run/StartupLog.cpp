// SPDX-License-Identifier: Zlib
#include "run/StartupLog.h"

#include <cstdarg>

#include "base/Console.h"

namespace {

// In start-up order. The comment says when a line that not every start
// writes is written.
constexpr StartupLogEntry kStartupLog[] = {
    {StartupLine::Banner,
     "\n***************************************\n*     Quillon Games Runner v%d.%d(%d)[r%d]    *\n"
     "***************************************\t \n",
     true},
    {StartupLine::LoadGame, "RunnerLoadGame: %s\n", true},  // the data file (the program, when embedded)
    {StartupLine::LoadedCode, "RunnerLoadGame() - %s\n", true},
    {StartupLine::CheckingIni, "Checking if INIFile %s Exists\n", true},
    {StartupLine::IniRefused, "Ignoring INI File %s: %s\n", false},  // there, but not a regular file or too large
    {StartupLine::NoIni, "!!!!No INI File %s\n", false},  // no options.ini beside the data
    {StartupLine::ReadingData, "Reading File %s\n", true},
    {StartupLine::LoadedDataFile, "Loaded File %s(%d)\n", false},     // -game: read from a file
    // -game: why the file was not read (no such file, not a regular file, too large).
    {StartupLine::DataFileUnreadable, "FAILED to load File %s: %s\n", false},
    {StartupLine::GameNotFound, "Unable to find game!!: %s\n", false},
    {StartupLine::NotGameData, "The game data of %s is not a game data file (no FORM)\n", false},
    {StartupLine::GameDataFound, "IFF wad found\n", true},
    {StartupLine::GetResolution, "Get Resolution\n", true},
    {StartupLine::CreateWindow, "Create Window\n", true},
    {StartupLine::WindowScale, "Window scale %d\n", false},  // -scale or Scale= above 1, with a window
    {StartupLine::InitGraphics, "Init Graphics\n", true},
    {StartupLine::InputInit, "IO Init\n", true},
    {StartupLine::ProcessMessages, "Process Messages\n", true},
    {StartupLine::Splash, "Splash!\n", true},
    {StartupLine::StartFrame, "Start Frame\n", true},
    {StartupLine::CreateTextures, "Part Create Textures\n", true},
    {StartupLine::RemoteInterface, "Debug Init Remote Interface\n", true},
    {StartupLine::MachineInit, "VM Init\n", true},
    {StartupLine::ScoreForm, "Create Score Form\n", true},
    {StartupLine::LoadForm, "Create Load Form\n", true},
    {StartupLine::ErrorForm, "Create Error Form\n", true},
    {StartupLine::DoTheWork, "Do The Work\n", true},
    {StartupLine::LoadGameData, "LoadGameData()\n", true},
    {StartupLine::SaveFolder, "SavePrePend = %s\n", false},  // the save folder opened
    {StartupLine::NoSaveFolder, "The save folder for %s could not be opened; saving will fail\n", false},
    {StartupLine::SoundFolder, "Sound files in %s\n", true},
    {StartupLine::PrepareGame, "PrepareGame()\n", true},
    {StartupLine::PrepareExtensions, "Extension_Prepare() \n", true},
    {StartupLine::PrepareConstants, "Code_Constant_Prepare() \n", true},
    {StartupLine::PrepareScripts, "Script_Prepare() \n", true},
    {StartupLine::ScriptNotCompiled, "COMPILATION ERROR in Script: %s\n%s", false},
    {StartupLine::PrepareTimeLines, "TimeLine_Prepare() \n", true},
    {StartupLine::PrepareObjects, "Object_Prepare() \n", true},
    {StartupLine::ObjectCount, "Preparing %d objects:\n", true},
    {StartupLine::ObjectName, "\tObjects %d: %s\n", false},  // once per object
    {StartupLine::PrepareRooms, "Room_Prepare() \n", true},
    {StartupLine::PrepareSounds, "Sound_Prepare() \n", true},
    {StartupLine::PrepareGraphics, "InitGraphics() \n", true},
    {StartupLine::PreparedGame, "Finished PrepareGame() \n", true},
    {StartupLine::GameNotLoaded, "Failed to load the game\n", false},
    {StartupLine::RunStart, "Run_Start\n", true},
    {StartupLine::MainLoopRule, "**********************************.\n", true},
    {StartupLine::EnteringMainLoop, "Entering main loop.\n", true},
    {StartupLine::MemoryStats, "Current Memory Stats\n", true},
};
static_assert(sizeof(kStartupLog) / sizeof(kStartupLog[0]) == static_cast<size_t>(StartupLine::Count),
              "one entry for every start-up line");

constexpr bool InEnumOrder() {
  for (size_t i = 0; i < sizeof(kStartupLog) / sizeof(kStartupLog[0]); ++i)
    if (static_cast<size_t>(kStartupLog[i].line) != i) return false;
  return true;
}
static_assert(InEnumOrder(), "the table lists the lines in the order of StartupLine");

}  // namespace

const StartupLogEntry* StartupLog_Table() { return kStartupLog; }

void StartupLog(StartupLine line, ...) {
  va_list arguments;
  va_start(arguments, line);
  DebugConsole().OutputV(kStartupLog[static_cast<size_t>(line)].format, arguments);
  va_end(arguments);
}
