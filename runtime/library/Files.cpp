#include "library/Files.h"

#include "base/Console.h"
#include "code/CompiledCode.h"
#include "platform/SaveFolder.h"
#include "value/ArgReaders.h"

namespace {

struct FilesState {
  std::string workingDirectory;
  bool workingDirectorySet = false;
  bool reportRedirects = false;
  ConfinedFolder programFolder;
};

FilesState& State() {
  static FilesState state;
  return state;
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

ConfinedFolder& ProgramFolder() {
  FilesState& s = State();
  if (!s.programFolder.IsOpen()) s.programFolder.Open(Platform_ProgramFolder(), false);
  return s.programFolder;
}

}  // namespace

bool Files_Place(const char* name, const std::string& saveArea, const std::string& currentDirectory,
                 const std::string& workingDirectory, std::string* relative) {
  if (!name || !*name) return false;
  std::string full = name[0] == '/' ? std::string(name) : currentDirectory + name;
  full = Platform_NormalisePath(full);
  if (!full.empty() && full.back() == '/') return false;  // a folder, not a file
  if (Below(full, saveArea, relative)) return true;
  return Below(full, currentDirectory, relative) || Below(full, workingDirectory, relative);
}

bool Files_PlaceInSaveArea(const char* name, std::string* relative) {
  const std::string& saveArea = SaveFolder().Path();
  bool placed = !saveArea.empty() &&
                Files_Place(name, saveArea, Platform_CurrentDirectory(), Files_WorkingDirectory(), relative);
  if (!placed) {
    DebugConsole().Output("Error! not allowing save with filename '%s'\n", name ? name : "");
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
  return ProgramFolder().FileExists(relative) || SaveFolder().FileExists(relative);
}

bool Files_Delete(const char* name) {
  std::string relative;
  if (!Files_PlaceInSaveArea(name, &relative)) return false;
  if (!SaveFolder().FileExists(relative)) return false;
  return SaveFolder().DeleteFile(relative);
}

namespace {

void F_FileExists(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* name = ZuGetString(args, 0);
  DynValue_SetReal(&result, name && Files_Exists(name) ? 1 : 0);
}

// Deletes only what is there: a missing file leaves the result as it was.
void F_FileDelete(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* name = ZuGetString(args, 0);
  std::string relative;
  if (!name || !Files_PlaceInSaveArea(name, &relative) || !SaveFolder().FileExists(relative)) return;
  DynValue_SetReal(&result, SaveFolder().DeleteFile(relative) ? 1 : 0);
}

bool GetWorkingDirectory(CInstance*, int32_t, DynValue* result) {
  DynValue_SetString(result, Files_WorkingDirectory().c_str());
  return true;
}

}  // namespace

void Files_RegisterBuiltins() {
  Function_Add("file_exists", F_FileExists, 1, true);
  Function_Add("file_delete", F_FileDelete, 1, true);
  Variable_Register("working_directory", GetWorkingDirectory, nullptr);
}
