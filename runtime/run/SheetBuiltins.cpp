// SPDX-License-Identifier: Zlib
// figure_export_sheet(text, name, speed): the editor's sheet export. The
// exported Draw event `text` becomes export/<name>.png, .json and .gif in the
// save area, drawn at the playback speed `speed` (figure frames a step).
// Returns "" when the three files are written, else what went wrong.
#include "run/SheetBuiltins.h"

#include <string>

#include "code/CompiledCode.h"
#include "library/Files.h"
#include "library/FigureText.h"
#include "run/SheetExport.h"
#include "value/ArgReaders.h"

namespace {

// A name that stays one file in the export folder.
bool SafeName(const std::string& name) {
  if (name.empty() || name.size() > 100 || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

void F_FigureExportSheet(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* text = ZuGetString(args, 0);
  const char* name = ZuGetString(args, 1);
  SheetOptions options;
  options.speed = ZuGetReal(args, 2);
  std::string error;
  Figure figure;
  FigureTextError refusal;
  SheetFiles files;
  if (!text || !name || !SafeName(name)) {
    error = "no figure text or no usable name";
  } else if (!FigureText_Read(text, &figure, &refusal)) {
    error = "line " + std::to_string(refusal.line) + ": " + refusal.message;
  } else {
    options.name = name;
    if (SheetExport_Make(figure, options, &files, &error)) {
      const std::string base = Files_WorkingDirectory() + "export/" + options.name;
      const struct {
        const char* extension;
        const void* data;
        size_t size;
      } outputs[] = {{".png", files.png.data(), files.png.size()},
                     {".json", files.json.data(), files.json.size()},
                     {".gif", files.gif.data(), files.gif.size()}};
      for (const auto& output : outputs) {
        if (!Files_WriteBytes((base + output.extension).c_str(), output.data, output.size)) {
          error = "export/" + options.name + output.extension + " could not be written (" + Files_LastError() + ")";
          break;
        }
      }
    }
  }
  DynValue_SetString(&result, error.c_str());
}

// figure_sheet_name(path): the sheet's name for a figure file's path.
void F_FigureSheetName(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* path = ZuGetString(args, 0);
  DynValue_SetString(&result, SheetExport_NameOf(path ? path : "").c_str());
}

}  // namespace

void SheetBuiltins_Register() {
  Function_Add("figure_export_sheet", F_FigureExportSheet, 3, true);
  Function_Add("figure_sheet_name", F_FigureSheetName, 1, true);
}
