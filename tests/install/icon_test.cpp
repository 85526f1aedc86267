// SPDX-License-Identifier: Zlib
// The program's committed desktop icons: one per size of the icon theme,
// showing the editor-style figure on its plate, and drawn again byte for
// byte by the art generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "content_files.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

const fs::path kIcons = fs::path(MOB_PACKAGING_DIR) / "icons";
const int kSizes[] = {48, 128, 256};

fs::path iconFile(const fs::path& root, int size) {
  const std::string edge = std::to_string(size);
  return root / (edge + "x" + edge) / "apps" / "mobwright.png";
}

// Opaque pixels within `tolerance` (per channel) of a colour.
int countColour(const Picture& p, int r, int g, int b, int tolerance = 40) {
  int n = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* px = p.at(x, y);
      if (px[3] > 200 && std::abs(px[0] - r) <= tolerance && std::abs(px[1] - g) <= tolerance &&
          std::abs(px[2] - b) <= tolerance)
        ++n;
    }
  return n;
}

TEST(AppIcon, OneSquareIconPerThemeSizeAndNoOthers) {
  std::vector<fs::path> expected;
  for (int size : kSizes) {
    Picture p;
    ASSERT_TRUE(readPng(iconFile(kIcons, size), p)) << size;
    EXPECT_EQ(p.width, size);
    EXPECT_EQ(p.height, size);
    expected.push_back(fs::relative(iconFile(kIcons, size), kIcons));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(filesBelow(kIcons), expected);
}

// A rounded plate: the corners stay transparent so the icon takes the
// desktop's own background there, the middle of every edge and the centre
// are opaque.
TEST(AppIcon, RoundedPlateWithTransparentCorners) {
  for (int size : kSizes) {
    Picture p;
    ASSERT_TRUE(readPng(iconFile(kIcons, size), p)) << size;
    const int last = size - 1, mid = size / 2;
    for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
      EXPECT_EQ(p.alpha(x, y), 0) << size << " corner " << x << "," << y;
    for (auto [x, y] : {std::pair{mid, size / 16}, {mid, last - size / 16}, {size / 16, mid}, {last - size / 16, mid},
                        {mid, mid}})
      EXPECT_EQ(p.alpha(x, y), 255) << size << " at " << x << "," << y;
  }
}

// The figure is made of the editor's shapes in the editor's colours: white
// fills with green (body), red (eye), purple (wings), orange (horns) and
// yellow (jaw) outlines, each clearly present at every size. A part that
// went missing or lost its colour fails here.
TEST(AppIcon, FigureShowsEveryPartInItsColour) {
  struct Colour {
    const char* part;
    int r, g, b;
  };
  const Colour colours[] = {{"white fill", 255, 255, 255}, {"green body", 133, 255, 39}, {"red eye", 237, 31, 9},
                            {"purple wings", 167, 44, 225}, {"orange horns", 255, 101, 23}, {"yellow jaw", 255, 244, 37}};
  for (int size : kSizes) {
    Picture p;
    ASSERT_TRUE(readPng(iconFile(kIcons, size), p)) << size;
    const int area = size * size;
    for (const Colour& c : colours)
      EXPECT_GT(countColour(p, c.r, c.g, c.b), area / 400) << size << ": too little " << c.part;
    // The fills are the largest bright area, but the plate still shows around the figure.
    EXPECT_GT(countColour(p, 255, 255, 255), area / 20) << size;
    EXPECT_LT(countColour(p, 255, 255, 255), area / 2) << size;
  }
}

TEST(AppIcon, ArtGeneratorDrawsTheCommittedIconsByteForByte) {
  ScratchDir dir("icons");
  ASSERT_EQ(run(std::string(MOB_ARTGEN) + " --icons '" + dir.path().string() + "'"), 0);
  ASSERT_EQ(filesBelow(dir.path()), filesBelow(kIcons));
  for (const fs::path& f : filesBelow(kIcons)) EXPECT_EQ(readBytes(dir.path() / f), readBytes(kIcons / f)) << f;
}

}  // namespace
