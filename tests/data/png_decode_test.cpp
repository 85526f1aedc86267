// SPDX-License-Identifier: Zlib
// The PNG wrapper over libpng: decodes to RGBA, refuses what is not a whole PNG.
#include <gtest/gtest.h>

#include "DataBuilder.h"
#include "data/PngDecode.h"

namespace {

TEST(PngDecode, DecodesToRgbaRowsTopDown) {
  std::vector<uint8_t> png = MakePng(3, 2, 0xFF00FF00u);
  DecodedImage image;
  std::string error;
  ASSERT_TRUE(Png_DecodeRGBA(png.data(), png.size(), &image, &error)) << error;
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  ASSERT_EQ(image.rgba.size(), 24u);
  EXPECT_EQ(image.rgba[1], 0xFF);
  EXPECT_EQ(image.rgba[0], 0x00);
  EXPECT_EQ(image.rgba[3], 0xFF);
}

TEST(PngDecode, TrailingBytesAfterThePngAreIgnored) {
  std::vector<uint8_t> png = MakePng(2, 2, 0x01020304u);
  png.resize(png.size() + 100, 0xAB);
  DecodedImage image;
  std::string error;
  EXPECT_TRUE(Png_DecodeRGBA(png.data(), png.size(), &image, &error)) << error;
}

TEST(PngDecode, RefusesNonPngAndTruncatedData) {
  std::vector<uint8_t> png = MakePng(4, 4, 0x80808080u);
  DecodedImage image;
  std::string error;
  const uint8_t text[] = "not a png at all";
  EXPECT_FALSE(Png_DecodeRGBA(text, sizeof text, &image, &error));
  EXPECT_EQ(error, "not a PNG image");
  for (size_t cut : {size_t{8}, size_t{20}, size_t{33}, png.size() - 13}) {
    error.clear();
    EXPECT_FALSE(Png_DecodeRGBA(png.data(), cut, &image, &error)) << cut;
    EXPECT_FALSE(error.empty());
  }
}

TEST(PngDecode, RefusesImagesLargerThanTheLimit) {
  // A valid header claiming 9000 x 1 pixels.
  std::vector<uint8_t> png = MakePng(9000, 1, 0);
  DecodedImage image;
  std::string error;
  EXPECT_FALSE(Png_DecodeRGBA(png.data(), png.size(), &image, &error));
  EXPECT_NE(error.find("out of range"), std::string::npos);
}

}  // namespace
