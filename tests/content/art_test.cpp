// SPDX-License-Identifier: Zlib
// The committed sprite frames against the editor's sprite table, and the
// art generator's reproducibility.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "EditorTables.h"
#include "content_files.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

struct Row {
  std::string name;
  int width, height, left, top, right, bottom, boxMode, frames;
};

// The sprite table as the tests know it on their own (EditorTables.h, also
// checked against the packed data), so that a slip in the manifest, which the
// generator draws from, shows up as a failure.
std::vector<Row> table() {
  std::vector<Row> rows;
  for (const SpriteRow& s : kSprites)
    rows.push_back({s.name, s.width, s.height, s.left, s.top, s.right, s.bottom, s.boxMode, s.frames});
  return rows;
}

const fs::path kArt = fs::path(MOB_EDITOR_DIR) / "art";

fs::path frameFile(const fs::path& root, const std::string& sprite, int frame) {
  return root / sprite / (std::to_string(frame) + ".png");
}

bool isShape(const std::string& name) { return name.rfind("spr_shape_", 0) == 0; }

TEST(SpriteArt, TableHasAllFiftyOneSprites) { EXPECT_EQ(table().size(), 51u); }

TEST(SpriteArt, EveryFrameExistsAtTheTableSizeAndNoMore) {
  for (const Row& s : table()) {
    for (int f = 0; f < s.frames; ++f) {
      Picture p;
      ASSERT_TRUE(readPng(frameFile(kArt, s.name, f), p)) << s.name << " frame " << f << " missing or unreadable";
      EXPECT_EQ(p.width, s.width) << s.name << " frame " << f;
      EXPECT_EQ(p.height, s.height) << s.name << " frame " << f;
    }
    EXPECT_FALSE(fs::exists(frameFile(kArt, s.name, s.frames))) << s.name << " has more frames than the table";
  }
}

TEST(SpriteArt, NoFoldersForUnknownSprites) {
  const std::vector<Row> rows = table();
  for (const auto& e : fs::directory_iterator(kArt)) {
    if (!e.is_directory()) continue;
    const std::string n = e.path().filename().string();
    bool known = false;
    for (const Row& r : rows) known = known || r.name == n;
    EXPECT_TRUE(known) << "unexpected sprite folder " << n;
  }
}

// The runtime takes automatic collision boxes from the frames' alpha: the
// pixels with any opacity, over all frames, must span exactly the listed box
// (for the rotate and resize handles that is only the knob).
TEST(SpriteArt, OpaquePixelsSpanTheCollisionBox) {
  for (const Row& s : table()) {
    if (s.boxMode != 0) continue;
    int l = s.width, t = s.height, r = -1, b = -1;
    for (int f = 0; f < s.frames; ++f) {
      Picture p;
      ASSERT_TRUE(readPng(frameFile(kArt, s.name, f), p)) << s.name;
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
          if (p.alpha(x, y) > 0) {
            l = std::min(l, x);
            t = std::min(t, y);
            r = std::max(r, x);
            b = std::max(b, y);
          }
    }
    EXPECT_EQ(l, s.left) << s.name;
    EXPECT_EQ(t, s.top) << s.name;
    EXPECT_EQ(r, s.right) << s.name;
    EXPECT_EQ(b, s.bottom) << s.name;
  }
}

// The text box's box is manual: its visible field must still be where the
// clicks are taken, so nothing is drawn outside it.
TEST(SpriteArt, TextboxDrawsOnlyInsideItsManualBox) {
  for (int f = 0; f < 3; ++f) {
    Picture p;
    ASSERT_TRUE(readPng(frameFile(kArt, "spr_Textbox", f), p));
    int inside = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const bool in = x >= 7 && x <= 53 && y >= 18 && y <= 43;
        if (in) inside += p.alpha(x, y) > 0;
        else EXPECT_EQ(p.alpha(x, y), 0) << "frame " << f << " at " << x << "," << y;
      }
    EXPECT_GT(inside, 46 * 25 / 2) << "frame " << f << " field mostly empty";
  }
}

// Shapes are tinted by multiplying with the chosen colour, so their pixels
// must be white; only the opacity may vary.
TEST(SpriteArt, ShapeSpritesAreWhiteWithAntialiasedEdges) {
  for (const Row& s : table()) {
    if (!isShape(s.name)) continue;
    for (int f = 0; f < s.frames; ++f) {
      Picture p;
      ASSERT_TRUE(readPng(frameFile(kArt, s.name, f), p));
      int partial = 0, solid = 0;
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
          const uint8_t* px = p.at(x, y);
          if (px[3] == 0) continue;
          ASSERT_TRUE(px[0] == 255 && px[1] == 255 && px[2] == 255) << s.name << " frame " << f << " not white at " << x << "," << y;
          (px[3] == 255 ? solid : partial)++;
        }
      EXPECT_GT(solid, 0) << s.name << " frame " << f;
      EXPECT_GT(partial, 0) << s.name << " frame " << f << " has no antialiased edge";
    }
  }
}

