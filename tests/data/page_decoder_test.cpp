// SPDX-License-Identifier: Zlib
// Texture pages decoded on the page decoder's thread: the chunk loop reads
// only the PNG header of such a page, the pixels are taken later, and damage
// in the pixel data is reported when they are taken.
#include <algorithm>
#include <cstring>

#include "LoaderFixture.h"
#include "data/PageDecoder.h"
#include "graphics/CountingRenderer.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"

namespace {

class PageDecoderTest : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    file = BuildSmallGame({}, &layout);
    std::memcpy(&pngOffset, file.data() + layout.txtrPngOffset, 4);
  }
  void TearDown() override {
    PageDecoder_Stop();
    LoaderTest::TearDown();
  }
  // Flips a byte inside the page's compressed pixels, after its header.
  bool DamagePixelData() {
    const char* idat = "IDAT";
    auto at = std::search(file.begin() + pngOffset, file.end(), idat, idat + 4);
    if (at == file.end()) return false;
    at[6] ^= 0xFF;
    return true;
  }
  std::vector<uint8_t> file;
  SmallGameLayout layout;
  uint32_t pngOffset = 0;
};

TEST_F(PageDecoderTest, FindsThePagesPngOrNothingInADamagedFile) {
  std::vector<TexturePagePng> pages;
  GameData_FindPagePngs(file.data(), file.size(), &pages);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].png, file.data() + pngOffset);
  EXPECT_EQ(pages[0].size, file.size() - pngOffset);

  std::vector<uint8_t> pastTheEnd(file);
  PutU32(pastTheEnd, layout.txtrPngOffset, static_cast<uint32_t>(file.size()));
  GameData_FindPagePngs(pastTheEnd.data(), pastTheEnd.size(), &pages);
  EXPECT_TRUE(pages.empty());

  std::vector<uint8_t> truncated(file.begin(), file.begin() + static_cast<long>(pngOffset) + 4);
  truncated.shrink_to_fit();
  GameData_FindPagePngs(truncated.data(), truncated.size(), &pages);
  EXPECT_TRUE(pages.empty());  // the TXTR chunk claims more than is left
}

TEST_F(PageDecoderTest, LoaderLeavesTheGivenPageToTheDecoderAndThePixelsComeOnce) {
  PageDecoder_Start(file.data(), file.size());
  ASSERT_TRUE(Load(file)) << error;
  const TexturePage* page = GameData_TexturePage(0);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->decodePending);
  EXPECT_TRUE(page->rgba.empty());
  EXPECT_EQ(page->width, 16);
  EXPECT_EQ(page->height, 8);
  EXPECT_EQ(page->png, file.data() + pngOffset);

  DecodedImage image;
  std::string message;
  ASSERT_EQ(PageDecoder_Take(page->png, true, &image, &message), PageDecodeResult::Decoded) << message;
  ASSERT_EQ(image.rgba.size(), 16u * 8 * 4);
  EXPECT_EQ(image.rgba[0], 0x10);
  EXPECT_EQ(image.rgba[1], 0x20);
  EXPECT_EQ(image.rgba[2], 0x40);
  EXPECT_EQ(image.rgba.back(), 0x80);
  EXPECT_EQ(PageDecoder_Take(page->png, true, &image, &message), PageDecodeResult::Unknown);
}

TEST_F(PageDecoderTest, QueuedPagesWaitForTheWorkerUnlessATakeWaits) {
  PageDecoder_Queue(file.data(), file.size());
  ASSERT_TRUE(Load(file)) << error;
  const TexturePage* page = GameData_TexturePage(0);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->decodePending);
  DecodedImage image;
  std::string message;
  // Filed but not begun: nothing decodes it yet.
  EXPECT_EQ(PageDecoder_Take(page->png, false, &image, &message), PageDecodeResult::Pending);
  // A take that waits begins the work itself.
  ASSERT_EQ(PageDecoder_Take(page->png, true, &image, &message), PageDecodeResult::Decoded) << message;
  EXPECT_EQ(image.rgba.size(), 16u * 8 * 4);
}

