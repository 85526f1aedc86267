// SPDX-License-Identifier: Zlib
// No damaged save folder may stop the editor. A small real save folder (two
// frames of three parts saved twice, so a kept copy exists, unsaved work in
// recovery.dat and the marker of a save under way) is damaged one byte at a
// time: every byte of every file flipped, as the scenario line `save flip`
// does, and every Base64 character of every secure map file changed to
// another one, which keeps the file's machine tag valid so that the damage
// reaches the decoded values. For each case the real program starts, places
// a part and exports, within 10 seconds: it must neither crash, nor end with
// a runtime error, nor hang. The counts are printed.
//
// The sanitizer build runs every 16th case (it is about ten times slower).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProgram.h"
#include "TempFolder.h"
#include "library/Base64.h"
#include "library/DsHandles.h"
#include "library/DsMap.h"
#include "library/SecureMap.h"

#ifndef SWEEP_STRIDE
#define SWEEP_STRIDE 1
#endif

namespace fs = std::filesystem;

namespace {

const std::string kProgram = MOBWRIGHT_PROGRAM;
// Beyond what a start, five inputs and an export take on a loaded machine.
constexpr double kCaseSeconds = 10;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

int RunProgram(const fs::path& home, const std::vector<std::string>& arguments, const fs::path& log) {
  std::vector<std::string> command = {kProgram, "-headless", "-noaudio", "-nowait", "-output", log.string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  pid_t child = ChildProgram_Start(command, {{"XDG_DATA_HOME", home.string()}}, (home / "output.txt").string());
  return ChildProgram_WaitAtMost(child, kCaseSeconds);
}

// The marker a save under way leaves, written as the editor writes it: its
// fallback is the kept copy, its number the folder's own save, so that the
// start finds the save whole, removes the marker and restores the unsaved work.
bool WriteMarker(const fs::path& file) {
  std::string bytes;
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    int map = DsMap_Create();
    DynValue key, value;
    DynValue_InitString(&key, "fallback");
    DynValue_InitString(&value, "copies/frame1_data.dat.1");
    DsMap_Get(map)->Add(&key, &value);
    DynValue_Release(&key);
    DynValue_Release(&value);
    DynValue_InitString(&key, "save");
    value = DynValue_MakeReal(2);
    DsMap_Get(map)->Add(&key, &value);
    DynValue_Release(&key);
    bytes = SecureMap_Encode(map, SecureMap_ThisMachineTag());
    DsMap_Destroy(map);
  }
  WriteFile(file, bytes);
  return !bytes.empty();
}

// A secure map file of this machine holding the JSON text as it is: values
// of any kind, keys missing, as a hostile file may hold them.
void WriteSecureJson(const fs::path& file, const std::string& json) {
  WriteFile(file, SecureMap_ThisMachineTag() + Base64_Encode(json.c_str(), json.size() + 1));
}

struct Damage {
  fs::path file;  // relative to the save folder
  size_t offset;
  char byte;      // what the byte becomes
};

bool IsBase64(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/'; }
char NextBase64(char c) {
  static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  return alphabet[(alphabet.find(c) + 1) % alphabet.size()];
}

class SaveSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temporary_.Path().empty());
    base_ = fs::path(temporary_.Path()) / "base";
    fs::create_directories(base_);
    // Two frames: the first with two parts, the second with a third; saved
    // twice (the second save keeps the first under copies/); then Delete all,
    // unsaved, kept in recovery.dat at the close.
    const std::string input =
        "2 move 128 128\n3 click left\n5 move 127 47\n6 click left\n8 move 400 300\n9 click left\n"
        "11 move 450 350\n12 click left\n14 move 243 47\n15 click left\n17 move 500 400\n18 click left\n"
        "20 move 96 608\n21 click left\n23 click left\n25 move 97 714\n26 click left\n";
    WriteFile(fs::path(temporary_.Path()) / "make.txt", input);
    ASSERT_EQ(RunProgram(base_, {"-playback", temporary_.Path() + "make.txt", "-exit"}, base_ / "log.txt"), 0);
    folder_ = base_ / "Mobwright";
    ASSERT_TRUE(fs::exists(folder_ / "recovery.dat")) << ReadFile(base_ / "log.txt");
    ASSERT_TRUE(fs::exists(folder_ / "copies/frame1_data.dat.1"));
    ASSERT_TRUE(WriteMarker(folder_ / "copies/save_under_way"));
    fs::remove(base_ / "log.txt");
    fs::remove(base_ / "output.txt");
    WriteFile(fs::path(temporary_.Path()) / "use.txt",
              "2 move 128 128\n3 click left\n5 move 600 600\n6 click left\n8 move 95 502\n9 click left\n");
  }

  // Runs the program on a copy of the folder with one damage; "" when it
  // started, placed its part and exported, else what went wrong.
  std::string Try(const Damage& d, int worker) {
    fs::path home = fs::path(temporary_.Path()) / ("case" + std::to_string(worker));
    fs::remove_all(home);
    fs::copy(base_, home, fs::copy_options::recursive);
    fs::path target = home / "Mobwright" / d.file;
    std::string bytes = ReadFile(target);
    bytes[d.offset] = d.byte;
    WriteFile(target, bytes);
    int code = RunProgram(home, {"-frames", "11", "-playback", temporary_.Path() + "use.txt"}, home / "log.txt");
    std::string log = ReadFile(home / "log.txt");
    if (code == kChildProgramHung) return "hang";
    if (code != 0) return "exit " + std::to_string(code) + "\n" + log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
    if (log.find("[message box] Error") != std::string::npos) return "runtime error\n" + log;
    if (log.find("switch floor(frame) {") == std::string::npos) return "no export\n" + log;
    return "";
  }

  std::vector<Damage> Cases() {
    std::vector<Damage> cases;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder_))
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder_));
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::string bytes = ReadFile(folder_ / file);
      for (size_t i = 0; i < bytes.size(); ++i) cases.push_back({file, i, static_cast<char>(~bytes[i])});
      for (size_t i = kSecureMapTagLength; i < bytes.size(); ++i)
        if (IsBase64(bytes[i])) cases.push_back({file, i, NextBase64(bytes[i])});
    }
    return cases;
  }

  // Runs the program on a copy of the folder after `change`; the log.
  template <typename Change>
  std::string RunChanged(Change change, int* code, const std::string& input = "use.txt") {
    fs::path home = fs::path(temporary_.Path()) / "changed";
    fs::remove_all(home);
    fs::copy(base_, home, fs::copy_options::recursive);
    change(home / "Mobwright");
    *code = RunProgram(home, {"-frames", "16", "-playback", temporary_.Path() + input}, home / "log.txt");
    return ReadFile(home / "log.txt");
  }

  TempFolder temporary_{"mobwright_save_sweep_test"};
  fs::path base_, folder_;
};

