// SPDX-License-Identifier: Zlib
// Secure map files: the exact JSON text, Base64 and machine tag, save and
// load, every damaged file loading as -1 with no map left behind, and saves
// that never leave a damaged file.
#include <signal.h>
#include <sys/resource.h>

#include <cstring>

#include "SaveAreaFixture.h"
#include "base/Console.h"
#include "library/Base64.h"
#include "library/DsMap.h"
#include "library/MapJson.h"
#include "library/SecureMap.h"
#include "library/Sha1.h"
#include "platform/MachineId.h"

namespace {

std::string Hex(const Sha1Digest& d) {
  char text[41];
  for (int i = 0; i < 5; ++i) std::snprintf(text + 8 * i, 9, "%08x", d.words[i]);
  return text;
}

TEST(Sha1Test, KnownDigestsAcrossBlockBoundaries) {
  EXPECT_EQ(Hex(Sha1_Compute("", 0)), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(Hex(Sha1_Compute("abc", 3)), "a9993e364706816aba3e25717850c26c9cd0d89d");
  std::string a55(55, 'a'), a56(56, 'a'), a64(64, 'a');
  EXPECT_EQ(Hex(Sha1_Compute(a55.data(), a55.size())), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
  EXPECT_EQ(Hex(Sha1_Compute(a56.data(), a56.size())), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
  EXPECT_EQ(Hex(Sha1_Compute(a64.data(), a64.size())), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
  const char* two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Hex(Sha1_Compute(two, std::strlen(two))), "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(Base64Test, EncodesWithPaddingAndDecodesBack) {
  EXPECT_EQ(Base64_Encode("{ }", 4), "eyB9AA==");
  const char color[] = "{ \"Color\": 255.000000 }";
  EXPECT_EQ(Base64_Encode(color, sizeof(color)), "eyAiQ29sb3IiOiAyNTUuMDAwMDAwIH0A");
  for (size_t n = 0; n < 7; ++n) {
    std::string bytes = std::string("\xff\x00\x7f\x80\x01\xfe\x10", n);
    std::vector<uint8_t> back;
    std::string text = Base64_Encode(bytes.data(), bytes.size());
    ASSERT_TRUE(Base64_Decode(text.data(), text.size(), &back)) << n;
    EXPECT_EQ(std::string(back.begin(), back.end()), bytes);
  }
}

TEST(Base64Test, RefusesDamagedText) {
  std::vector<uint8_t> out;
  for (const char* bad : {"eyB9AA=", "eyB9A===", "ey=9AA==", "eyB9AA=A", "ey B9AA=", "eyB9AA\n=", "QR==", "QUJ=", "é123"})
    EXPECT_FALSE(Base64_Decode(bad, std::strlen(bad), &out)) << bad;
  EXPECT_TRUE(Base64_Decode("QQ==", 4, &out));
}

TEST(MachineTagTest, EightyLowercaseHexDigitsStableAndPerMachine) {
  std::string tag = SecureMap_MachineTag("3d1219c7c4c5404aaa1f6d2a48adfda4");
  ASSERT_EQ(tag.size(), 80u);
  for (char c : tag) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << tag;
  EXPECT_EQ(SecureMap_MachineTag("3d1219c7c4c5404aaa1f6d2a48adfda4"), tag);
  EXPECT_NE(SecureMap_MachineTag("3d1219c7c4c5404aaa1f6d2a48adfda5"), tag);
  EXPECT_NE(SecureMap_MachineTag("NOT SUPPORTED"), tag);
  EXPECT_EQ(SecureMap_MachineTag("").size(), 80u);
  EXPECT_EQ(SecureMap_ThisMachineTag(), SecureMap_MachineTag(Platform_MachineIdentifier()));
}

TEST(MachineTagTest, IdentifierComesFromTheFirstReadableFile) {
  TempFolder folder;
  std::string first = folder.Path() + "first", second = folder.Path() + "second", blank = folder.Path() + "blank";
  WriteWholeFile(second, "  abc123\n");
  WriteWholeFile(blank, "\n");
  const char* paths[] = {first.c_str(), blank.c_str(), second.c_str()};
  EXPECT_EQ(Platform_ReadMachineIdentifier(paths, 3), "abc123");
  EXPECT_EQ(Platform_ReadMachineIdentifier(paths, 2), "NOT SUPPORTED");
}

class MapJsonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library_EnsureRegistered();
    DsHandles_DestroyAll();
  }
  void TearDown() override { DsHandles_DestroyAll(); }
  int NewMap() { return static_cast<int>(Call("ds_map_create").Real()); }
  std::string Json(int map) {
    std::lock_guard<std::mutex> lock(DsMutex());
    return MapJson_Write(map);
  }
};

TEST_F(MapJsonTest, EmptyMapAndMissingMap) {
  EXPECT_EQ(Json(NewMap()), "{ }");
  EXPECT_EQ(Json(57), "{ }");
}

TEST_F(MapJsonTest, NumbersUseSixDecimalsAndEntriesFollowVisitingOrder) {
  int map = NewMap();
  Call("ds_map_add", {map, "Sprite Index", 0.5});
  Call("ds_map_add", {map, "Color", 255});
  Call("ds_map_add", {map, "X Dif", -1.0 / 3});
  EXPECT_EQ(Json(map), "{ \"Color\": 255.000000, \"X Dif\": -0.333333, \"Sprite Index\": 0.500000 }");
}

TEST_F(MapJsonTest, ValueKinds) {
  int map = NewMap();
  Call("ds_map_add", {map, "k18", Cell(DynValue_MakeInt32(-7))});  // bucket 0
  Call("ds_map_add", {map, "Color", Cell(DynValue_MakeBool(true))});  // bucket 18
  Call("ds_map_add", {map, "Sprite Index", Cell(DynValue_MakeInt64(1LL << 40))});  // bucket 195
  Call("ds_map_add", {map, "X Scale", Cell()});  // bucket 250: undefined
  EXPECT_EQ(Json(map), "{ \"k18\": -7, \"Color\": true, \"Sprite Index\": 1099511627776, \"X Scale\": null }");
}

TEST_F(MapJsonTest, StringEscapes) {
  int map = NewMap();
  Call("ds_map_add", {map, "a/b", "x/y\"q\\\b\t\n\r\x01\x1f\x7f\xc3\xa9"});
  EXPECT_EQ(Json(map), "{ \"a\\/b\": \"x\\/y\\\"q\\\\\\b\\t\\n\\r\\u0001\\u001f\x7f\xc3\xa9\" }");
}

TEST_F(MapJsonTest, NumberKeysAreTruncatedTowardZero) {
  int map = NewMap();
  Call("ds_map_add", {map, -3.7, 1});
  EXPECT_EQ(Json(map), "{ \"-3\": 1.000000 }");
}

TEST_F(MapJsonTest, MarkedHandlesNestMapsAndLists) {
  int outer = NewMap();
  int inner = NewMap();
  int list = static_cast<int>(Call("ds_list_create").Real());
  Call("ds_map_add", {inner, "Color", 3});
  Call("ds_list_add", {list, 1, "two", inner});
  Call("ds_list_mark_as_map", {list, 2});
  Call("ds_map_add_list", {outer, "Color", list});       // bucket 18
  Call("ds_map_add_map", {outer, "Sprite Index", inner});  // bucket 195
  Call("ds_map_add", {outer, "X Scale", inner});           // not marked: a number
  EXPECT_EQ(Json(outer),
            "{ \"Color\": [ 1.000000, \"two\", { \"Color\": 3.000000 } ], \"Sprite Index\": { \"Color\": 3.000000 }, "
            "\"X Scale\": 1.000000 }");
  EXPECT_EQ(Json(NewMap()), "{ }");
  int empty = static_cast<int>(Call("ds_list_create").Real());
  int holder = NewMap();
  Call("ds_map_add_list", {holder, "Color", empty});
  EXPECT_EQ(Json(holder), "{ \"Color\": [ ] }");
}

TEST_F(MapJsonTest, AMapHoldingItselfStopsAtTheNestingLimit) {
  int map = NewMap();
  Call("ds_map_add_map", {map, "self", map});
  std::string text = Json(map);
  EXPECT_NE(text.find("null"), std::string::npos);
  EXPECT_LT(text.size(), 2000u);
}

class SecureFileTest : public SaveAreaTest {
 protected:
  int NewMap() { return static_cast<int>(Call("ds_map_create").Real()); }
  // The JSON text that a saved file holds, checked for its tag and 0 byte.
  std::string SavedJson(const std::string& fileInSave) {
    std::string bytes = ReadWholeFile(save_ + fileInSave);
    EXPECT_GE(bytes.size(), 80u);
    if (bytes.size() < 80) return std::string();
    EXPECT_EQ(bytes.substr(0, 80), SecureMap_ThisMachineTag());
    std::vector<uint8_t> json;
    EXPECT_TRUE(Base64_Decode(bytes.data() + 80, bytes.size() - 80, &json));
    EXPECT_FALSE(json.empty());
    if (json.empty()) return std::string();
    EXPECT_EQ(json.back(), 0);
    return std::string(json.begin(), json.end() - 1);
  }
  int Load(const std::string& name) { return static_cast<int>(Call("ds_map_secure_load", {work_ + name}).Real()); }
};

TEST_F(SecureFileTest, EmptyMapFileIsTagAndBase64OfBraces) {
  EXPECT_EQ(Call("ds_map_secure_save", {NewMap(), work_ + "empty.dat"}).Real(), 0);
  EXPECT_EQ(ReadWholeFile(save_ + "empty.dat"), SecureMap_ThisMachineTag() + "eyB9AA==");
}

TEST_F(SecureFileTest, ColorRecordTextByteForByte) {
  int map = NewMap();
  Call("ds_map_add", {map, "Color", 255});
  Call("ds_map_secure_save", {map, work_ + "color.dat"});
  EXPECT_EQ(SavedJson("color.dat"), "{ \"Color\": 255.000000 }");
}

TEST_F(SecureFileTest, SlashIsEscapedOnDiskAndComesBackPlain) {
  int map = NewMap();
  Call("ds_map_add", {map, "path", "a/b"});
  Call("ds_map_secure_save", {map, work_ + "slash.dat"});
  EXPECT_EQ(SavedJson("slash.dat"), "{ \"path\": \"a\\/b\" }");
  int back = Load("slash.dat");
  ASSERT_GE(back, 0);
  EXPECT_EQ(Call("ds_map_find_value", {back, "path"}).Text(), "a/b");
}

TEST_F(SecureFileTest, RoundTripKeepsKeysValuesAndVisitingOrder) {
  const char* keys[] = {"ID Number", "Color", "Sprite Index", "Outline Index", "X Dif", "Y Dif",
                        "X Scale",   "Y Scale", "Rotation", "Animating", "Alpha"};
  int map = NewMap();
  double value = 0.25;
  for (const char* key : keys) Call("ds_map_add", {map, key, value += 1.5});
  Call("ds_map_add", {map, 3, "three"});
  Call("ds_map_secure_save", {map, work_ + "0_5"});
  int back = Load("0_5");
  ASSERT_GE(back, 0);
  ASSERT_NE(back, map);
  EXPECT_EQ(Call("ds_map_size", {back}).Real(), 12);
  value = 0.25;
  for (const char* key : keys) EXPECT_EQ(Call("ds_map_find_value", {back, key}).Real(), value += 1.5) << key;
  // A number key comes back as a string key.
  EXPECT_TRUE(Call("ds_map_find_value", {back, 3}).IsUndefined());
  EXPECT_EQ(Call("ds_map_find_value", {back, "3"}).Text(), "three");
  // Keys are visited by bucket again, not in the order of the text.
  std::vector<std::string> order;
  for (Cell k = Call("ds_map_find_first", {back}); !k.IsUndefined(); k = Call("ds_map_find_next", {back, k}))
    order.push_back(k.Text());
  EXPECT_EQ(order.front(), "Color");
  EXPECT_EQ(order.back(), "X Scale");
}

TEST_F(SecureFileTest, NestedStructuresLoadAsMarkedNewMapsAndLists) {
  int outer = NewMap();
  int inner = NewMap();
  int list = static_cast<int>(Call("ds_list_create").Real());
  Call("ds_map_add", {inner, "Color", 3});
  Call("ds_list_add", {list, 1, "two"});
  Call("ds_map_add_map", {outer, "m", inner});
  Call("ds_map_add_list", {outer, "l", list});
  Call("ds_map_add", {outer, "t", Cell(DynValue_MakeBool(true))});
  Call("ds_map_secure_save", {outer, work_ + "nested.dat"});
  int before = LiveMaps();
  int back = Load("nested.dat");
  ASSERT_GE(back, 0);
  EXPECT_EQ(LiveMaps(), before + 2);
  Cell m = Call("ds_map_find_value", {back, "m"});
  EXPECT_TRUE(DsMark_IsMap(&m.v));
  EXPECT_NE(static_cast<int>(m.Real()), inner);
  EXPECT_EQ(Call("ds_map_find_value", {m, "Color"}).Real(), 3);
  Cell l = Call("ds_map_find_value", {back, "l"});
  EXPECT_TRUE(DsMark_IsList(&l.v));
  EXPECT_EQ(Call("ds_list_find_value", {l, 1}).Text(), "two");
  EXPECT_EQ(Call("ds_map_find_value", {back, "t"}).Real(), 1);
}

TEST_F(SecureFileTest, EveryDamagedFileLoadsAsMinusOneAndLeavesNoMap) {
  int map = NewMap();
  Call("ds_map_add", {map, "Color", 255});
  Call("ds_map_add", {map, "Sprite Index", 4});
  Call("ds_map_secure_save", {map, work_ + "good.dat"});
  const std::string good = ReadWholeFile(save_ + "good.dat");
  const std::string tag = good.substr(0, 80);
  const std::string body = good.substr(80);
  std::string alteredTag = good;
  alteredTag[17] = alteredTag[17] == '0' ? '1' : '0';
  std::string notJson = "this is not json";
  std::string arrayJson = "[ 1 ]";
  std::string trailing = "{ \"a\": 1 } x";
  std::string truncatedJson = "{ \"a\": 1";
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"short tag", good.substr(0, 40)},
      {"tag only", tag},
      {"altered tag", alteredTag},
      {"other machine", SecureMap_MachineTag("another machine") + body},
      {"truncated body", good.substr(0, good.size() - 5)},
      {"truncated at a group", good.substr(0, 80 + (body.size() / 2) / 4 * 4)},
      {"bad base64", tag + "@@@@" + body.substr(4)},
      {"line break", tag + body.substr(0, 8) + "\n" + body.substr(8)},
      {"garbage", tag + std::string(64, '\x9c')},
      {"not json", tag + Base64_Encode(notJson.c_str(), notJson.size() + 1)},
      {"array json", tag + Base64_Encode(arrayJson.c_str(), arrayJson.size() + 1)},
      {"trailing text", tag + Base64_Encode(trailing.c_str(), trailing.size() + 1)},
      {"unfinished json", tag + Base64_Encode(truncatedJson.c_str(), truncatedJson.size() + 1)},
      {"only a zero byte", tag + "AA=="},
  };
  int before = LiveMaps();
  for (const auto& [label, bytes] : cases) {
    WriteWholeFile(save_ + "damaged.dat", bytes);
    EXPECT_EQ(Load("damaged.dat"), -1) << label;
    EXPECT_EQ(LiveMaps(), before) << label;
  }
  EXPECT_EQ(Load("no such file.dat"), -1);
  // The undamaged file still loads: the cases above failed for their damage.
  WriteWholeFile(save_ + "damaged.dat", good);
  EXPECT_GE(Load("damaged.dat"), 0);
}

TEST_F(SecureFileTest, SaveCreatesMissingFolders) {
  Call("ds_map_secure_save", {NewMap(), work_ + "frames/one/0_1"});
  EXPECT_EQ(ReadWholeFile(save_ + "frames/one/0_1"), SecureMap_ThisMachineTag() + "eyB9AA==");
  EXPECT_GE(Load("frames/one/0_1"), 0);
}

TEST_F(SecureFileTest, FailedWriteLeavesThePreviousFileIntact) {
  int small = NewMap();
  Call("ds_map_add", {small, "Color", 1});
  Call("ds_map_secure_save", {small, work_ + "frame1_data.dat"});
  const std::string previous = ReadWholeFile(save_ + "frame1_data.dat");
  ASSERT_FALSE(previous.empty());

  int big = NewMap();
  for (int i = 0; i < 50; ++i) Call("ds_map_add", {big, "key number " + std::to_string(i), i});
  // A file size limit below the new file makes its write fail part way (as
  // a full disk would); the signal it raises is ignored so write returns EFBIG.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit limited = saved;
  limited.rlim_cur = previous.size() + 10;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool written = SecureMap_Save(big, (work_ + "frame1_data.dat").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(ReadWholeFile(save_ + "frame1_data.dat"), previous);
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(save_)) {
    ++entries;
    EXPECT_EQ(entry.path().filename(), "frame1_data.dat");  // no temporary file left
  }
  EXPECT_EQ(entries, 1);
  // Without the limit the same save goes through.
  EXPECT_TRUE(SecureMap_Save(big, (work_ + "frame1_data.dat").c_str()));
  EXPECT_NE(ReadWholeFile(save_ + "frame1_data.dat"), previous);
}

TEST_F(SecureFileTest, SaveReplacesAnEarlierFile) {
  int map = NewMap();
  Call("ds_map_secure_save", {map, work_ + "f.dat"});
  Call("ds_map_add", {map, "Color", 255});
  Call("ds_map_secure_save", {map, work_ + "f.dat"});
  EXPECT_EQ(SavedJson("f.dat"), "{ \"Color\": 255.000000 }");
}

}  // namespace
