// SPDX-License-Identifier: Zlib
// A whole game: one function generated after another in code-index order
// into the scripts, room-code and object files, then the shared header and
// the tables.
#include "CodeGen.h"

#include "CodeGenInternal.h"

namespace kslc {

using namespace gen;

std::vector<std::string> OutputFileNames(const mob::Manifest& manifest) {
  std::vector<std::string> names = {"ksl_game.h", "ksl_tables.cpp", "ksl_scripts.cpp", "ksl_rooms.cpp"};
  for (const auto& o : manifest.objects) names.push_back(ObjectFileName(o.name));
  return names;
}

bool GenerateGame(const mob::Manifest& manifest, const std::vector<Program>& programs, const GenerateOptions& options,
                  std::vector<GeneratedFile>* files, Diagnostics& diagnostics) {
  files->clear();
  if (programs.size() != manifest.code.size()) {
    diagnostics.Error(manifest.path, 0, 0, "internal: one parsed program per code index is needed");
    return false;
  }
  int errorsBefore = diagnostics.Count();
  GameGen game(manifest, diagnostics);

  // Functions are generated in code-index order, so slots follow first use in
  // that order.
  FileGen scripts(game), rooms(game);
  std::vector<FileGen> objects(manifest.objects.size(), FileGen(game));
  for (size_t i = 0; i < manifest.code.size(); ++i) {
    const mob::ManifestCode& code = manifest.code[i];
    FileGen* file = code.kind == mob::ManifestCodeKind::Script   ? &scripts
                    : code.kind == mob::ManifestCodeKind::Event ? &objects[code.owner]
                                                                 : &rooms;
    FunctionGen(*file, programs[i], code).Generate();
  }
  if (diagnostics.Count() != errorsBefore) return false;

  files->push_back({"ksl_game.h", Header(game, manifest)});
  files->push_back({"ksl_tables.cpp", Tables(game, manifest, options)});
  files->push_back({"ksl_scripts.cpp", scripts.Text("Scripts")});
  files->push_back({"ksl_rooms.cpp", rooms.Text("Room creation codes")});
  for (size_t i = 0; i < manifest.objects.size(); ++i)
    files->push_back({ObjectFileName(manifest.objects[i].name), objects[i].Text("Object " + manifest.objects[i].name)});
  return true;
}

}  // namespace kslc