TEST_F(SaveSweep, NoDamagedByteStopsTheEditor) {
  // The undamaged folder itself works, and restores the unsaved work.
  {
    Damage none{"frames.dat", 0, ReadFile(folder_ / "frames.dat")[0]};
    ASSERT_EQ(Try(none, 0), "");
    EXPECT_NE(ReadFile(fs::path(temporary_.Path()) / "case0/log.txt").find("Restored the unsaved work"),
              std::string::npos);
  }
  std::vector<Damage> all = Cases();
  std::vector<Damage> cases;
  for (size_t i = 0; i < all.size(); i += SWEEP_STRIDE) cases.push_back(all[i]);

  // Two programs at a time, one a core.
  std::mutex lock;
  size_t next = 0, hangs = 0, failures = 0;
  std::vector<std::string> reports;
  auto worker = [&](int n) {
    for (;;) {
      size_t at;
      {
        std::lock_guard<std::mutex> hold(lock);
        if (next >= cases.size()) return;
        at = next++;
      }
      std::string problem = Try(cases[at], n);
      if (problem.empty()) continue;
      std::lock_guard<std::mutex> hold(lock);
      (problem == "hang" ? hangs : failures) += 1;
      if (reports.size() < 5)
        reports.push_back(cases[at].file.string() + " byte " + std::to_string(cases[at].offset) + ": " + problem);
    }
  };
  std::vector<std::thread> workers;
  for (int n = 1; n <= 2; ++n) workers.emplace_back(worker, n);
  for (std::thread& w : workers) w.join();

  std::printf("save sweep: %zu cases (of %zu, every %d), %zu crashes or errors, %zu hangs\n", cases.size(),
              all.size(), SWEEP_STRIDE, failures, hangs);
  EXPECT_EQ(failures, 0u);
  EXPECT_EQ(hangs, 0u);
  for (const std::string& report : reports) ADD_FAILURE() << report;
}

}  // namespace