// The fill lies under its outline: a fill pixel may not stick out beyond
// the outline's outer edge, or white would show around the coloured rim.
TEST(SpriteArt, ShapeFillStaysInsideItsOutline) {
  for (int n = 1; n <= 11; ++n) {
    const std::string back = "spr_shape_" + std::to_string(n) + "_back";
    const std::string line = "spr_shape_" + std::to_string(n) + "_outline";
    for (int f = 0; f < 4; ++f) {
      Picture b, o;
      ASSERT_TRUE(readPng(frameFile(kArt, back, f), b));
      ASSERT_TRUE(readPng(frameFile(kArt, line, f), o));
      // Inside the outline: on a row, between its first and last pixels.
      for (int y = 0; y < b.height; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < o.width; ++x)
          if (o.alpha(x, y) > 0) {
            if (first < 0) first = x;
            last = x;
          }
        for (int x = 0; x < b.width; ++x)
          if (b.alpha(x, y) > 0) {
            ASSERT_GE(first, 0) << back << " frame " << f << " row " << y << " has fill but no outline";
            ASSERT_TRUE(x >= first && x <= last) << back << " frame " << f << " sticks out at " << x << "," << y;
          }
      }
    }
  }
}

TEST(SpriteArt, ShapeFramesAnimate) {
  for (const Row& s : table()) {
    if (!isShape(s.name)) continue;
    for (int f = 0; f < s.frames; ++f) {
      Picture a, b;
      ASSERT_TRUE(readPng(frameFile(kArt, s.name, f), a));
      ASSERT_TRUE(readPng(frameFile(kArt, s.name, (f + 1) % s.frames), b));
      EXPECT_NE(a.rgba, b.rgba) << s.name << " frames " << f << " and " << (f + 1) % s.frames << " are the same";
    }
  }
}

// Button states must be told apart: every frame of a multi-frame sprite
// differs from the others.
TEST(SpriteArt, ButtonStatesDiffer) {
  for (const Row& s : table()) {
    if (isShape(s.name) || s.frames < 2) continue;
    std::vector<Picture> frames(static_cast<size_t>(s.frames));
    for (int f = 0; f < s.frames; ++f) ASSERT_TRUE(readPng(frameFile(kArt, s.name, f), frames[static_cast<size_t>(f)]));
    for (size_t i = 0; i < frames.size(); ++i)
      for (size_t j = i + 1; j < frames.size(); ++j)
        EXPECT_NE(frames[i].rgba, frames[j].rgba) << s.name << " frames " << i << " and " << j;
  }
}

TEST(ArtGenerator, ListsTheSameTable) {
  FILE* p = popen(MOB_ARTGEN " --list", "r");
  ASSERT_NE(p, nullptr);
  std::string text;
  char buf[256];
  while (fgets(buf, sizeof buf, p)) text += buf;
  ASSERT_EQ(pclose(p), 0);
  std::istringstream in(text);
  for (const Row& s : table()) {
    std::string name;
    int w = 0, h = 0, frames = 0;
    ASSERT_TRUE(in >> name >> w >> h >> frames) << "list ends before " << s.name;
    EXPECT_EQ(name, s.name);
    EXPECT_EQ(w, s.width) << s.name;
    EXPECT_EQ(h, s.height) << s.name;
    EXPECT_EQ(frames, s.frames) << s.name;
  }
  std::string extra;
  EXPECT_FALSE(in >> extra) << "unexpected sprite " << extra;
}

TEST(ArtGenerator, RegeneratesTheCommittedFilesByteForByte) {
  ScratchDir dir("art");
  ASSERT_EQ(run(std::string(MOB_ARTGEN) + " --out '" + dir.path().string() + "'"), 0);
  // Only the frames: other files (such as a manifest) may live beside them.
  auto pngs = [](std::vector<fs::path> files) {
    std::erase_if(files, [](const fs::path& f) { return f.extension() != ".png"; });
    return files;
  };
  const std::vector<fs::path> fresh = pngs(filesBelow(dir.path()));
  const std::vector<fs::path> committed = pngs(filesBelow(kArt));
  ASSERT_EQ(fresh, committed);
  for (const fs::path& f : fresh) EXPECT_EQ(readBytes(dir.path() / f), readBytes(kArt / f)) << f;
}

}  // namespace
