// SPDX-License-Identifier: Zlib
// The shapes' plain names live in one table of the manifest (shape_names).
// The art generator picks each shape's drawing by its name there, and the
// editor labels its object-list rows with it (through the script kslc writes
// from the table). Both programs are run here and their answers held against
// the table, against each other, and against changed copies of the table.
#include <gtest/gtest.h>
#include <json-c/json.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "content_files.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

const fs::path kManifest = fs::path(MOB_EDITOR_DIR) / "game.json";

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

// A JSON file read whole; the caller releases it with json_object_put.
json_object* readJson(const fs::path& file) { return json_tokener_parse(readText(file).c_str()); }

json_object* member(json_object* o, const char* key) {
  json_object* v = nullptr;
  return o && json_object_object_get_ex(o, key, &v) ? v : nullptr;
}

using Names = std::map<std::string, std::string>;  // "spr_shape_9" -> "horn"

// The table as the manifest holds it, and the sprite names by index.
void readManifest(Names* names, std::vector<std::string>* sprites) {
  json_object* root = readJson(kManifest);
  ASSERT_NE(root, nullptr);
  json_object_object_foreach(member(root, "shape_names"), key, value) (*names)[key] = json_object_get_string(value);
  json_object* list = member(root, "sprites");
  for (size_t i = 0; i < json_object_array_length(list); ++i)
    sprites->push_back(json_object_get_string(member(json_object_array_get_idx(list, i), "name")));
  json_object_put(root);
}

// artgen --shapes over a manifest: its exit status, and the names it drew by.
int artgenShapes(const fs::path& manifest, const fs::path& scratch, Names* out) {
  const fs::path listing = scratch / "shapes.txt";
  const int status = run("'" MOB_ARTGEN "' --manifest '" + manifest.string() + "' --shapes > '" + listing.string() +
                         "' 2> '" + (scratch / "errors.txt").string() + "'");
  std::istringstream lines(readText(listing));
  std::string shape, name;
  while (lines >> shape && std::getline(lines >> std::ws, name)) (*out)[shape] = name;
  return status;
}

TEST(ShapeNames, ArtgenDrawsEveryShapeByTheManifestsName) {
  Names table;
  std::vector<std::string> sprites;
  readManifest(&table, &sprites);
  ASSERT_EQ(table.size(), 11u);
  for (int n = 1; n <= 11; ++n) EXPECT_EQ(table.count("spr_shape_" + std::to_string(n)), 1u) << n;
  ScratchDir scratch("shape_names");
  Names drawn;
  ASSERT_EQ(artgenShapes(kManifest, scratch.path(), &drawn), 0) << readText(scratch.path() / "errors.txt");
  EXPECT_EQ(drawn, table);
}

// A copy of the manifest with its table changed: artgen follows a table that
// still names every drawing once, and refuses one that does not.
TEST(ShapeNames, ArtgenFollowsAChangedTableOrRefusesIt) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> edits;  // text replaced in the manifest
    int status;
    Names expected;  // changed entries, when artgen accepts
  };
  const Case cases[] = {
      {"two names swapped",
       {{"\"spr_shape_2\": \"eye\"", "\"spr_shape_2\": \"@\""},
        {"\"spr_shape_9\": \"horn\"", "\"spr_shape_9\": \"eye\""},
        {"\"spr_shape_2\": \"@\"", "\"spr_shape_2\": \"horn\""}},
       0,
       {{"spr_shape_2", "horn"}, {"spr_shape_9", "eye"}}},
      {"a name with no drawing", {{"\"spr_shape_9\": \"horn\"", "\"spr_shape_9\": \"antler\""}}, 1, {}},
      {"a shape left without a name", {{"\"spr_shape_9\": \"horn\", ", ""}}, 1, {}},
  };
  Names table;
  std::vector<std::string> sprites;
  readManifest(&table, &sprites);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir scratch("shape_names_changed");
    std::string text = readText(kManifest);
    for (const auto& [from, to] : c.edits) {
      const size_t at = text.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      text.replace(at, from.size(), to);
    }
    // --shapes reads no art, so the copy need not stand beside the art.
    const fs::path changed = scratch.path() / "game.json";
    writeText(changed, text);
    Names drawn;
    const int status = artgenShapes(changed, scratch.path(), &drawn);
    EXPECT_EQ(status != 0, c.status != 0) << readText(scratch.path() / "errors.txt");
    if (c.status != 0) continue;
    Names expected = table;
    for (const auto& [shape, name] : c.expected) expected[shape] = name;
    EXPECT_EQ(drawn, expected);
  }
}

// The editor opens a figure of one part of each shape; every row's label is
// artgen's name for the row's shape with the number 1.
TEST(ShapeNames, TheEditorLabelsRowsWithArtgensNames) {
  Names table;
  std::vector<std::string> sprites;
  readManifest(&table, &sprites);
  ScratchDir scratch("shape_names_editor");
  Names drawn;
  ASSERT_EQ(artgenShapes(kManifest, scratch.path(), &drawn), 0);

  std::string figure = "switch floor(frame) {\n  case 0:\n";
  for (int n = 1; n <= 11; ++n) {
    const std::string place = "x + (xScale * (" + std::to_string(n * 8 - 48) + ")), y + (yScale * (0)), xScale * 0.50, "
                              "yScale * 0.50, rot + (0), ";
    figure += "    draw_sprite_ext(spr_shape_" + std::to_string(n) + "_back, 0, " + place + "c_white, alpha * 1);\n";
    figure += "    draw_sprite_ext(spr_shape_" + std::to_string(n) + "_outline, 0, " + place + "255, alpha * 1);\n";
  }
  figure += "    break;\n}\n";
  writeText(scratch.path() / "all_shapes.ksl", figure);
  fs::create_directories(scratch.path() / "save");
  const fs::path dump = scratch.path() / "dump.json";
  ASSERT_EQ(run("XDG_DATA_HOME='" + (scratch.path() / "save").string() + "' '" MOB_PROGRAM
                "' -headless -noaudio -nowait -frames 6 -dumpstate 5 '" + dump.string() + "' '" +
                (scratch.path() / "all_shapes.ksl").string() + "' > /dev/null 2>&1"),
            0);

  json_object* root = readJson(dump);
  ASSERT_NE(root, nullptr);
  json_object* instances = member(root, "instances");
  Names labelled;
  for (size_t i = 0; i < json_object_array_length(instances); ++i) {
    json_object* inst = json_object_array_get_idx(instances, i);
    if (std::string(json_object_get_string(member(inst, "object"))) != "obj_List_Object") continue;
    json_object* vars = member(inst, "variables");
    const int sprite = json_object_get_int(member(vars, "spriteIndex"));
    ASSERT_TRUE(sprite >= 0 && sprite < static_cast<int>(sprites.size()));
    const std::string back = sprites[sprite];  // spr_shape_N_back
    labelled[back.substr(0, back.size() - 5)] = json_object_get_string(member(vars, "label"));
  }
  json_object_put(root);
  ASSERT_EQ(labelled.size(), drawn.size());
  for (const auto& [shape, name] : drawn) EXPECT_EQ(labelled[shape], name + " 1") << shape;
}

}  // namespace
