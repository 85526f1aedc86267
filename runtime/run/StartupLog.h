// SPDX-License-Identifier: Zlib
// The lines the runner writes to the debug console while it starts, in one
// table in the order they appear (StartupLog.cpp). People and tools read this
// log to see how far a start got, so its lines keep their wording; a line
// that is written only in some starts (a missing options.ini, a scaled
// window, a failure) stands where it would appear.
#pragma once

enum class StartupLine {
  Banner,
  LoadGame,
  LoadedCode,
  CheckingIni,
  IniRefused,
  NoIni,
  ReadingData,
  LoadedDataFile,
  DataFileUnreadable,
  GameNotFound,
  NotGameData,
  GameDataFound,
  GetResolution,
  CreateWindow,
  WindowScale,
  InitGraphics,
  InputInit,
  ProcessMessages,
  Splash,
  StartFrame,
  CreateTextures,
  RemoteInterface,
  MachineInit,
  ScoreForm,
  LoadForm,
  ErrorForm,
  DoTheWork,
  LoadGameData,
  SaveFolder,
  NoSaveFolder,
  SoundFolder,
  PrepareGame,
  PrepareExtensions,
  PrepareConstants,
  PrepareScripts,
  ScriptNotCompiled,
  PrepareTimeLines,
  PrepareObjects,
  ObjectCount,
  ObjectName,
  PrepareRooms,
  PrepareSounds,
  PrepareGraphics,
  PreparedGame,
  GameNotLoaded,
  RunStart,
  MainLoopRule,
  EnteringMainLoop,
  MemoryStats,
  Count
};

struct StartupLogEntry {
  StartupLine line;
  const char* format;  // printf format of the line, with its newline
  bool everyStart;     // written by every start that reaches the main loop
};

// The table, StartupLine::Count entries in start-up order.
const StartupLogEntry* StartupLog_Table();

// Writes a line of the table to the debug console.
void StartupLog(StartupLine line, ...);
