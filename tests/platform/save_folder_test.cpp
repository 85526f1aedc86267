// SPDX-License-Identifier: Zlib
// The save folder's atomic write, copy, rename and delete, the failure seam
// that tests of interrupted saves use (each step that changes files is
// counted, and from the chosen step on every step fails), and what stands in
// the folder where a file should be.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WithinDeadline.h"
#include "platform/SaveFolder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The names in a folder (no sub-folders), for spotting leftover temporary files.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

struct FailedStep {
  int64_t step;
  std::string kind, name;
};
std::vector<FailedStep> g_Failed;

class SaveFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.Open(root_.Path() + "save", true));
    path_ = folder_.Path();
    g_Failed.clear();
    SaveFolder_SetFailedStepHook([](int64_t step, const char* kind, const std::string& name) {
      g_Failed.push_back({step, kind, name});
    });
  }
  void TearDown() override {
    SaveFolder_FailFrom(0);
    SaveFolder_SetFailedStepHook(nullptr);
  }
  bool Write(const std::string& name, const std::string& text) {
    return folder_.WriteFileAtomic(name, text.data(), text.size());
  }

  TempFolder root_{"mobtest_savefolder"};
  ConfinedFolder folder_;
  std::string path_;
};

TEST_F(SaveFolderTest, AtomicWriteReplacesTheFileAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(Write("index.dat", "old text"));
  ASSERT_TRUE(Write("index.dat", "new"));
  EXPECT_EQ(ReadWhole(path_ + "index.dat"), "new");
  EXPECT_TRUE(Write("sub/deeper/record", ""));
  EXPECT_TRUE(fs::exists(path_ + "sub/deeper/record"));
  EXPECT_EQ(fs::file_size(path_ + "sub/deeper/record"), 0u);
  EXPECT_EQ(Names(path_), (std::vector<std::string>{"index.dat", "sub"}));
}

TEST_F(SaveFolderTest, StepsOfAWriteADeleteAndACopyAreCounted) {
  int64_t before = SaveFolder_StepCount();
  ASSERT_TRUE(Write("a", "text"));
  EXPECT_EQ(SaveFolder_StepCount() - before, 5);  // create, write, fsync, rename, fsync folder
  before = SaveFolder_StepCount();
  ASSERT_TRUE(folder_.CopyFile("a", "copies/b", 1024));
  EXPECT_EQ(SaveFolder_StepCount() - before, 5);  // reading is no step; the write of the copy is
  before = SaveFolder_StepCount();
  ASSERT_TRUE(folder_.DeleteFile("a"));
  EXPECT_EQ(SaveFolder_StepCount() - before, 1);
  before = SaveFolder_StepCount();
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(folder_.ReadFile("copies/b", &bytes, 1024));
  EXPECT_TRUE(folder_.FileExists("copies/b"));
  EXPECT_EQ(SaveFolder_StepCount() - before, 0);
}

// A write cut off at each of its steps: before the rename the old file stays
// whole and the temporary file is gone; at the folder's flush the new file is
// in place, but the write says that it failed.
TEST_F(SaveFolderTest, AWriteFailingAtEachStepLeavesTheOldOrTheNewFile) {
  const char* const kinds[] = {"create", "write", "fsync", "rename", "fsync folder"};
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(kinds[k]);
    SaveFolder_FailFrom(0);
    ASSERT_TRUE(Write("index.dat", "old"));
    g_Failed.clear();
    SaveFolder_FailFrom(SaveFolder_StepCount() + 1 + k);
    EXPECT_FALSE(Write("index.dat", "new text"));
    ASSERT_EQ(g_Failed.size(), 1u);
    EXPECT_EQ(g_Failed[0].kind, kinds[k]);
    EXPECT_EQ(g_Failed[0].name, "index.dat");
    EXPECT_EQ(ReadWhole(path_ + "index.dat"), k < 4 ? "old" : "new text");
    EXPECT_EQ(Names(path_), std::vector<std::string>{"index.dat"});
  }
}

TEST_F(SaveFolderTest, EveryStepAfterTheFailedOneFailsTooUntilTheSeamIsOff) {
  ASSERT_TRUE(Write("kept", "1"));
  SaveFolder_FailFrom(SaveFolder_StepCount() + 1);
  EXPECT_FALSE(Write("new", "2"));
  EXPECT_FALSE(folder_.DeleteFile("kept"));
  EXPECT_FALSE(folder_.CopyFile("kept", "copy", 16));
  EXPECT_EQ(g_Failed.size(), 3u);
  EXPECT_EQ(g_Failed.back().kind, "create");
  EXPECT_EQ(g_Failed.back().name, "copy");
  EXPECT_EQ(g_Failed[1].kind, "delete");
  EXPECT_GT(g_Failed[1].step, g_Failed[0].step);
  EXPECT_EQ(Names(path_), std::vector<std::string>{"kept"});
  EXPECT_EQ(ReadWhole(path_ + "kept"), "1");
  // Steps before the chosen one go ahead.
  SaveFolder_FailFrom(SaveFolder_StepCount() + 6);
  EXPECT_TRUE(Write("new", "2"));
  EXPECT_FALSE(Write("new", "3"));
  EXPECT_EQ(ReadWhole(path_ + "new"), "2");
  SaveFolder_FailFrom(0);
  EXPECT_TRUE(folder_.DeleteFile("kept"));
  EXPECT_EQ(Names(path_), std::vector<std::string>{"new"});
}

