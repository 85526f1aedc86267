// SPDX-License-Identifier: Zlib
// The picture of the editor in the README is made by the program itself from
// a committed scenario (scenarios/readme/figure.scn): this test makes it again
// into the build folder and compares it with the committed docs/editor.png,
// so the README never shows an editor that no longer looks like that.
// To take a new picture after a deliberate change, copy the one this test
// writes (named in its output) over docs/editor.png.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "Scenario.h"
#include "data/PngDecode.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Decode(const std::string& path, DecodedImage* image, std::string* error) {
  std::string png = ReadFile(path);
  if (png.empty()) {
    *error = path + ": missing or empty";
    return false;
  }
  return Png_DecodeRGBA(reinterpret_cast<const uint8_t*>(png.data()), png.size(), image, error);
}

}  // namespace

TEST(ReadmePicture, TheProgramStillDrawsTheCommittedPicture) {
  namespace fs = std::filesystem;
  scenario::Scenario figure;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario(ReadFile(MOBWRIGHT_FIGURE_SCENARIO), &figure, &errors))
      << (errors.empty() ? "" : errors[0]);
  ASSERT_EQ(figure.PictureFrames().size(), 1u) << "the scenario names the frame of the picture in one pixel check";
  const int64_t frame = *figure.PictureFrames().begin();

  const fs::path folder = fs::path(MOBWRIGHT_PICTURE_FOLDER);
  // A fresh save folder each time: the editor keeps its unsaved work there
  // when a run ends, and the next run would start from it.
  fs::remove_all(folder / "save");
  fs::create_directories(folder / "save");
  {
    std::ofstream input(folder / "figure_input.txt");
    for (const std::string& line : figure.inputLines) input << line << "\n";
  }
  const std::string made = (folder / "editor.png").string();
  std::string command = "XDG_DATA_HOME='" + (folder / "save").string() + "' '" + MOBWRIGHT_PROGRAM +
                        "' -headless -noaudio -nowait -frames " + std::to_string(frame + 1) + " -playback '" +
                        (folder / "figure_input.txt").string() + "' -screenshot " + std::to_string(frame) + " '" +
                        made + "' > '" + (folder / "figure_output.txt").string() + "' 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile((folder / "figure_output.txt").string());

  DecodedImage now, committed;
  std::string error;
  ASSERT_TRUE(Decode(made, &now, &error)) << error;
  ASSERT_TRUE(Decode(MOBWRIGHT_COMMITTED_PICTURE, &committed, &error)) << error;
  ASSERT_EQ(now.width, committed.width);
  ASSERT_EQ(now.height, committed.height);
  // The same renderer draws the same pixels; a small allowance keeps the test
  // about what the picture shows, not about rounding in the rasteriser.
  size_t differing = 0;
  for (size_t i = 0; i < now.rgba.size(); i += 4)
    for (int c = 0; c < 3; ++c)
      if (std::abs(int(now.rgba[i + c]) - int(committed.rgba[i + c])) > 24) {
        ++differing;
        break;
      }
  const size_t pixels = now.rgba.size() / 4;
  EXPECT_LE(differing, pixels / 1000) << differing << " of " << pixels << " pixels differ from docs/editor.png; the new picture is "
                                      << made;
}