namespace {

// Values a damaged or hostile file may hold, each in the place it would do
// harm: each is refused with a debug line that says why, the program goes on
// to place a part and export, and no text of the file reaches the export.
TEST_F(SaveSweep, HostileValuesAreRefusedWithAReason) {
  // The first record of the first frame, by the frames file's own order.
  const std::string valid = R"("ID Number": 1, "Color": 255, "Sprite Index": 11, "Outline Index": 12, )"
                            R"("X Dif": 0, "Y Dif": 0, "X Scale": 1, "Y Scale": 1, "Rotation": 0, "Alpha": 1)";
  std::string record;
  for (const auto& entry : fs::directory_iterator(folder_))
    if (entry.path().filename().string().rfind("0_", 0) == 0) record = entry.path().filename().string();
  ASSERT_FALSE(record.empty());
  struct Case {
    const char* what;
    std::string file, json, reason;
  };
  const Case cases[] = {
      {"code in a colour", record, "{" + valid + R"(, "Animating": 0, "Color": "0); game_end(); //"})",
       "Saved record not loaded: " + record + ": \"Color\" is missing or not a number"},
      {"keys missing", record, R"({"ID Number": 1})",
       "Saved record not loaded: " + record + ": \"Color\" is missing or not a number"},
      {"a number past any range", record, "{" + valid + R"(, "Animating": 1e300})",
       "Saved record not loaded: " + record + ": \"Animating\" is not a finite number in range"},
      {"a sprite that is not there", record,
       R"({"ID Number": 1, "Color": 255, "Sprite Index": 999, "Outline Index": 12, "X Dif": 0, "Y Dif": 0, )"
       R"("X Scale": 1, "Y Scale": 1, "Rotation": 0, "Alpha": 1, "Animating": 0})",
       "Saved record not loaded: " + record + ": \"Sprite Index\" is not a sprite"},
      {"an index value that is a number", "frame1_data.dat", R"({"0_1": 3, "1_2": null})",
       "Saved frames file not used: frames.dat does not agree with the index"},
      {"a frames file counting a billion frames", "frames.dat", R"({"save": 2, "frames": 1e9})",
       "Saved frames file not used: frames.dat does not agree with the index"},
      {"a marker naming a number", "copies/save_under_way", R"({"fallback": 3, "save": "x"})",
       "copies/save_under_way is not a marker the editor writes: treated as absent"},
      {"a recovery file whose time is a script", "recovery.dat",
       R"({"after save": 2, "written": "<script>alert(1)</script>", "frames": 0, "active": -1, "canvas": 0})",
       "Recovery: recovery.dat could not be read; the last save is loaded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int code = -1;
    // Without the unsaved work, which would load in place of the save.
    std::string log = RunChanged(
        [&](const fs::path& folder) {
          if (c.file != "recovery.dat") fs::remove(folder / "recovery.dat");
          WriteSecureJson(folder / c.file, c.json);
        },
        &code);
    EXPECT_EQ(code, 0) << log;
    EXPECT_NE(log.find(c.reason), std::string::npos) << log;
    EXPECT_EQ(log.find("[message box] Error"), std::string::npos) << log;
    EXPECT_NE(log.find("switch floor(frame) {"), std::string::npos) << log;
    EXPECT_EQ(log.find("game_end"), std::string::npos);
    EXPECT_EQ(log.find("script>"), std::string::npos);
  }
}

}  // namespace

namespace {

// An index past the size a save file may have (sparse: it costs no disk) is
// not read, and the next save sets it aside instead of failing for ever.
TEST_F(SaveSweep, AnOversizedIndexIsSetAsideByTheNextSave) {
  WriteFile(fs::path(temporary_.Path()) / "frame_and_save.txt",
            "2 move 127 47\n3 click left\n5 move 128 128\n6 click left\n8 move 600 600\n9 click left\n"
            "11 move 96 608\n12 click left\n");
  int code = -1;
  std::string log = RunChanged(
      [](const fs::path& folder) {
        fs::remove(folder / "recovery.dat");
        fs::remove(folder / "copies/save_under_way");
        fs::resize_file(folder / "frame1_data.dat", kSecureMapMaxFileBytes + 1);
      },
      &code, "frame_and_save.txt");
  EXPECT_EQ(code, 0) << log;
  EXPECT_NE(log.find("Saved frames not loaded: frame1_data.dat could not be read"), std::string::npos) << log;
  EXPECT_NE(log.find("Save: frame1_data.dat does not load (larger than "), std::string::npos) << log;
  EXPECT_NE(log.find("Saved 1 frame, 1 part."), std::string::npos) << log;
}

}  // namespace