TEST_F(SaveFolderTest, CopyGivesTheSameBytesAndKeepsTheTargetWhenItCannot) {
  const std::string bytes("tag\0body\xff", 9);
  WriteWhole(path_ + "from", bytes);
  ASSERT_TRUE(folder_.CopyFile("from", "copies/x/to", 64));
  EXPECT_EQ(ReadWhole(path_ + "copies/x/to"), bytes);
  // A missing source, or one larger than allowed, copies nothing.
  EXPECT_FALSE(folder_.CopyFile("missing", "copies/x/to", 64));
  EXPECT_FALSE(folder_.CopyFile("from", "copies/x/to2", 8));
  EXPECT_EQ(ReadWhole(path_ + "copies/x/to"), bytes);
  EXPECT_FALSE(fs::exists(path_ + "copies/x/to2"));
  // Names that would leave the folder are refused.
  EXPECT_FALSE(folder_.CopyFile("from", "../outside", 64));
  EXPECT_FALSE(folder_.CopyFile("../save/from", "again", 64));
}

// A pipe, a device, a folder or a file past the limit in place of a save
// file: reading, copying and asking for it give up at once, with the reason,
// both through openat2 and through the fallback walk. The device is a link
// to /dev/zero, which the kernel refuses as leading out of the folder (and
// the walk, which follows no link, as a link).
TEST_F(SaveFolderTest, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  constexpr size_t kLimit = 64;
  for (bool fallback : {false, true}) {
    const bool previous = SaveFolder_ForceFallback(fallback);
    for (NotAFile kind : kEveryNotAFile) {
      const std::string name = std::string(fallback ? "walk " : "openat2 ") + NotAFile_Name(kind);
      ASSERT_TRUE(NotAFile_Make(kind, path_ + name, kLimit)) << name;
      std::optional<std::string> outcome = RunWithinDeadline([&] {
        std::vector<uint8_t> bytes;
        FileProblem read, exists, copy;
        bool any = folder_.ReadFile(name, &bytes, kLimit, &read) || folder_.CopyFile(name, "copy", kLimit, &copy);
        folder_.FileExists(name, &exists);
        return std::string(any ? "read " : "") + FileProblem_Text(read) + " / " + FileProblem_Text(copy) + " / " +
               FileProblem_Text(exists);
      });
      ASSERT_TRUE(outcome.has_value()) << name << ": blocked or crashed";
      std::string reason = kind == NotAFile::kOversized ? "larger than 64 bytes"
                           : kind != NotAFile::kDevice ? "not a regular file"
                           : fallback                  ? "a symbolic link, not followed"
                                                       : "outside the save folder";
      // Only the size limit lets file_exists say yes: it asks about the kind.
      std::string exists = kind == NotAFile::kOversized ? "" : reason;
      EXPECT_EQ(*outcome, reason + " / " + reason + " / " + exists) << name;
    }
    SaveFolder_ForceFallback(previous);
  }
  EXPECT_FALSE(fs::exists(path_ + "copy"));
}

// A rename moves a file or a folder to a new name in the folder, making the
// folders of the new name and replacing a file there; the old name is gone.
TEST_F(SaveFolderTest, RenameMovesFilesAndFoldersAndReplacesTheTarget) {
  ASSERT_TRUE(Write("index.dat", "new"));
  ASSERT_TRUE(Write("copies/index.dat", "old"));
  FileProblem problem;
  EXPECT_TRUE(folder_.RenameFile("index.dat", "copies/index.dat", &problem)) << FileProblem_Text(problem);
  EXPECT_EQ(ReadWhole(path_ + "copies/index.dat"), "new");
  EXPECT_FALSE(fs::exists(path_ + "index.dat"));

  fs::create_directories(path_ + "damaged/inside");
  EXPECT_TRUE(folder_.RenameFile("damaged", "aside/damaged.1", &problem)) << FileProblem_Text(problem);
  EXPECT_TRUE(fs::is_directory(path_ + "aside/damaged.1/inside"));
  EXPECT_EQ(Names(path_), (std::vector<std::string>{"aside", "copies"}));

  const struct {
    const char *from, *to, *reason;
  } refused[] = {
      {"missing", "made/x", "no such file"},
      {"copies/index.dat", "../outside", "outside the save folder"},
      {"../save/copies/index.dat", "x", "outside the save folder"},
      {"copies/index.dat", "/tmp/x", "outside the save folder"},
  };
  for (const auto& r : refused) {
    EXPECT_FALSE(folder_.RenameFile(r.from, r.to, &problem)) << r.from;
    EXPECT_EQ(FileProblem_Text(problem), r.reason) << r.from;
  }
  // Nothing was made for a rename that could not happen.
  EXPECT_EQ(Names(path_), (std::vector<std::string>{"aside", "copies"}));
}

// The rename and the flushes of both folders are steps of the seam; cut off
// at the rename, both names are as they were.
TEST_F(SaveFolderTest, RenameStepsAreCountedAndACutRenameChangesNothing) {
  ASSERT_TRUE(Write("a", "1"));
  int64_t before = SaveFolder_StepCount();
  ASSERT_TRUE(folder_.RenameFile("a", "b"));
  EXPECT_EQ(SaveFolder_StepCount() - before, 2);  // rename, fsync folder
  before = SaveFolder_StepCount();
  ASSERT_TRUE(folder_.RenameFile("b", "sub/a"));
  EXPECT_EQ(SaveFolder_StepCount() - before, 3);  // rename, fsync of both folders
  SaveFolder_FailFrom(SaveFolder_StepCount() + 1);
  FileProblem problem;
  EXPECT_FALSE(folder_.RenameFile("sub/a", "c", &problem));
  EXPECT_EQ(FileProblem_Text(problem), "the disk refused it: Input/output error");
  ASSERT_EQ(g_Failed.size(), 1u);
  EXPECT_EQ(g_Failed[0].kind, "rename");
  EXPECT_EQ(ReadWhole(path_ + "sub/a"), "1");
  EXPECT_FALSE(fs::exists(path_ + "c"));
}

}  // namespace