TEST_F(PageDecoderTest, WithoutTheDecoderThePageIsDecodedInTheChunkLoop) {
  PageDecoder_Start(file.data(), file.size());
  PageDecoder_Stop();
  ASSERT_TRUE(Load(file)) << error;
  const TexturePage* page = GameData_TexturePage(0);
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(page->decodePending);
  EXPECT_EQ(page->rgba.size(), 16u * 8 * 4);
}

TEST_F(PageDecoderTest, DamagedPixelDataIsReportedWhenTaken) {
  ASSERT_TRUE(DamagePixelData());
  PageDecoder_Start(file.data(), file.size());
  ASSERT_TRUE(Load(file)) << error;
  const TexturePage* page = GameData_TexturePage(0);
  ASSERT_NE(page, nullptr);
  DecodedImage image;
  std::string message;
  EXPECT_EQ(PageDecoder_Take(page->png, true, &image, &message), PageDecodeResult::Failed);
  EXPECT_NE(message.find("PNG data"), std::string::npos) << message;
  EXPECT_TRUE(image.rgba.empty());
}

TEST_F(PageDecoderTest, DamagedHeaderIsStillRefusedByTheChunkLoop) {
  PutU32(file, pngOffset + 16, 0);  // the IHDR width (its CRC no longer matches either)
  PageDecoder_Start(file.data(), file.size());
  EXPECT_FALSE(Load(file));
  EXPECT_NE(error.find("TXTR: page 0"), std::string::npos) << error;
}

// The graphics layer takes a queued page once it is decoded; until then the
// page is not ready, and damage found by the decoder is reported each time.
class PagesInGraphics : public PageDecoderTest {
 protected:
  void SetUp() override {
    PageDecoderTest::SetUp();
    Graphics_Init(&renderer);
  }
  void TearDown() override {
    Graphics_Shutdown();
    PageDecoderTest::TearDown();
  }
  CountingRenderer renderer;
};

TEST_F(PagesInGraphics, PageBecomesReadyWhenTakenAndNotBefore) {
  PageDecoder_Queue(file.data(), file.size());
  ASSERT_TRUE(Load(file)) << error;
  Graphics_BuildResources(GameData_Get());
  ASSERT_EQ(Graphics_State().pages.size(), 1u);
  EXPECT_FALSE(Graphics_State().pages[0].ready);
  std::string message;
  EXPECT_TRUE(Graphics_UpdatePages(false, &message));  // not begun: still pending
  EXPECT_FALSE(Graphics_State().pages[0].ready);
  EXPECT_TRUE(Graphics_UpdatePages(true, &message)) << message;
  const CTexturePage& page = Graphics_State().pages[0];
  EXPECT_TRUE(page.ready);
  EXPECT_EQ(page.width, 16);
  EXPECT_EQ(page.height, 8);
  ASSERT_GE(page.handle, 0);
  EXPECT_EQ(renderer.textures[static_cast<size_t>(page.handle)].width, 16);
}

TEST_F(PagesInGraphics, DamagedPageIsReportedAndNeverDecodedAgain) {
  ASSERT_TRUE(DamagePixelData());
  PageDecoder_Start(file.data(), file.size());
  ASSERT_TRUE(Load(file)) << error;
  Graphics_BuildResources(GameData_Get());
  std::string message;
  EXPECT_FALSE(Graphics_UpdatePages(true, &message));
  EXPECT_NE(message.find("page 0: PNG data"), std::string::npos) << message;
  EXPECT_TRUE(Graphics_State().pages[0].failed);
  size_t textures = renderer.textures.size();
  message.clear();
  EXPECT_FALSE(Graphics_UpdatePages(true, &message));
  EXPECT_NE(message.find("page 0"), std::string::npos);
  EXPECT_EQ(renderer.textures.size(), textures);
  EXPECT_FALSE(Graphics_State().pages[0].ready);
}

}  // namespace
