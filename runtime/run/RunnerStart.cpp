// SPDX-License-Identifier: Zlib
// Start-up: finding and loading the game, the window, the prepare steps and
// the first room (the frame loop is in FrameLoop.cpp).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/Console.h"
#include "base/Memory.h"
#include "code/CompiledCode.h"
#include "code/ErrorContext.h"
#include "collision/Collision.h"
#include "data/GameData.h"
#include "data/PageDecoder.h"
#include "io/Input.h"
#include "library/Dialogs.h"
#include "library/FigureImport.h"
#include "object/Instance.h"
#include "platform/RegularFile.h"
#include "platform/SaveFolder.h"
#include "platform/Window.h"
#include "run/Builtins.h"
#include "run/EventLists.h"
#include "run/OptionsIni.h"
#include "run/Runner.h"
#include "run/RunnerAudio.h"
#include "run/RunnerGraphics.h"
#include "run/RunnerInternal.h"
#include "run/RunnerVariables.h"
#include "run/SheetExport.h"
#include "run/StartupLog.h"
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

// The folder of the streamed sound files and of the examples. In a build
// folder they lie beside the program; an installed program
// (<prefix>/bin/NAME) finds them in <prefix>/share/NAME/, where a package
// keeps its architecture-independent files, and that folder is used whenever
// it exists.
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





