// The committed sprite frames against the editor's sprite table, and the
// art generator's reproducibility.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "content_files.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

struct Row {
  std::string name;
  int width, height, left, top, right, bottom, boxMode, frames;
};

// The sprite table, in sprite-index order: name, width, height, collision
// box (left, top, right, bottom), box mode (0 from the pixels, 2 manual),
// frame count. Written out here on its own so that a slip in the
// generator's copy shows up as a failure.
constexpr const char* kTable = R"(
spr_Outline 64 64 0 0 63 63 0 1
spr_MiddleCrossHair 13 13 0 0 12 12 0 1
spr_ShapeSelector 32 32 0 0 31 31 0 3
spr_Color 32 32 0 0 31 31 0 2
spr_ColorSelected 32 32 0 0 31 31 0 1
spr_Hover_List 100 15 0 0 99 14 0 1
spr_Selected_List 200 10 0 0 199 9 0 1
spr_Object_Selected_Resize 120 120 84 0 119 35 0 3
spr_Object_Selected_Rotate 105 120 47 1 57 14 0 3
spr_Object_Selected 105 105 0 0 104 104 0 1
spr_shape_1_back 55 150 7 4 48 145 0 4
spr_shape_1_outline 55 150 0 0 54 149 0 4
spr_shape_2_back 75 49 5 4 66 42 0 4
spr_shape_2_outline 75 49 0 0 74 48 0 4
spr_shape_3_back 90 59 7 8 79 52 0 4
spr_shape_3_outline 90 59 0 0 89 58 0 4
spr_shape_4_back 125 117 9 10 115 105 0 4
spr_shape_4_outline 125 117 0 0 124 116 0 4
spr_shape_5_back 85 80 0 0 84 79 0 4
spr_shape_5_outline 85 80 0 0 84 79 0 4
spr_shape_6_back 75 35 0 0 74 34 0 4
spr_shape_6_outline 75 35 0 0 74 34 0 4
spr_shape_7_back 60 76 0 0 59 75 0 4
spr_shape_7_outline 60 76 0 0 59 75 0 4
spr_ExportCode 128 64 0 0 127 63 0 2
spr_shape_8_back 100 100 0 0 99 99 0 4
spr_shape_8_outline 100 100 0 0 99 99 0 4
spr_reorder_up 32 32 0 0 31 31 0 3
spr_reorder_top 32 32 0 0 31 31 0 3
spr_DeleteAll 128 64 0 0 127 63 0 2
spr_PreviewOutline 90 90 0 0 89 89 0 4
spr_Create_Frame 128 64 0 0 127 63 0 2
spr_Canvas_PreviewOutline 270 270 0 0 269 269 0 1
spr_FrameSelect 92 92 0 0 91 91 0 3
spr_PlayAnimation 25 25 0 0 24 24 0 3
spr_shape_9_back 50 105 0 0 49 104 0 4
spr_shape_9_outline 50 105 0 0 49 104 0 4
spr_shape_10_back 100 66 0 0 99 65 0 4
spr_shape_10_outline 100 66 0 0 99 65 0 4
spr_shape_11_back 95 100 0 0 94 99 0 4
spr_shape_11_outline 95 100 0 0 94 99 0 4
spr_FrameDelete 10 10 0 0 9 9 0 3
spr_Select_Circle 64 64 0 0 63 63 0 1
spr_Object_Properties 192 96 0 0 191 95 0 1
spr_Checkbox 19 17 0 0 18 16 0 2
spr_Checkbox_1 19 17 0 0 18 16 0 1
spr_Textbox 64 64 7 18 53 43 2 3
spr_Music_Play 28 28 0 0 27 27 0 4
spr_Music_Pause 28 28 0 0 27 27 0 5
spr_Music_Skip 28 28 0 0 27 27 0 4
spr_Music_Stop 28 28 0 0 27 27 0 4
)";

std::vector<Row> table() {
  std::vector<Row> rows;
  std::istringstream in(kTable);
  Row r;
  while (in >> r.name >> r.width >> r.height >> r.left >> r.top >> r.right >> r.bottom >> r.boxMode >> r.frames) rows.push_back(r);
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
