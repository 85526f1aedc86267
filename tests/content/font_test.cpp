// SPDX-License-Identifier: Zlib
// The baked preview font: its glyph records, its image, and that baking
// again gives the same files.
#include <gtest/gtest.h>
#include <json-c/json.h>

#include <memory>
#include <string>
#include <vector>

#include "content_files.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

const fs::path kFonts = fs::path(MOB_EDITOR_DIR) / "fonts";

struct GlyphRecord {
  int code, x, y, w, h, shift, offset;
};

struct FontFile {
  int imageWidth = 0, imageHeight = 0, lineHeight = 0, size = 0;
  std::vector<GlyphRecord> glyphs;
};

int intField(json_object* o, const char* key) {
  json_object* v = nullptr;
  if (!json_object_object_get_ex(o, key, &v) || !json_object_is_type(v, json_type_int)) {
    ADD_FAILURE() << "missing integer field " << key;
    return -1;
  }
  return json_object_get_int(v);
}

bool readFont(const fs::path& file, FontFile& out) {
  std::unique_ptr<json_object, decltype(&json_object_put)> root(json_object_from_file(file.c_str()), json_object_put);
  if (!root) return false;
  out.imageWidth = intField(root.get(), "imageWidth");
  out.imageHeight = intField(root.get(), "imageHeight");
  out.lineHeight = intField(root.get(), "lineHeight");
  out.size = intField(root.get(), "size");
  json_object* arr = nullptr;
  if (!json_object_object_get_ex(root.get(), "glyphs", &arr) || !json_object_is_type(arr, json_type_array)) return false;
  for (size_t i = 0; i < json_object_array_length(arr); ++i) {
    json_object* g = json_object_array_get_idx(arr, i);
    out.glyphs.push_back({intField(g, "char"), intField(g, "x"), intField(g, "y"), intField(g, "w"), intField(g, "h"),
                          intField(g, "shift"), intField(g, "offset")});
  }
  return true;
}

class PreviewFont : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(readFont(kFonts / "fnt_ObjectPreview.json", font_));
    ASSERT_TRUE(readPng(kFonts / "fnt_ObjectPreview.png", image_));
  }
  FontFile font_;
  Picture image_;
};

TEST_F(PreviewFont, HasTheNinetyFivePrintableCharactersInOrder) {
  ASSERT_EQ(font_.glyphs.size(), 95u);
  for (size_t i = 0; i < font_.glyphs.size(); ++i) EXPECT_EQ(font_.glyphs[i].code, 32 + static_cast<int>(i));
  EXPECT_EQ(font_.size, 10);
}

TEST_F(PreviewFont, RecordsDescribeTheImage) {
  EXPECT_EQ(font_.imageWidth, image_.width);
  EXPECT_EQ(font_.imageHeight, image_.height);
  for (const GlyphRecord& g : font_.glyphs) {
    EXPECT_GT(g.shift, 0) << "char " << g.code;
    EXPECT_GT(g.w, 0) << "char " << g.code;
    EXPECT_EQ(g.h, font_.lineHeight) << "char " << g.code;
    EXPECT_TRUE(g.x >= 0 && g.y >= 0 && g.w <= image_.width - g.x && g.h <= image_.height - g.y)
        << "char " << g.code << " rectangle leaves the image";
  }
}

TEST_F(PreviewFont, GlyphRectanglesDoNotOverlap) {
  for (size_t i = 0; i < font_.glyphs.size(); ++i)
    for (size_t j = i + 1; j < font_.glyphs.size(); ++j) {
      const GlyphRecord &a = font_.glyphs[i], &b = font_.glyphs[j];
      const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
      EXPECT_TRUE(apart) << "chars " << a.code << " and " << b.code;
    }
}

// White glyphs whose alpha is the coverage: each visible character has ink
// with intermediate alpha (antialiasing) inside its own rectangle, the
// space has none, and nothing is drawn outside the rectangles.
TEST_F(PreviewFont, InkLiesInsideTheRectanglesAndIsAntialiased) {
  std::vector<int> owner(static_cast<size_t>(image_.width) * image_.height, -1);
  for (const GlyphRecord& g : font_.glyphs) {
    int ink = 0, partial = 0;
    for (int y = g.y; y < g.y + g.h; ++y)
      for (int x = g.x; x < g.x + g.w; ++x) {
        owner[static_cast<size_t>(y) * image_.width + x] = g.code;
        const uint8_t* p = image_.at(x, y);
        if (p[3] > 0) {
          ++ink;
          EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255) << "char " << g.code << " not white";
        }
        if (p[3] > 0 && p[3] < 255) ++partial;
      }
    if (g.code == 32) {
      EXPECT_EQ(ink, 0);
    } else {
      EXPECT_GT(ink, 0) << "char " << g.code << " is empty";
      EXPECT_GT(partial, 0) << "char " << g.code << " is not antialiased";
    }
  }
  for (int y = 0; y < image_.height; ++y)
    for (int x = 0; x < image_.width; ++x) {
      if (owner[static_cast<size_t>(y) * image_.width + x] < 0) {
        EXPECT_EQ(image_.alpha(x, y), 0) << "stray ink at " << x << "," << y;
      }
    }
}

// Proportional face: narrow and wide letters advance differently.
TEST_F(PreviewFont, AdvancesAreProportional) {
  const GlyphRecord& i = font_.glyphs['i' - 32];
  const GlyphRecord& m = font_.glyphs['M' - 32];
  EXPECT_LT(i.shift, m.shift);
  EXPECT_GT(m.shift, 8);   // about 13 pixels per em at 10 points and 96 dpi
  EXPECT_LT(m.shift, 20);
}

TEST(FontBaker, RebakingGivesTheCommittedFiles) {
  const std::string font = MOB_PREVIEW_FONT;
  ASSERT_FALSE(font.empty()) << "TeX Gyre Bonum not found at configure time (package fonts-texgyre)";
  ScratchDir dir("font");
  const fs::path png = dir.path() / "fnt_ObjectPreview.png", json = dir.path() / "fnt_ObjectPreview.json";
  ASSERT_EQ(run(std::string(MOB_FONTBAKE) + " --font '" + font + "' --png '" + png.string() + "' --json '" + json.string() + "'"), 0);
  EXPECT_EQ(readBytes(png), readBytes(kFonts / "fnt_ObjectPreview.png"));
  EXPECT_EQ(readBytes(json), readBytes(kFonts / "fnt_ObjectPreview.json"));
}

}  // namespace