// The examples' names: the .ksl files of the examples folder, sorted.
std::vector<std::string> ExampleNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::filesystem::path& file = it->path();
    if (file.extension() == ".ksl") names.push_back(file.stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// --example: lists the examples (true: nothing else starts), or names the
// example's file as the file to open. False, with a message, for a name that
// is not an example.
bool TakeExample(RunnerState& runner, bool* listed) {
  const std::string folder = StreamedSoundFolder() + "examples/";
  const std::vector<std::string> names = ExampleNames(folder);
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  *listed = runner.options.exampleName.empty();
  if (!*listed && !runner.options.openFile.empty()) {
    std::fprintf(stderr, "mobwright: one figure to open at a time, not both the example '%s' and '%s'\n",
                 runner.options.exampleName.c_str(), runner.options.openFile.c_str());
    runner.exitCode = 2;
    return false;
  }
  if (*listed) {
    for (const std::string& name : names) std::printf("%s\n", name.c_str());
    return true;
  }
  if (std::find(names.begin(), names.end(), runner.options.exampleName) == names.end()) {
    std::fprintf(stderr, "mobwright: there is no example '%s'; the examples are: %s\n",
                 runner.options.exampleName.c_str(), list.empty() ? "none" : list.c_str());
    runner.exitCode = 2;
    return false;
  }
  runner.options.openFile = folder + runner.options.exampleName + ".ksl";
  return true;
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
  StartupLog(StartupLine::LoadGame, runner.gameFileName.c_str());
  Code_Load(info);
  StartupLog(StartupLine::LoadedCode, runner.gameFileName.c_str());

  runner.gameFolder = FolderOf(runner.gameFileName);
  std::string ini = runner.gameFolder + "options.ini";
  StartupLog(StartupLine::CheckingIni, ini.c_str());
  std::string iniText, iniRefusal;
  if (OptionsIni_Read(ini, &iniText, &iniRefusal)) {
    Private().iniSleepMargin = SleepMargin_FromOptionsIni(iniText);
  } else {
    if (!iniRefusal.empty()) StartupLog(StartupLine::IniRefused, ini.c_str(), iniRefusal.c_str());
    StartupLog(StartupLine::NoIni, ini.c_str());
  }
  // The command line's -scale wins over the Scale= line of options.ini.
  const int iniScale = RunnerGraphics_ScaleFromOptionsIni(iniText);
  runner.windowScale = runner.options.scale > 0 ? runner.options.scale : iniScale > 0 ? iniScale : 1;

  std::string debugFile = runner.gameFileName;
  size_t dot = debugFile.find_last_of('.');
  if (dot != std::string::npos && dot > debugFile.find_last_of('/') + 1) debugFile.erase(dot);
  debugFile += ".zudebug";
  LoadDebugInformation(debugFile);

  StartupLog(StartupLine::ReadingData, runner.gameFileName.c_str());
  if (embedded) {
    runner.data = info.gameData;
    runner.dataSize = info.gameDataSize;
  } else if (FileProblem problem;
             Platform_ReadRegularFile(runner.gameFileName, kGameDataMaxBytes, &runner.ownedData, &problem)) {
    runner.data = reinterpret_cast<const uint8_t*>(runner.ownedData.data());
    runner.dataSize = runner.ownedData.size();
    StartupLog(StartupLine::LoadedDataFile, runner.gameFileName.c_str(), static_cast<int>(runner.dataSize));
  } else {
    StartupLog(StartupLine::DataFileUnreadable, runner.gameFileName.c_str(), FileProblem_Text(problem).c_str());
  }
  if (!runner.data || runner.dataSize == 0) {
    StartupLog(StartupLine::GameNotFound, runner.gameFileName.c_str());
    std::string message = "Unable to find game!!: " + runner.gameFileName;
    std::fprintf(stderr, "%s\n", message.c_str());
    runner.exitCode = 1;
    return false;
  }
  if (runner.dataSize < 4 || std::memcmp(runner.data, "FORM", 4) != 0) {
    StartupLog(StartupLine::NotGameData, runner.gameFileName.c_str());
    runner.exitCode = 1;
    return false;
  }
  StartupLog(StartupLine::GameDataFound);
  return true;
}

bool PrepareGame() {
  RunnerState& runner = Private().state;
  const GameData& data = GameData_Get();
  StartupLog(StartupLine::PrepareGame);
  StartupLog(StartupLine::PrepareExtensions);
  StartupLog(StartupLine::PrepareConstants);

  StartupLog(StartupLine::PrepareScripts);
  for (int i = 0; i < Script_Count(); ++i) {
    const char* name = Script_Name(i);
    if (!name) continue;
    const ScriptRecord& script = data.scripts[i].record;
    if (!Code_Function(script.codeIndex)) {
      StartupLog(StartupLine::ScriptNotCompiled, name, "no compiled function for its code index\n");
      return Fail(runner, "Failed to compile the scripts.\n");
    }
  }
  for (int32_t code : data.globalInitCode) {
    CInstance global(0, 0, 0, 0);
    if (CompiledAnyFn fn = Code_Function(code)) reinterpret_cast<CompiledEventFn>(fn)(&global, &global);
  }

  StartupLog(StartupLine::PrepareTimeLines);
  StartupLog(StartupLine::PrepareObjects);
  StartupLog(StartupLine::ObjectCount, Object_Count());
  for (int i = 0; i < Object_Count(); ++i)
    if (CObjectType* object = Object_Get(i)) StartupLog(StartupLine::ObjectName, i, object->name);
  Object_LinkParents();
  Object_BindEvents();
  EventLists_Build();

  StartupLog(StartupLine::PrepareRooms);
  StartupLog(StartupLine::PrepareSounds);
  for (const auto& group : data.audioGroups) AudioGroup_Add(group.present ? group.record : nullptr);
  for (const auto& audio : data.audio) Audio_AddEmbeddedFile(audio.record.bytes, audio.record.size);
  for (const auto& slot : data.sounds) {
    const SoundRecord& s = slot.record;
    SoundEntry entry{s.name, static_cast<int32_t>(s.flags), s.type, s.fileName, static_cast<int32_t>(s.effects),
                     s.volume, s.pitch, s.audioGroup, s.audioIndex};
    Sound_Add(entry);
  }
  if (!Sound_Prepare()) return Fail(runner, "Failed to prepare the sounds.\n");

  StartupLog(StartupLine::PrepareGraphics);
  RunnerGraphics_BuildResources();
  StartupLog(StartupLine::PreparedGame);
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
  if (runner.options.showVersion) {
    // Nothing else starts: the frame loop does not run (running stays
    // false) and the program ends with exit code 0.
    std::printf("Mobwright Studio %s\n", MOB_PROGRAM_VERSION);
    return true;
  }
  // The sheet export draws without a window or sound and ends.
  const bool sheetCommand = !runner.options.sheetFile.empty();
  if (sheetCommand) {
    runner.options.headless = true;
    runner.options.noAudio = true;
    // A build pipeline reads the command's own lines: the start-up log
    // goes only where -output sends it.
    static DummyConsole quiet;
    if (runner.options.outputFile.empty()) Console_SetDebug(&quiet);
  }
  if (runner.options.example) {
    bool listed = false;
    if (!TakeExample(runner, &listed)) return false;
    if (listed) return true;  // like --version: no window, exit code 0
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

  StartupLog(StartupLine::Banner, kRunnerVersionMajor, kRunnerVersionMinor, kRunnerVersionBuild, kRunnerRevision);
  if (!RunnerLoadGame(provider)) return false;

  StartupLog(StartupLine::GetResolution);
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

  StartupLog(StartupLine::CreateWindow);
  // The room is drawn at the game's window size; a scaled window is that
  // many times larger and shows the room enlarged (RunnerGraphics.h).
  const int roomWidth = static_cast<int>(header.windowWidth ? header.windowWidth : 1024);
  const int roomHeight = static_cast<int>(header.windowHeight ? header.windowHeight : 768);
  if (runner.options.headless) runner.windowScale = 1;
  if (runner.windowScale > 1) StartupLog(StartupLine::WindowScale, runner.windowScale);
  if (!Platform_Init(runner.options.headless) ||
      !Platform_CreateWindow(roomWidth * runner.windowScale, roomHeight * runner.windowScale, header.Caption()))
    return Fail(runner, "Failed to create the window\n");

  StartupLog(StartupLine::InitGraphics);
  if (!RunnerGraphics_Init(roomWidth, roomHeight, options))
    return Fail(runner, "Failed to initialise the graphics\n");

  // The pages' PNG data is inflated on a second thread once the first frame
  // is presented (see Runner_Frame); the chunk loop leaves them to it.
  PageDecoder_Queue(runner.data, runner.dataSize);

  StartupLog(StartupLine::InputInit);
  Input_Init();
  Dialogs_SetInputResetAfterMessage(Input_Reset);  // a message box leaves no key or button held
  Input_SetCaptureHandler(Platform_CaptureMouse);
  Platform_SetEventSink(runner.options.playbackFile.empty() ? DispatchEvent : WindowEventDuringPlayback);
  StartupLog(StartupLine::ProcessMessages);
  Platform_ProcessMessages();
  StartupLog(StartupLine::Splash);
  RunnerGraphics_ShowSplash((runner.gameFolder + "splash.png").c_str());
  StartupLog(StartupLine::StartFrame);
  StartupLog(StartupLine::CreateTextures);
  StartupLog(StartupLine::RemoteInterface);
  StartupLog(StartupLine::MachineInit);
  StartupLog(StartupLine::ScoreForm);
  StartupLog(StartupLine::LoadForm);
  StartupLog(StartupLine::ErrorForm);
  StartupLog(StartupLine::DoTheWork);

  if (!InputRecording_Open()) return false;
  // The editor takes the file when it has loaded the saved work, so the
  // opened figure comes on top of it (file_open_request).
  FigureImport_RequestOpen(runner.options.openFile);

  StartupLog(StartupLine::LoadGameData);
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
    StartupLog(StartupLine::SaveFolder, runner.savePrefix.c_str());
  } else {
    StartupLog(StartupLine::NoSaveFolder, gameName);
  }
  const std::string soundFolder = StreamedSoundFolder();
  StartupLog(StartupLine::SoundFolder, soundFolder.c_str());
  Audio_SetBaseFolder(soundFolder.c_str());
  RunnerAudio_Init(runner.options);

  if (!PrepareGame()) {
    StartupLog(StartupLine::GameNotLoaded);
    return false;
  }
  if (sheetCommand) {
    // No room runs: the pages are decoded now, the figure drawn and written,
    // and the program ends with the command's exit code.
    PageDecoder_Begin();
    if (!RunnerGraphics_UpdatePages(true)) return Fail(runner, "Failed to decode the sprites\n");
    SheetOptions sheet;
    sheet.scale = runner.options.sheetScale;
    sheet.speed = runner.options.sheetSpeed;
    runner.exitCode = SheetExport_Command(runner.options.sheetFile, runner.options.sheetFolder, sheet);
    return runner.exitCode == 0;
  }
  StartupLog(StartupLine::RunStart);
  const auto& order = GameData_Get().header.roomOrder;
  Room_Start(order.empty() ? 0 : order.front());
  runner.running = true;
  StartupLog(StartupLine::MainLoopRule);
  StartupLog(StartupLine::EnteringMainLoop);
  StartupLog(StartupLine::MemoryStats);
  MemoryManager_DumpTotal();
  return true;
}

