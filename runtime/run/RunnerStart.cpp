// Start-up: finding and loading the game, the window, the prepare steps and
// the first room (the frame loop is in FrameLoop.cpp).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Console.h"
#include "base/Memory.h"
#include "code/CompiledCode.h"
#include "code/ErrorContext.h"
#include "collision/Collision.h"
#include "data/GameData.h"
#include "data/PageDecoder.h"
#include "io/Input.h"
#include "library/Dialogs.h"
#include "object/Instance.h"
#include "platform/SaveFolder.h"
#include "platform/Window.h"
#include "run/Builtins.h"
#include "run/EventLists.h"
#include "run/Runner.h"
#include "run/RunnerAudio.h"
#include "run/RunnerGraphics.h"
#include "run/RunnerInternal.h"
#include "run/RunnerVariables.h"
#include "sound/Audio.h"

namespace {

constexpr int kRunnerVersionMajor = 1;
constexpr int kRunnerVersionMinor = 0;
constexpr int kRunnerVersionBuild = 1;
constexpr int kRunnerRevision = 1;
const char* const kDefaultDataFile = "data.win";

// The debug output file of -output, kept open for the run.
class FileConsole : public TConsole {
 public:
  explicit FileConsole(std::FILE* file) : file_(file) {}
  ~FileConsole() override { std::fclose(file_); }

