// SPDX-License-Identifier: Zlib
// Damaged files are refused with a message, never read out of bounds, and
// leave nothing loaded behind. Run under the sanitizer build, a read outside
// the file fails these tests even when the loader happens to survive it.
#include "LoaderFixture.h"

namespace {

class DamagedFile : public LoaderTest {
 protected:
  // Loads a copy of `file` placed in a buffer of exactly its size, so that
  // the sanitizer sees any read past its end; expects refusal.
  void ExpectRefused(const std::vector<uint8_t>& file, const char* messagePart) {
    std::vector<uint8_t> exact(file);
    exact.shrink_to_fit();
    EXPECT_FALSE(GameData_Load(exact.data(), exact.size(), &error));
    EXPECT_NE(error.find(messagePart), std::string::npos) << "message: " << error;
    EXPECT_EQ(Object_Count(), 0);
    EXPECT_TRUE(GameData_Get().sprites.empty());
    EXPECT_EQ(GameData_Get().file, nullptr);
  }
  void SetUp() override {
    LoaderTest::SetUp();
    file = BuildSmallGame({}, &layout);
  }
  std::vector<uint8_t> file;
  SmallGameLayout layout;
};

TEST_F(DamagedFile, WrongMagicIsRefused) {
  file[0] = 'F';
  file[3] = 'X';
  ExpectRefused(file, "FORM magic");
}

TEST_F(DamagedFile, TooShortForTheContainerIsRefused) {
  ExpectRefused({'F', 'O', 'R'}, "FORM magic");
  ExpectRefused({}, "FORM magic");
}

TEST_F(DamagedFile, FormSizeThatDisagreesWithTheFileIsRefusedBeforeAnyChunk) {
  PutU32(file, 4, static_cast<uint32_t>(file.size()));
  ExpectRefused(file, "FORM size");
  EXPECT_EQ(Log().find("Process Chunk"), std::string::npos);
}

// Cut the file at every length; with the FORM size corrected each time, the
// loop runs into the cut wherever it lies: in a chunk header, a chunk body or
// a record that a chunk points at.
TEST_F(DamagedFile, TruncatedAnywhereIsRefused) {
  for (size_t length = 8; length < file.size(); ++length) {
    std::vector<uint8_t> cut(file.begin(), file.begin() + length);
    PutU32(cut, 4, static_cast<uint32_t>(length - 8));
    error.clear();
    EXPECT_FALSE(GameData_Load(cut.data(), cut.size(), &error)) << "length " << length;
    EXPECT_FALSE(error.empty()) << "length " << length;
    EXPECT_EQ(Object_Count(), 0) << "length " << length;
  }
}

TEST_F(DamagedFile, ChunkSizePastTheEndIsRefused) {
  PutU32(file, layout.gen8 - 4, 0xFFFFFFF0u);
  ExpectRefused(file, "past the end of the file");
}

TEST_F(DamagedFile, ListEntryPastTheEndIsRefused) {
  PutU32(file, layout.spriteSlot0, static_cast<uint32_t>(file.size() + 100));
  ExpectRefused(file, "SPRT: sprite 0");
}

TEST_F(DamagedFile, ListEntryAtTheLastBytesIsRefused) {
  PutU32(file, layout.spriteSlot0, static_cast<uint32_t>(file.size() - 2));
  ExpectRefused(file, "SPRT: sprite 0");
}

TEST_F(DamagedFile, HugeListCountIsRefused) {
  PutU32(file, layout.spriteListCount, 0x40000000u);
  ExpectRefused(file, "sprite list");
  file = BuildSmallGame({}, &layout);
  PutU32(file, layout.instanceListCount, 0xFFFFFFFFu);
  ExpectRefused(file, "instance list");
}

TEST_F(DamagedFile, FrameCountTooLargeIsRefused) {
  PutU32(file, layout.extendedFrameCount, 0x7FFFFFFFu);
  ExpectRefused(file, "frames run past the end");
  file = BuildSmallGame({}, &layout);
  PutU32(file, layout.extendedFrameCount, 0x80000000u);  // negative
  ExpectRefused(file, "frame count");
}

TEST_F(DamagedFile, MoreMasksThanFramesAreRefused) {
  PutU32(file, layout.extendedMaskCount, 4);
  ExpectRefused(file, "4 masks for 3 frames");
  file = BuildSmallGame({}, &layout);
  // Three masks (one per frame) are allowed, and 3 x 8 bytes lie inside the
  // file, so this one loads: masks are checked against the file.
  PutU32(file, layout.extendedMaskCount, 3);
  EXPECT_TRUE(Load(file)) << error;
}

TEST_F(DamagedFile, GlyphCountTooLargeIsRefused) {
  PutU32(file, layout.glyphCount, 0x20000000u);
  ExpectRefused(file, "FONT: font 0");
}

TEST_F(DamagedFile, StringFieldWithoutTerminatorIsRefused) {
  // Point obj_child at a position whose "length" word runs past the file.
  uint32_t record;
  std::memcpy(&record, file.data() + layout.objectSlot1, 4);
  PutU32(file, record, 8);  // the name field now points at the first chunk's body
  ExpectRefused(file, "OBJT: object 1");
}

TEST_F(DamagedFile, TexturePageItemPastTheEndIsRefused) {
  PutU32(file, layout.tpagSlot0, static_cast<uint32_t>(file.size() - 10));
  ExpectRefused(file, "TPAG: item 0");
}

TEST_F(DamagedFile, PngOffsetPastTheEndOrDamagedPngIsRefused) {
  PutU32(file, layout.txtrPngOffset, static_cast<uint32_t>(file.size()));
  ExpectRefused(file, "TXTR: page 0");
  file = BuildSmallGame({}, &layout);
  uint32_t png;
  std::memcpy(&png, file.data() + layout.txtrPngOffset, 4);
  file[png + 40] ^= 0xFF;  // inside the image data
  ExpectRefused(file, "TXTR: page 0");
}

TEST_F(DamagedFile, OptionsVersionOtherThanTwoFailsTheReader) {
  SmallGameOptions o;
  o.optionsVersion = 3;
  ExpectRefused(BuildSmallGame(o), "options version 3 is not 2");
}

TEST_F(DamagedFile, EmbeddedImagesVersionOtherThanOneFailsTheReader) {
  SmallGameOptions o;
  o.embiVersion = 2;
  ExpectRefused(BuildSmallGame(o), "EMBI: embedded images version 2 is not 1");
}

TEST_F(DamagedFile, EventSubtypeOutOfRangeIsRefused) {
  // obj_child's collision event names object 0; make it name object 5 of 3.
  for (size_t at = 0; at + 60 <= file.size(); at += 4) {
    uint32_t words[15];
    std::memcpy(words, file.data() + at, sizeof words);
    // An event record: subtype 0, one action, then the action whose word 8 is 6.
    if (words[0] == 0 && words[1] == 1 && words[2] == at + 12 && words[3 + 8] == 6) {
      PutU32(file, at, 5);
      ExpectRefused(file, "event subtype 5 of type 4 is out of range");
      return;
    }
  }
  FAIL() << "collision event not found";
}

TEST_F(DamagedFile, UnknownChunkIsLoggedTheLoopGoesOnAndTheLoadFails) {
  // A file whose later chunk holds no offsets, so the loop can go on past it.
  DataBuilder b;
  b.Begin("ABCD");
  b.U32(1);
  b.End();
  b.Begin("GLOB");
  b.U32(1);
  b.U32(4);
  b.End();
  ExpectRefused(b.Finish(), "unknown chunk ABCD");
  EXPECT_NE(Log().find("unknown Chunk ABCD:4\n"), std::string::npos);
  EXPECT_NE(Log().find("Process Chunk: GLOB   8\n"), std::string::npos);
}

TEST_F(DamagedFile, SharedOffsetsCannotBlowUpTheTables) {
  // 2000 sprite entries that all point at one record with 1000 frames: each
  // entry alone fits in the file, together they would make two million frames.
  DataBuilder b;
  b.Begin("SPRT");
  auto slots = b.List(2000);
  size_t record = b.Pos();
  b.Str("spr");
  for (int w = 0; w < 13; ++w) b.U32(w < 2 ? 1 : 0);
  b.I32(1000);
  for (int f = 0; f < 1000; ++f) b.U32(0);
  b.U32(0);
  for (size_t s : slots) b.Patch(s, static_cast<uint32_t>(record));
  b.End();
  ExpectRefused(b.Finish(), "more records than a file");
}

TEST_F(DamagedFile, FlippedBytesNeverCrash) {
  // A fixed pseudo-random walk over single-byte changes; whatever the loader
  // decides, a refusal carries a message and leaves nothing loaded.
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<uint8_t> bent(file);
    for (int k = 0; k < 3; ++k) bent[8 + next() % (bent.size() - 8)] = static_cast<uint8_t>(next());
    PutU32(bent, 4, static_cast<uint32_t>(bent.size() - 8));
    error.clear();
    if (!GameData_Load(bent.data(), bent.size(), &error)) {
      EXPECT_FALSE(error.empty());
      EXPECT_EQ(Object_Count(), 0);
    }
    GameData_Clear();
  }
}

TEST_F(DamagedFile, PreScanRefusesDamageAndMissingHeader) {
  GameHeader header;
  GameOptions options;
  std::vector<uint8_t> cut(file.begin(), file.begin() + layout.gen8 + 20);
  PutU32(cut, 4, static_cast<uint32_t>(cut.size() - 8));
  EXPECT_FALSE(GameData_ReadHeader(cut.data(), cut.size(), &header, &options, &error));
  EXPECT_FALSE(error.empty());
  DataBuilder b;
  b.Empty("STRG");
  std::vector<uint8_t> noHeader = b.Finish();
  error.clear();
  EXPECT_FALSE(GameData_ReadHeader(noHeader.data(), noHeader.size(), &header, &options, &error));
  EXPECT_NE(error.find("no header"), std::string::npos);
  EXPECT_NE(Log().find("ID_STRG\n"), std::string::npos);
}

}  // namespace
