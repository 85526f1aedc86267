// SPDX-License-Identifier: Zlib
#include "library/Files.h"

#include <cstdlib>
#include <cstring>

#include "base/Console.h"
#include "code/CompiledCode.h"
#include "platform/SaveFolder.h"
#include "value/ArgReaders.h"

namespace {

struct FilesState {
  std::string workingDirectory;
  bool workingDirectorySet = false;
  std::string currentDirectory;  // read once: nothing in the program changes it
  bool currentDirectoryRead = false;
  bool reportRedirects = false;
  std::string lastError;  // file_last_error
};

FilesState& State() {
  static FilesState state;
  return state;
}

// The folder the program started in. No built-in changes the current
// directory, so it is asked once, not on every file name (each ask is a
// system call, and a frame's load names one file a part).
const std::string& CurrentDirectory() {
  FilesState& s = State();
  if (!s.currentDirectoryRead) {
    s.currentDirectory = Platform_CurrentDirectory();
    s.currentDirectoryRead = true;
  }
  return s.currentDirectory;
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// The part of path below folder, or false when path is not strictly inside it.
bool Below(const std::string& path, const std::string& folder, std::string* relative) {
  if (folder.empty() || path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
  *relative = path.substr(folder.size());
  return true;
}

// Keeps the outcome of an operation on the save folder for file_last_error.
bool Outcome(bool ok, const FileProblem& problem) {
  Files_SetLastProblem(ok ? FileProblem{} : problem);
  return ok;
}

}  // namespace

// Where a name lands in the save area must not depend on the folder the
// program was started from: a user who starts it from a desktop launcher one
// day and from a terminal in another folder the next must find the same
// files. So a name is taken relative to the folder it was written against:
//   - a name inside the save area keeps its place there;
//   - an absolute name inside working_directory (the program's folder, the
//     same from wherever the program starts) goes to the save area's root
//     under its name relative to working_directory, even when the current
//     directory also holds it: working_directory + "frame1_data.dat" is
//     <save area>/frame1_data.dat whether the program was started as
//     build/mobwright from the repository or as ./mobwright from build/;
//   - a relative name is relative to the current directory and keeps that
//     relative name ("sub/x.dat" is <save area>/sub/x.dat from any folder);
//   - failing that, an absolute name inside the current directory, or a
//     relative one whose ".." lead into working_directory, is taken relative
//     to that other folder;
//   - anything else is refused.
bool Files_Place(const char* name, const std::string& saveArea, const std::string& currentDirectory,
                 const std::string& workingDirectory, std::string* relative) {
  if (!name || !*name) return false;
  bool absolute = name[0] == '/';
  std::string full = Platform_NormalisePath(absolute ? std::string(name) : currentDirectory + name);
  if (!full.empty() && full.back() == '/') return false;  // a folder, not a file
  if (Below(full, saveArea, relative)) return true;
  const std::string& writtenAgainst = absolute ? workingDirectory : currentDirectory;
  const std::string& otherwise = absolute ? currentDirectory : workingDirectory;
  return Below(full, writtenAgainst, relative) || Below(full, otherwise, relative);
}

bool Files_PlaceInSaveArea(const char* name, std::string* relative) {
  const std::string& saveArea = SaveFolder().Path();
  bool placed = !saveArea.empty() &&
                Files_Place(name, saveArea, CurrentDirectory(), Files_WorkingDirectory(), relative);
  if (!placed) {
    DebugConsole().Output("Error! not allowing save with filename '%s'\n", name ? name : "");
    if (saveArea.empty())
      Files_SetLastError(kFilesErrorNoSaveFolder);
    else
      Files_SetLastProblem(FileProblem{FileRefusal::kOutside, 0, 0});
    return false;
  }
  if (State().reportRedirects) {
    std::string full = saveArea + *relative;
    DebugConsole().Output("Warning! Save location - redirected to: '%s'\n", full.c_str());
  }
  return true;
}

const std::string& Files_WorkingDirectory() {
  FilesState& s = State();
  if (!s.workingDirectorySet) {
    s.workingDirectory = Platform_ProgramFolder();
    s.workingDirectorySet = true;
  }
  return s.workingDirectory;
}

void Files_SetWorkingDirectory(const char* folder) {
  State().workingDirectory = WithTrailingSlash(Platform_NormalisePath(folder ? folder : "/"));
  State().workingDirectorySet = true;
}

void Files_SetReportRedirects(bool report) { State().reportRedirects = report; }

bool Files_Exists(const char* name) {
  std::string relative;
  if (!Files_PlaceInSaveArea(name, &relative)) return false;
  FileProblem problem;
  return Outcome(SaveFolder().FileExists(relative, &problem), problem);
}

bool Files_Delete(const char* name) {
  std::string relative;
  if (!Files_PlaceInSaveArea(name, &relative)) return false;
  FileProblem problem;
  if (!SaveFolder().FileExists(relative, &problem)) return Outcome(false, problem);
  return Outcome(SaveFolder().DeleteFile(relative, &problem), problem);
}

bool Files_Copy(const char* from, const char* to) {
  std::string source, target;
  if (!Files_PlaceInSaveArea(from, &source) || !Files_PlaceInSaveArea(to, &target)) return false;
  FileProblem problem;
  return Outcome(SaveFolder().CopyFile(source, target, kFilesMaxCopyBytes, &problem), problem);
}

bool Files_WriteText(const char* name, const char* text) {
  std::string relative;
  if (!text || !Files_PlaceInSaveArea(name, &relative)) return false;
  FileProblem problem;
  return Outcome(SaveFolder().WriteFileAtomic(relative, text, std::strlen(text), &problem), problem);
}

bool Files_WriteBytes(const char* name, const void* data, size_t size) {
  std::string relative;
  if (!data || !Files_PlaceInSaveArea(name, &relative)) return false;
  FileProblem problem;
  return Outcome(SaveFolder().WriteFileAtomic(relative, data, size, &problem), problem);
}

bool Files_Rename(const char* from, const char* to) {
  std::string source, target;
  if (!Files_PlaceInSaveArea(from, &source) || !Files_PlaceInSaveArea(to, &target)) return false;
  FileProblem problem;
  return Outcome(SaveFolder().RenameFile(source, target, &problem), problem);
}

const std::string& Files_LastError() { return State().lastError; }

void Files_SetLastError(const char* text) { State().lastError = text ? text : ""; }

void Files_SetLastProblem(const FileProblem& problem) { State().lastError = FileProblem_Text(problem); }

namespace {

// The file built-ins read their names and texts with ZuGetString, which
// reports any kind but a string or an object as an error; an object gives no
// text.
const char* StringArgument(DynValue* args, int i) {
  const char* text = ZuGetString(args, i);
  if (!text) Files_SetLastError(kFilesErrorNotAString);
  return text;
}

void F_FileExists(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* name = StringArgument(args, 0);
  DynValue_SetReal(&result, name && Files_Exists(name) ? 1 : 0);
}

// Deletes only what is there: a missing file leaves the result as it was.
void F_FileDelete(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* name = StringArgument(args, 0);
  std::string relative;
  if (!name || !Files_PlaceInSaveArea(name, &relative)) return;
  FileProblem problem;
  if (!SaveFolder().FileExists(relative, &problem)) {
    Outcome(false, problem);
    return;
  }
  DynValue_SetReal(&result, Outcome(SaveFolder().DeleteFile(relative, &problem), problem) ? 1 : 0);
}

// A name or text that is not a string copies, renames or writes nothing and
// gives 0.
void F_FileCopy(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* from = StringArgument(args, 0);
  const char* to = from ? StringArgument(args, 1) : nullptr;
  DynValue_SetReal(&result, from && to && Files_Copy(from, to) ? 1 : 0);
}

void F_FileRename(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* from = StringArgument(args, 0);
  const char* to = from ? StringArgument(args, 1) : nullptr;
  DynValue_SetReal(&result, from && to && Files_Rename(from, to) ? 1 : 0);
}

void F_FileWriteText(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* name = StringArgument(args, 0);
  const char* text = name ? StringArgument(args, 1) : nullptr;
  DynValue_SetReal(&result, name && text && Files_WriteText(name, text) ? 1 : 0);
}

void F_FileLastError(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetString(&result, Files_LastError().c_str());
}

bool GetWorkingDirectory(CInstance*, int32_t, DynValue* result) {
  DynValue_SetString(result, Files_WorkingDirectory().c_str());
  return true;
}

// The folder that holds the program's executable, with a trailing '/'.
bool GetProgramDirectory(CInstance*, int32_t, DynValue* result) {
  DynValue_SetString(result, Platform_ProgramFolder().c_str());
  return true;
}

// The system's folder for temporary files ($TMPDIR when it is an absolute
// path, else /tmp/), with a trailing '/'. The file built-ins keep to the save
// area: names in this folder are refused by them like any other outside it.
bool GetTempDirectory(CInstance*, int32_t, DynValue* result) {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && folder[0] == '/' ? std::string(folder) : std::string("/tmp");
  DynValue_SetString(result, WithTrailingSlash(Platform_NormalisePath(path)).c_str());
  return true;
}

// At start-up, when the runner opens the save area: the debug console says
// where the game's files go, so that a user can find them (and a test can
// see that the place does not depend on the folder the program started from).
void ReportSaveFolder(const std::string& path) {
  DebugConsole().Output("Save folder: %s\n", path.c_str());
  std::string relative;
  const std::string probe = Files_WorkingDirectory() + "f";
  if (Files_Place(probe.c_str(), path, CurrentDirectory(), Files_WorkingDirectory(), &relative)) {
    relative.pop_back();  // the probe's own name: what is left is the folder
    DebugConsole().Output("Files under working_directory go to: %s%s\n", path.c_str(), relative.c_str());
  }
}

}  // namespace

void Files_RegisterBuiltins() {
  Function_Add("file_exists", F_FileExists, 1, true);
  Function_Add("file_delete", F_FileDelete, 1, true);
  Function_Add("file_copy", F_FileCopy, 2, true);
  Function_Add("file_rename", F_FileRename, 2, true);
  Function_Add("file_write_text", F_FileWriteText, 2, true);
  Function_Add("file_last_error", F_FileLastError, 0, true);
  Variable_Register("working_directory", GetWorkingDirectory, nullptr);
  Variable_Register("program_directory", GetProgramDirectory, nullptr);
  Variable_Register("temp_directory", GetTempDirectory, nullptr);
  SaveFolder_SetOpenedHook(ReportSaveFolder);
}