 protected:
  void Write(const char* text) override {
    std::fputs(text, file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
};






std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// The folder of the streamed sound files. In a build folder they lie beside
// the program; an installed program (<prefix>/bin/NAME) finds them in
// <prefix>/share/NAME/, where a package keeps its architecture-independent
// files, and that folder is used whenever it exists.
std::string StreamedSoundFolder() {
  const std::string folder = Platform_ProgramFolder();
  const std::string bin = "/bin/";
  if (folder.size() > bin.size() && folder.compare(folder.size() - bin.size(), bin.size(), bin) == 0) {
    const std::string program = Platform_ExecutablePath();
    const std::string name = program.substr(program.rfind('/') + 1);
    const std::string shared = folder.substr(0, folder.size() - bin.size() + 1) + "share/" + name + "/";
    if (Platform_FileReadable(shared)) return shared;
  }
  return folder;
}





void FatalError() {
  // A fatal runtime error aborts the game at the end of the frame.
  RunnerState& r = Private().state;
  r.newRoomRequest = ROOM_REQUEST_ABORT;
  r.exitCode = 1;
}

bool Fail(RunnerState& runner, const char* message) {
  DebugConsole().Output("%s", message);
  runner.exitCode = 1;
  return false;
}

bool RunnerLoadGame(CompiledCodeProvider provider) {
  RunnerPrivate& p = Private();
  RunnerState& runner = p.state;
  CompiledCodeInfo info{};
  if (provider) provider(&info);

  // -game names a data file that replaces the embedded one.
  bool embedded = info.gameData && runner.options.gameFile.empty();
  if (embedded) {
    runner.gameFileName = Platform_ExecutablePath();
  } else if (!runner.options.gameFile.empty()) {
    runner.gameFileName = runner.options.gameFile;
  } else {
    runner.gameFileName = Platform_ProgramFolder() + kDefaultDataFile;
  }
  DebugConsole().Output("RunnerLoadGame: %s\n", runner.gameFileName.c_str());
  Code_Load(info);
  DebugConsole().Output("RunnerLoadGame() - %s\n", runner.gameFileName.c_str());

  runner.gameFolder = FolderOf(runner.gameFileName);
  std::string ini = runner.gameFolder + "options.ini";
  DebugConsole().Output("Checking if INIFile %s Exists\n", ini.c_str());
  std::string iniText;
  if (Platform_FileReadable(ini) && ReadWholeFile(ini, &iniText))
    Private().iniSleepMargin = SleepMargin_FromOptionsIni(iniText);
  else
    DebugConsole().Output("!!!!No INI File %s\n", ini.c_str());
  // The command line's -scale wins over the Scale= line of options.ini.
  const int iniScale = RunnerGraphics_ScaleFromOptionsIni(iniText);
  runner.windowScale = runner.options.scale > 0 ? runner.options.scale : iniScale > 0 ? iniScale : 1;

  std::string debugFile = runner.gameFileName;
  size_t dot = debugFile.find_last_of('.');
  if (dot != std::string::npos && dot > debugFile.find_last_of('/') + 1) debugFile.erase(dot);
  debugFile += ".zudebug";
  if (Platform_FileReadable(debugFile)) LoadDebugInformation(debugFile);

  DebugConsole().Output("Reading File %s\n", runner.gameFileName.c_str());
  if (embedded) {
    runner.data = info.gameData;
    runner.dataSize = info.gameDataSize;
  } else if (ReadWholeFile(runner.gameFileName, &runner.ownedData)) {
    runner.data = reinterpret_cast<const uint8_t*>(runner.ownedData.data());
    runner.dataSize = runner.ownedData.size();
    DebugConsole().Output("Loaded File %s(%d)\n", runner.gameFileName.c_str(), static_cast<int>(runner.dataSize));
  } else {
    DebugConsole().Output("FAILED to load File %s\n", runner.gameFileName.c_str());
  }
  if (!runner.data || runner.dataSize == 0) {
    DebugConsole().Output("Unable to find game!!: %s\n", runner.gameFileName.c_str());
    std::string message = "Unable to find game!!: " + runner.gameFileName;
    std::fprintf(stderr, "%s\n", message.c_str());
    runner.exitCode = 1;
    return false;
  }
  if (runner.dataSize < 4 || std::memcmp(runner.data, "FORM", 4) != 0) {
    DebugConsole().Output("The game data of %s is not a game data file (no FORM)\n", runner.gameFileName.c_str());
    runner.exitCode = 1;
    return false;
  }
  DebugConsole().Output("IFF wad found\n");
  return true;
}

bool PrepareGame() {
  RunnerState& runner = Private().state;
  const GameData& data = GameData_Get();
  DebugConsole().Output("PrepareGame()\n");
  DebugConsole().Output("Extension_Prepare() \n");
  DebugConsole().Output("Code_Constant_Prepare() \n");

  DebugConsole().Output("Script_Prepare() \n");
  for (int i = 0; i < Script_Count(); ++i) {
    const char* name = Script_Name(i);
    if (!name) continue;
    const ScriptRecord& script = data.scripts[i].record;
    if (!Code_Function(script.codeIndex)) {
      DebugConsole().Output("COMPILATION ERROR in Script: %s\n%s", name, "no compiled function for its code index\n");
      return Fail(runner, "Failed to compile the scripts.\n");
    }
  }
  for (int32_t code : data.globalInitCode) {
    CInstance global(0, 0, 0, 0);
    if (CompiledAnyFn fn = Code_Function(code)) reinterpret_cast<CompiledEventFn>(fn)(&global, &global);
  }

  DebugConsole().Output("TimeLine_Prepare() \n");
  DebugConsole().Output("Object_Prepare() \n");
  DebugConsole().Output("Preparing %d objects:\n", Object_Count());
  for (int i = 0; i < Object_Count(); ++i)
    if (CObjectType* object = Object_Get(i)) DebugConsole().Output("\tObjects %d: %s\n", i, object->name);
  Object_LinkParents();
  Object_BindEvents();
  EventLists_Build();

  DebugConsole().Output("Room_Prepare() \n");
  DebugConsole().Output("Sound_Prepare() \n");
  for (const auto& group : data.audioGroups) AudioGroup_Add(group.present ? group.record : nullptr);
  for (const auto& audio : data.audio) Audio_AddEmbeddedFile(audio.record.bytes, audio.record.size);
  for (const auto& slot : data.sounds) {
    const SoundRecord& s = slot.record;
    SoundEntry entry{s.name, static_cast<int32_t>(s.flags), s.type, s.fileName, static_cast<int32_t>(s.effects),
                     s.volume, s.pitch, s.audioGroup, s.audioIndex};
    Sound_Add(entry);
  }
  if (!Sound_Prepare()) return Fail(runner, "Failed to prepare the sounds.\n");

  DebugConsole().Output("InitGraphics() \n");
  RunnerGraphics_BuildResources();
  DebugConsole().Output("Finished PrepareGame() \n");
  return true;
}

}  // namespace


bool Runner_Start(int argc, const char* const* argv, CompiledCodeProvider provider) {
  RunnerPrivate& p = Private();
  RunnerState& runner = p.state;
  std::string error;
  if (!Runner_ParseCommandLine(argc, argv, &runner.options, &error)) {
    std::fprintf(stderr, "mobwright: %s\n", error.c_str());
    runner.exitCode = 2;
    return false;
  }
  if (!runner.options.outputFile.empty()) {
    if (std::FILE* f = std::fopen(runner.options.outputFile.c_str(), "w")) {
      p.output = new FileConsole(f);  // kept for the whole run
      Console_SetDebug(p.output);
    }
  }
  if (runner.options.noErrors) Error_State().continueAfterErrors = true;
  Error_SetFatalHandler(FatalError);
  Builtins_RegisterAll();
  RunnerVariables_Register();

  DebugConsole().Output("\n***************************************\n*     Quillon Games Runner v%d.%d(%d)[r%d]    *\n***************************************\t \n",
                        kRunnerVersionMajor, kRunnerVersionMinor, kRunnerVersionBuild, kRunnerRevision);
  if (!RunnerLoadGame(provider)) return false;

  DebugConsole().Output("Get Resolution\n");
  GameHeader header;
  GameOptions options;
  if (!GameData_ReadHeader(runner.data, runner.dataSize, &header, &options, &error)) {
    DebugConsole().Output("%s\n", error.c_str());
    return Fail(runner, "Failed to load the game\n");
  }
  SleepMarginSources margins;
  margins.commandLine = {runner.options.hasSleepMargin, runner.options.sleepMargin};
  margins.optionsIni = Private().iniSleepMargin;  // read above
  margins.gameData = {options.hasSleepMargin, options.sleepMargin};
  runner.sleepMargin = SleepMargin_Choose(margins);
  runner.gameSpeed = header.gameSpeed > 0 ? header.gameSpeed : 60.0;
  runner.waitEnabled = !runner.options.noWait;

  DebugConsole().Output("Create Window\n");
  // The room is drawn at the game's window size; a scaled window is that
  // many times larger and shows the room enlarged (RunnerGraphics.h).
  const int roomWidth = static_cast<int>(header.windowWidth ? header.windowWidth : 1024);
  const int roomHeight = static_cast<int>(header.windowHeight ? header.windowHeight : 768);
  if (runner.options.headless) runner.windowScale = 1;
  if (runner.windowScale > 1) DebugConsole().Output("Window scale %d\n", runner.windowScale);
  if (!Platform_Init(runner.options.headless) ||
      !Platform_CreateWindow(roomWidth * runner.windowScale, roomHeight * runner.windowScale, header.Caption()))
    return Fail(runner, "Failed to create the window\n");

  DebugConsole().Output("Init Graphics\n");
  if (!RunnerGraphics_Init(roomWidth, roomHeight, options))
    return Fail(runner, "Failed to initialise the graphics\n");

  // The pages' PNG data is inflated on a second thread once the first frame
  // is presented (see Runner_Frame); the chunk loop leaves them to it.
  PageDecoder_Queue(runner.data, runner.dataSize);

  DebugConsole().Output("IO Init\n");
  Input_Init();
  Dialogs_SetInputResetAfterMessage(Input_Reset);  // a message box leaves no key or button held
  Input_SetCaptureHandler(Platform_CaptureMouse);
  Platform_SetEventSink(runner.options.playbackFile.empty() ? DispatchEvent : WindowEventDuringPlayback);
  DebugConsole().Output("Process Messages\n");
  Platform_ProcessMessages();
  DebugConsole().Output("Splash!\n");
  if (Platform_FileReadable(runner.gameFolder + "splash.png")) RunnerGraphics_ShowSplash((runner.gameFolder + "splash.png").c_str());
  DebugConsole().Output("Start Frame\n");
  DebugConsole().Output("Part Create Textures\n");
  DebugConsole().Output("Debug Init Remote Interface\n");
  DebugConsole().Output("VM Init\n");
  DebugConsole().Output("Create Score Form\n");
  DebugConsole().Output("Create Load Form\n");
  DebugConsole().Output("Create Error Form\n");
  DebugConsole().Output("Do The Work\n");

  if (!InputRecording_Open()) return false;

  DebugConsole().Output("LoadGameData()\n");
  if (!GameData_Load(runner.data, runner.dataSize, &error)) {
    DebugConsole().Output("%s\n", error.c_str());
    std::fprintf(stderr, "mobwright: the game data is damaged: %s\n", error.c_str());
    return Fail(runner, "Failed to load the game\n");
  }
  Code_ResolveNames();
  Collision_ClearMasks();
  Instance_State().lastId = static_cast<int32_t>(GameData_Get().header.lastInstanceId);

  const char* gameName = GameData_Get().header.gameName ? GameData_Get().header.gameName : "Mobwright";
  if (runner.options.failSaveStep > 0) {
    // Tests of interrupted saves: the log names each step failed on purpose.
    SaveFolder_SetFailedStepHook([](int64_t step, const char* kind, const std::string& name) {
      DebugConsole().Output("Save folder: step %lld (%s %s) failed on purpose (-failsave)\n",
                            static_cast<long long>(step), kind, name.c_str());
    });
    SaveFolder_FailFrom(runner.options.failSaveStep);
  }
  if (SaveFolder_Open(gameName)) {
    runner.savePrefix = SaveFolder_DefaultPath(gameName);
    DebugConsole().Output("SavePrePend = %s\n", runner.savePrefix.c_str());
  } else {
    DebugConsole().Output("The save folder for %s could not be opened; saving will fail\n", gameName);
  }
  const std::string soundFolder = StreamedSoundFolder();
  DebugConsole().Output("Sound files in %s\n", soundFolder.c_str());
  Audio_SetBaseFolder(soundFolder.c_str());
  RunnerAudio_Init(runner.options);

  if (!PrepareGame()) {
    DebugConsole().Output("Failed to load the game\n");
    return false;
  }
  DebugConsole().Output("Run_Start\n");
  const auto& order = GameData_Get().header.roomOrder;
  Room_Start(order.empty() ? 0 : order.front());
  runner.running = true;
  DebugConsole().Output("**********************************.\n");
  DebugConsole().Output("Entering main loop.\n");
  DebugConsole().Output("Current Memory Stats\n");
  MemoryManager_DumpTotal();
  return true;
}

