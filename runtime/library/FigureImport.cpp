// SPDX-License-Identifier: Zlib
#include "library/FigureImport.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "library/DsHandles.h"
#include "library/DsList.h"
#include "library/DsMap.h"
#include "library/FigureText.h"
#include "platform/RegularFile.h"
#include "value/ArgReaders.h"

namespace {

// An exported figure of 1000 frames of 30 parts is about 8 MB of text; a
// larger file is not a figure.
constexpr uint64_t kFigureFileMaxBytes = 16u << 20;

std::deque<std::string>& OpenRequests() {
  static std::deque<std::string> requests;
  return requests;
}

// Sprite indices by name, from the game data's sprite table.
int SpriteIndex(const std::unordered_map<std::string, int>& byName, const std::string& name) {
  auto found = byName.find(name);
  return found == byName.end() ? -1 : found->second;
}

void AddNumber(CDS_Map* map, const char* key, double value) {
  DynValue k = DynValue_MakeUndefined();
  DynValue_SetString(&k, key);
  const DynValue v = DynValue_MakeReal(value);
  map->Add(&k, &v);
  DynValue_Free(&k);
}

void AddHandle(CDS_List* list, int handle) {
  const DynValue v = DynValue_MakeReal(handle);
  list->Add(&v);
}

// One part as the editor's record of it, without the id number the editor
// gives when it places the part.
int PartRecord(const FigurePart& part, int fill, int outline) {
  const int handle = DsMap_Create(16);
  CDS_Map* map = DsMap_Get(handle);
  AddNumber(map, "Color", part.colour);
  AddNumber(map, "Sprite Index", fill);
  AddNumber(map, "Outline Index", outline);
  AddNumber(map, "X Dif", part.xDif);
  AddNumber(map, "Y Dif", part.yDif);
  AddNumber(map, "X Scale", part.xScale);
  AddNumber(map, "Y Scale", part.yScale);
  AddNumber(map, "Rotation", part.rotation);
  AddNumber(map, "Alpha", part.alpha);
  AddNumber(map, "Animating", part.animating ? 1 : 0);
  return handle;
}

// figure_read(path): the figure in the exported Draw event at `path` (any
// file the user names, not only the save area), as a list of frames, each a
// list of part records (the editor's keys, lowest layer first). The caller
// owns the lists and maps. On failure a text: what the file problem was, or
// "line N: what was expected there"; nothing is made then.
void F_FigureRead(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* path = ZuGetString(args, 0);
  if (!path) {
    DynValue_SetString(&result, "no file name given");
    return;
  }
  std::string text;
  FileProblem problem;
  if (!Platform_ReadRegularFile(path, kFigureFileMaxBytes, &text, &problem)) {
    DynValue_SetString(&result, FileProblem_Text(problem).c_str());
    return;
  }
  Figure figure;
  FigureTextError error;
  if (!FigureText_Read(text, &figure, &error)) {
    DynValue_SetString(&result, ("line " + std::to_string(error.line) + ": " + error.message).c_str());
    return;
  }
  std::unordered_map<std::string, int> byName;
  const GameData& data = GameData_Get();
  for (size_t i = 0; i < data.sprites.size(); ++i)
    if (data.sprites[i].present && data.sprites[i].record.name) byName[data.sprites[i].record.name] = static_cast<int>(i);
  // Every sprite is looked up before anything is made, so a refusal leaves
  // no lists or maps behind.
  for (const FigureFrame& frame : figure.frames)
    for (const FigurePart& part : frame.parts) {
      const std::string* unknown = SpriteIndex(byName, part.fillSprite) < 0      ? &part.fillSprite
                                   : SpriteIndex(byName, part.outlineSprite) < 0 ? &part.outlineSprite
                                                                                 : nullptr;
      if (unknown) {
        DynValue_SetString(&result, ("line " + std::to_string(part.line) + ": expected a shape sprite of this editor, not " +
                                     *unknown).c_str());
        return;
      }
    }
  std::lock_guard<std::mutex> lock(DsMutex());
  const int frames = DsList_Create();
  for (const FigureFrame& frame : figure.frames) {
    const int parts = DsList_Create();
    for (const FigurePart& part : frame.parts)
      AddHandle(DsList_Get(parts), PartRecord(part, SpriteIndex(byName, part.fillSprite), SpriteIndex(byName, part.outlineSprite)));
    AddHandle(DsList_Get(frames), parts);
  }
  DynValue_SetReal(&result, frames);
}

// file_open_request(): the next file the user asked to open (named on the
// command line, dropped onto the window), or "" when there is none.
void F_FileOpenRequest(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  std::deque<std::string>& requests = OpenRequests();
  if (requests.empty()) {
    DynValue_SetString(&result, "");
    return;
  }
  DynValue_SetString(&result, requests.front().c_str());
  requests.pop_front();
}

}  // namespace

void FigureImport_RequestOpen(const std::string& path) {
  if (!path.empty()) OpenRequests().push_back(path);
}

void FigureImport_RegisterBuiltins() {
  Function_Add("figure_read", F_FigureRead, 1, true);
  Function_Add("file_open_request", F_FileOpenRequest, 0, true);
}
