// SPDX-License-Identifier: Zlib
// Files in the save area: where names are placed, working_directory,
// file_exists, file_delete, file_rename and file_last_error, what stands
// where a file should be, and escape attempts (.., absolute paths, symlinks)
// refused by both ways of opening files beneath the save area.
#include <filesystem>

#include "SaveAreaFixture.h"
#include "WithinDeadline.h"
#include "base/Console.h"
#include "library/SecureMap.h"

namespace {

TEST(FilePlacementTest, NamesInsideTheKnownFoldersAndNothingElse) {
  const std::string save = "/data/game/", cwd = "/home/u/run/", work = "/opt/app/";
  std::string rel;
  EXPECT_TRUE(Files_Place("/opt/app/frame1_data.dat", save, cwd, work, &rel));
  EXPECT_EQ(rel, "frame1_data.dat");
  EXPECT_TRUE(Files_Place("sub/x.dat", save, cwd, work, &rel));
  EXPECT_EQ(rel, "sub/x.dat");
  EXPECT_TRUE(Files_Place("/data/game/y", save, cwd, work, &rel));
  EXPECT_EQ(rel, "y");
  EXPECT_TRUE(Files_Place("/opt/app/a/../b/./c", save, cwd, work, &rel));
  EXPECT_EQ(rel, "b/c");
  EXPECT_FALSE(Files_Place("../x", save, cwd, work, &rel));
  EXPECT_FALSE(Files_Place("/opt/app/../x", save, cwd, work, &rel));
  EXPECT_FALSE(Files_Place("/etc/passwd", save, cwd, work, &rel));
  EXPECT_FALSE(Files_Place("/opt/application", save, cwd, work, &rel));  // a prefix of the text, not of the folder
  EXPECT_FALSE(Files_Place("/opt/app/", save, cwd, work, &rel));
  EXPECT_FALSE(Files_Place("", save, cwd, work, &rel));
  EXPECT_FALSE(Files_Place(nullptr, save, cwd, work, &rel));
}

TEST(FilePlacementTest, SaveAreaInsideTheCurrentDirectoryIsNotRedirectedTwice) {
  std::string rel;
  EXPECT_TRUE(Files_Place("/home/u/.local/share/game/x", "/home/u/.local/share/game/", "/home/u/", "/opt/", &rel));
  EXPECT_EQ(rel, "x");
}

// The same names land in the same place of the save area whatever folder the
// program was started from: names under working_directory at the root under
// their name relative to it, relative names under the name as written.
TEST(FilePlacementTest, NamesLandInTheSamePlaceFromEveryStartingFolder) {
  const std::string save = "/data/game/", work = "/repo/build/";
  const struct {
    const char* name;
    const char* relative;
  } names[] = {
      {"/repo/build/frame1_data.dat", "frame1_data.dat"},
      {"/repo/build/frames/f1.dat", "frames/f1.dat"},
      {"/repo/build/a/../f2.dat", "f2.dat"},
      {"frame1_data.dat", "frame1_data.dat"},
      {"sub/x.dat", "sub/x.dat"},
      {"/data/game/y.dat", "y.dat"},
  };
  // The repository (the program started as build/mobwright), the program's
  // own folder, a folder below it, a home folder, the root.
  for (const std::string cwd : {"/repo/", "/repo/build/", "/repo/build/sub/", "/home/u/", "/"}) {
    for (const auto& n : names) {
      std::string rel;
      EXPECT_TRUE(Files_Place(n.name, save, cwd, work, &rel)) << n.name << " from " << cwd;
      EXPECT_EQ(rel, n.relative) << n.name << " from " << cwd;
    }
  }
}

TEST(FilePlacementTest, OtherFolderTakesWhatTheFirstDoesNotHold) {
  const std::string save = "/data/game/", work = "/repo/build/";
  std::string rel;
  // An absolute name of the current directory outside working_directory.
  EXPECT_TRUE(Files_Place("/home/u/notes.dat", save, "/home/u/", work, &rel));
  EXPECT_EQ(rel, "notes.dat");
  // A relative name that climbs out of the current directory into working_directory.
  EXPECT_TRUE(Files_Place("../x.dat", save, "/repo/build/sub/", work, &rel));
  EXPECT_EQ(rel, "x.dat");
  // ... and one that climbs out of both.
  EXPECT_FALSE(Files_Place("../x.dat", save, "/repo/", work, &rel));
  EXPECT_FALSE(Files_Place("/repo/build/../x.dat", save, "/repo/build/", work, &rel));
  EXPECT_FALSE(Files_Place("/repo/x.dat", save, "/home/u/", work, &rel));
  // A save area inside working_directory keeps its own names.
  EXPECT_TRUE(Files_Place("/repo/build/save/x.dat", "/repo/build/save/", "/", work, &rel));
  EXPECT_EQ(rel, "x.dat");
}

TEST(FilePlacementTest, NormalisingNeverClimbsAboveTheRoot) {
  EXPECT_EQ(Platform_NormalisePath("/../../etc//x/./"), "/etc/x/");
  EXPECT_EQ(Platform_NormalisePath("/a/b/../../.."), "/");
}

TEST(SaveFolderPathTest, DataHomeElseHomeLocalShare) {
  const char* oldData = std::getenv("XDG_DATA_HOME");
  const char* oldHome = std::getenv("HOME");
  std::string keptData = oldData ? oldData : "", keptHome = oldHome ? oldHome : "";
  setenv("XDG_DATA_HOME", "/xdg/data", 1);
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(SaveFolder_DefaultPath("Mobwright Studio"), "/xdg/data/Mobwright Studio/");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(SaveFolder_DefaultPath("Mobwright Studio"), "/home/someone/.local/share/Mobwright Studio/");
  if (oldData) setenv("XDG_DATA_HOME", keptData.c_str(), 1);
  if (oldHome) setenv("HOME", keptHome.c_str(), 1);
}

// Every test of this fixture runs once with openat2 and once with the
// component-by-component fallback.
class FilesTest : public SaveAreaTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    SaveAreaTest::SetUp();
    previousFallback_ = SaveFolder_ForceFallback(GetParam());
    previousConsole_ = Console_SetDebug(&console_);
  }
  void TearDown() override {
    Console_SetDebug(previousConsole_);
    SaveFolder_ForceFallback(previousFallback_);
    SaveAreaTest::TearDown();
  }
  bool Exists(const std::string& name) { return Call("file_exists", {name}).Real() == 1; }
  // A secure file that loads on this machine, written outside the save area.
  std::string PlantOutside(const std::string& name) {
    std::string bytes;
    {
      std::lock_guard<std::mutex> lock(DsMutex());
      bytes = SecureMap_Encode(-1, SecureMap_ThisMachineTag());
    }
    WriteWholeFile(outside_ + name, bytes);
    return bytes;
  }
  int Load(const std::string& name) { return static_cast<int>(Call("ds_map_secure_load", {name}).Real()); }

  TErrStreamConsole console_;
  TConsole* previousConsole_ = nullptr;
  bool previousFallback_ = false;
};

TEST_P(FilesTest, WorkingDirectoryEndsInASeparatorAndLeadsIntoTheSaveArea) {
  EXPECT_EQ(WorkingDirectoryVariable(), work_);
  Call("ds_map_secure_save", {Call("ds_map_create"), WorkingDirectoryVariable() + "frame1_data.dat"});
  EXPECT_TRUE(std::filesystem::exists(save_ + "frame1_data.dat"));
  EXPECT_FALSE(std::filesystem::exists(work_ + "frame1_data.dat"));
  EXPECT_TRUE(Exists(WorkingDirectoryVariable() + "frame1_data.dat"));
  EXPECT_TRUE(Exists("frame1_data.dat"));  // relative to the current directory
  EXPECT_TRUE(Exists(save_ + "frame1_data.dat"));
  EXPECT_FALSE(Exists(work_ + "frame2_data.dat"));
}

// A file saved under working_directory while the program runs from the
// folder above it is the file found, loaded and deleted while it runs from
// working_directory itself, and the other way round: both are the same file
// at the save area's root.
TEST_P(FilesTest, SaveFilesAreTheSameFromEitherStartingFolder) {
  const std::string above = root_.Path();  // the folder that holds work_
  const std::string name = WorkingDirectoryVariable() + "frame1_data.dat";
  int map = static_cast<int>(Call("ds_map_create").Real());
  Call("ds_map_add", {map, "frame", 1});

  std::filesystem::current_path(above);
  Call("ds_map_secure_save", {map, name});
  EXPECT_TRUE(std::filesystem::exists(save_ + "frame1_data.dat"));
  EXPECT_FALSE(std::filesystem::exists(save_ + "work/frame1_data.dat"));

  std::filesystem::current_path(work_);
  EXPECT_TRUE(Exists(name));
  EXPECT_TRUE(Exists("frame1_data.dat"));
  int loaded = Load(name);
  ASSERT_GE(loaded, 0);
  EXPECT_EQ(Call("ds_map_find_value", {loaded, "frame"}).Real(), 1);
  Call("ds_map_replace", {map, "frame", 2});
  Call("ds_map_secure_save", {map, name});

  std::filesystem::current_path(above);
  int again = Load(name);
  ASSERT_GE(again, 0);
  EXPECT_EQ(Call("ds_map_find_value", {again, "frame"}).Real(), 2);
  EXPECT_EQ(Call("file_delete", {name}).Real(), 1);
  std::filesystem::current_path(work_);
  EXPECT_FALSE(Exists(name));
  EXPECT_FALSE(std::filesystem::exists(save_ + "frame1_data.dat"));
  // Nothing was ever written outside the save area.
  EXPECT_FALSE(std::filesystem::exists(work_ + "frame1_data.dat"));
  EXPECT_FALSE(std::filesystem::exists(above + "frame1_data.dat"));
}

TEST_P(FilesTest, DefaultWorkingDirectoryIsTheProgramFolder) {
  Files_SetWorkingDirectory(Platform_ProgramFolder().c_str());
  std::string folder = WorkingDirectoryVariable();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(folder, self.parent_path().string() + "/");
  // The program's own folder is not looked in: the test program lies there.
  EXPECT_FALSE(Exists(folder + self.filename().string()));
  EXPECT_EQ(Call("file_last_error").Text(), "no such file");
}

// file_exists finds files of the save area only: an index and a half-done
// save's marker lying beside the program (as the editor's own files do in its
// build folder) are not the user's save. They are put in a folder of this
// process's own below the program's folder.
TEST_P(FilesTest, FilesBesideTheProgramAreNotFound) {
  const std::string program = Platform_ProgramFolder();
  Files_SetWorkingDirectory(program.c_str());
  const std::string own = "files_test_" + std::to_string(getpid()) + "/";
  for (const std::string& name : {own + "frame1_data.dat", own + "copies/save_under_way"}) {
    std::filesystem::create_directories(std::filesystem::path(program + name).parent_path());
    WriteWholeFile(program + name, PlantOutside("planted"));
    EXPECT_FALSE(Exists(program + name)) << name;
    EXPECT_EQ(Load(program + name), -1) << name;
    EXPECT_EQ(Call("file_write_text", {program + name, "saved"}).Real(), 1) << name;
    EXPECT_TRUE(Exists(program + name)) << name;
    EXPECT_EQ(ReadWholeFile(save_ + name), "saved");
  }
  std::filesystem::remove_all(program + own);
}

TEST_P(FilesTest, DeleteRemovesOnlyFilesOfTheSaveArea) {
  Call("ds_map_secure_save", {Call("ds_map_create"), work_ + "gone.dat"});
  EXPECT_EQ(Call("file_delete", {work_ + "gone.dat"}).Real(), 1);
  EXPECT_FALSE(std::filesystem::exists(save_ + "gone.dat"));
  EXPECT_TRUE(Call("file_delete", {work_ + "gone.dat"}).IsUndefined());  // missing: nothing done
  PlantOutside("keep.dat");
  EXPECT_TRUE(Call("file_delete", {outside_ + "keep.dat"}).IsUndefined());
  EXPECT_TRUE(std::filesystem::exists(outside_ + "keep.dat"));
}

TEST_P(FilesTest, ParentFolderNamesAreRefusedWithTheMessage) {
  const std::string escape = work_ + "../outside/x.dat";
  PlantOutside("x.dat");
  EXPECT_EQ(Load(escape), -1);
  EXPECT_FALSE(Exists(escape));
  EXPECT_FALSE(Exists("../outside/x.dat"));
  Call("ds_map_secure_save", {Call("ds_map_create"), "../outside/new.dat"});
  EXPECT_FALSE(std::filesystem::exists(outside_ + "new.dat"));
  EXPECT_NE(console_.Text().find("Error! not allowing save with filename '../outside/new.dat'\n"), std::string::npos)
      << console_.Text();
}

TEST_P(FilesTest, AbsolutePathsOutsideAreRefused) {
  PlantOutside("abs.dat");
  EXPECT_EQ(Load(outside_ + "abs.dat"), -1);
  EXPECT_FALSE(Exists(outside_ + "abs.dat"));
  std::string before = ReadWholeFile(outside_ + "abs.dat");
  Call("ds_map_secure_save", {Call("ds_map_create"), outside_ + "abs.dat"});
  EXPECT_EQ(ReadWholeFile(outside_ + "abs.dat"), before);
}

TEST_P(FilesTest, SymlinksThatLeadOutAreNotFollowed) {
  PlantOutside("secret.dat");
  std::filesystem::create_directories(save_);
  std::filesystem::create_symlink(outside_ + "secret.dat", save_ + "absolute.dat");
  std::filesystem::create_symlink("../outside/secret.dat", save_ + "relative.dat");
  std::filesystem::create_directory_symlink(outside_, save_ + "folder");
  std::filesystem::copy_file(outside_ + "secret.dat", save_ + "inside.dat");
  // The same bytes inside the save area load: the links fail for leading out.
  EXPECT_GE(Load(work_ + "inside.dat"), 0);
  for (const char* name : {"absolute.dat", "relative.dat", "folder/secret.dat"}) {
    EXPECT_EQ(Load(work_ + name), -1) << name;
    EXPECT_FALSE(Exists(work_ + name)) << name;
  }
  // Saving over a link replaces the link; the file it pointed to is untouched.
  std::string before = ReadWholeFile(outside_ + "secret.dat");
  int map = static_cast<int>(Call("ds_map_create").Real());
  Call("ds_map_add", {map, "Color", 1});
  Call("ds_map_secure_save", {map, work_ + "absolute.dat"});
  Call("ds_map_secure_save", {map, work_ + "folder/new.dat"});
  EXPECT_EQ(ReadWholeFile(outside_ + "secret.dat"), before);
  EXPECT_FALSE(std::filesystem::is_symlink(save_ + "absolute.dat"));
  EXPECT_FALSE(std::filesystem::exists(outside_ + "new.dat"));
  EXPECT_EQ(Call("file_delete", {work_ + "folder/secret.dat"}).IsUndefined(), true);
  EXPECT_TRUE(std::filesystem::exists(outside_ + "secret.dat"));
}

// file_write_text: the text's bytes as they are, the file replaced whole;
// file_copy: the same bytes under another name, missing folders made. Both
// keep to the save area and give 0 for what they cannot do.
TEST_P(FilesTest, WriteTextAndCopyStayInTheSaveArea) {
  const std::string text = "switch floor(frame) { \n\tcase 0:\n}\n";
  EXPECT_EQ(Call("file_write_text", {work_ + "export.ksl", "first, longer text"}).Real(), 1);
  EXPECT_EQ(Call("file_write_text", {work_ + "export.ksl", text}).Real(), 1);
  EXPECT_EQ(ReadWholeFile(save_ + "export.ksl"), text);
  EXPECT_EQ(Call("file_write_text", {work_ + "empty.txt", ""}).Real(), 1);
  EXPECT_EQ(ReadWholeFile(save_ + "empty.txt"), "");

  EXPECT_EQ(Call("file_copy", {work_ + "export.ksl", work_ + "copies/a/export.ksl"}).Real(), 1);
  EXPECT_EQ(ReadWholeFile(save_ + "copies/a/export.ksl"), text);
  EXPECT_EQ(Call("file_copy", {work_ + "missing", work_ + "copies/a/export.ksl"}).Real(), 0);
  EXPECT_EQ(ReadWholeFile(save_ + "copies/a/export.ksl"), text);

  PlantOutside("out.dat");
  const std::string outsideBefore = ReadWholeFile(outside_ + "out.dat");
  EXPECT_EQ(Call("file_copy", {outside_ + "out.dat", work_ + "in.dat"}).Real(), 0);
  EXPECT_FALSE(std::filesystem::exists(save_ + "in.dat"));
  EXPECT_EQ(Call("file_copy", {work_ + "export.ksl", outside_ + "out.dat"}).Real(), 0);
  EXPECT_EQ(Call("file_write_text", {outside_ + "out.dat", "x"}).Real(), 0);
  EXPECT_EQ(Call("file_write_text", {"../outside/out.dat", "x"}).Real(), 0);
  EXPECT_EQ(ReadWholeFile(outside_ + "out.dat"), outsideBefore);
}

// A write or copy that fails part-way (the save folder's failure seam) gives
// 0 and leaves the earlier file as it was.
TEST_P(FilesTest, FailedWriteAndCopyKeepTheEarlierFile) {
  ASSERT_EQ(Call("file_write_text", {work_ + "export.ksl", "old"}).Real(), 1);
  ASSERT_EQ(Call("file_write_text", {work_ + "other", "other"}).Real(), 1);
  for (int step = 1; step <= 4; ++step) {  // create, write, fsync, rename
    SaveFolder_FailFrom(SaveFolder_StepCount() + step);
    EXPECT_EQ(Call("file_write_text", {work_ + "export.ksl", "new"}).Real(), 0) << step;
    SaveFolder_FailFrom(SaveFolder_StepCount() + step);
    EXPECT_EQ(Call("file_copy", {work_ + "other", work_ + "export.ksl"}).Real(), 0) << step;
    SaveFolder_FailFrom(0);
    EXPECT_EQ(ReadWholeFile(save_ + "export.ksl"), "old") << step;
  }
}

TEST_P(FilesTest, NothingIsPlacedWhileNoSaveAreaIsOpen) {
  SaveFolder().Close();
  EXPECT_EQ(Load(work_ + "x.dat"), -1);
  EXPECT_FALSE(Exists(work_ + "x.dat"));
  EXPECT_NE(console_.Text().find("Error! not allowing save"), std::string::npos);
  EXPECT_EQ(Call("file_last_error").Text(), "no save folder");
}

// file_rename moves a file or a folder within the save area: over an older
// file, into folders it makes, a folder standing where a file should be set
// aside; never from or to a place outside.
TEST_P(FilesTest, RenameMovesFilesAndFoldersWithinTheSaveArea) {
  ASSERT_EQ(Call("file_write_text", {work_ + "new", "new"}).Real(), 1);
  ASSERT_EQ(Call("file_write_text", {work_ + "copies/old", "old"}).Real(), 1);
  EXPECT_EQ(Call("file_rename", {work_ + "new", work_ + "copies/old"}).Real(), 1);
  EXPECT_EQ(ReadWholeFile(save_ + "copies/old"), "new");
  EXPECT_FALSE(Exists(work_ + "new"));
  EXPECT_EQ(Call("file_rename", {"copies/old", "a/b/c"}).Real(), 1);
  EXPECT_EQ(ReadWholeFile(save_ + "a/b/c"), "new");

  std::filesystem::create_directories(save_ + "frame1_data.dat/inside");
  EXPECT_EQ(Call("file_rename", {work_ + "frame1_data.dat", work_ + "copies/damaged"}).Real(), 1);
  EXPECT_TRUE(std::filesystem::is_directory(save_ + "copies/damaged/inside"));
  EXPECT_FALSE(std::filesystem::exists(save_ + "frame1_data.dat"));

  PlantOutside("keep.dat");
  const struct {
    std::string from, to;
  } refused[] = {{outside_ + "keep.dat", work_ + "in.dat"}, {work_ + "a/b/c", outside_ + "out.dat"},
                 {"../outside/keep.dat", "in.dat"}, {work_ + "missing", work_ + "x"}};
  for (const auto& r : refused) EXPECT_EQ(Call("file_rename", {r.from, r.to}).Real(), 0) << r.from << " " << r.to;
  EXPECT_TRUE(std::filesystem::exists(outside_ + "keep.dat"));
  EXPECT_FALSE(std::filesystem::exists(outside_ + "out.dat"));
  EXPECT_FALSE(std::filesystem::exists(save_ + "in.dat"));
  EXPECT_EQ(ReadWholeFile(save_ + "a/b/c"), "new");
}

// file_last_error names the cause of the last file built-in's failure and is
// emptied by the next success.
TEST_P(FilesTest, LastErrorSaysWhyTheLastFileBuiltinFailed) {
  Call("ds_map_secure_save", {Call("ds_map_create"), work_ + "good.dat"});
  std::string foreign;
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    foreign = SecureMap_Encode(-1, SecureMap_MachineTag("another machine"));
  }
  WriteWholeFile(save_ + "foreign.dat", foreign);
  WriteWholeFile(save_ + "damaged.dat", SecureMap_ThisMachineTag() + "@@@@");
  WriteWholeFile(save_ + "short.dat", "eyB9AA==");
  std::filesystem::create_directories(save_ + "folder");
  ASSERT_TRUE(NotAFile_Make(NotAFile::kOversized, save_ + "big", kFilesMaxCopyBytes));
  const int map = static_cast<int>(Call("ds_map_create").Real());
  const struct {
    const char* call;
    std::vector<Cell> args;
    const char* error;
  } cases[] = {
      {"file_exists", {work_ + "missing"}, "no such file"},
      {"file_exists", {work_ + "good.dat"}, ""},
      {"file_exists", {work_ + "folder"}, "not a regular file"},
      {"file_exists", {outside_ + "x"}, "outside the save folder"},
      {"ds_map_secure_load", {work_ + "foreign.dat"}, "not a save file of this machine"},
      {"ds_map_secure_load", {work_ + "good.dat"}, ""},
      {"ds_map_secure_load", {work_ + "damaged.dat"}, "damaged"},
      {"ds_map_secure_load", {work_ + "short.dat"}, "damaged"},
      {"ds_map_secure_load", {work_ + "big"}, "larger than 67108864 bytes"},
      {"file_copy", {work_ + "big", work_ + "copy"}, "larger than 67108864 bytes"},
      {"file_copy", {work_ + "good.dat", work_ + "copy"}, ""},
      {"file_copy", {work_ + "good.dat", work_ + "folder"}, "not a regular file"},
      {"file_delete", {work_ + "missing"}, "no such file"},
      {"file_delete", {work_ + "copy"}, ""},
      {"file_write_text", {work_ + "folder", "text"}, "not a regular file"},
      {"file_write_text", {"../outside/x", "text"}, "outside the save folder"},
      {"file_rename", {work_ + "missing", work_ + "x"}, "no such file"},
      {"ds_map_secure_save", {map, work_ + "folder"}, "not a regular file"},
      {"ds_map_secure_save", {map, work_ + "saved.dat"}, ""},
  };
  for (const auto& c : cases) {
    Call(c.call, c.args);
    EXPECT_EQ(Call("file_last_error").Text(), c.error) << c.call << "(" << c.args[0].Text() << ")";
  }
  // A disk that refuses a step of the write.
  SaveFolder_FailFrom(SaveFolder_StepCount() + 2);
  EXPECT_EQ(Call("file_write_text", {work_ + "x", "text"}).Real(), 0);
  SaveFolder_FailFrom(0);
  EXPECT_EQ(Call("file_last_error").Text(), "the disk refused it: Input/output error");
}

// A pipe, a device, a folder or a file past the limit in place of a save
// file: loading, copying and asking for it give up at once, and say why.
TEST_P(FilesTest, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  for (NotAFile kind : kEveryNotAFile) {
    const std::string name = std::string(NotAFile_Name(kind)) + ".dat";
    ASSERT_TRUE(NotAFile_Make(kind, save_ + name, kSecureMapMaxFileBytes)) << name;
    std::optional<std::string> outcome = RunWithinDeadline([&] {
      // Each call, then its error: one statement each, in this order.
      std::string text = std::to_string(Load(work_ + name));
      text += " " + Call("file_last_error").Text();
      text += " / " + std::to_string(static_cast<int>(Call("file_copy", {work_ + name, work_ + "c"}).Real()));
      text += " " + Call("file_last_error").Text();
      return text + " / " + std::to_string(static_cast<int>(Call("file_exists", {work_ + name}).Real()));
    });
    ASSERT_TRUE(outcome.has_value()) << name << ": blocked or crashed";
    // The link to /dev/zero leads out of the save area (the kernel's check),
    // or is a link that the fallback walk does not follow.
    std::string reason = kind == NotAFile::kOversized ? "larger than 67108864 bytes"
                         : kind != NotAFile::kDevice  ? "not a regular file"
                         : GetParam()                 ? "a symbolic link, not followed"
                                                      : "outside the save folder";
    std::string exists = kind == NotAFile::kOversized ? "1" : "0";
    EXPECT_EQ(*outcome, "-1 " + reason + " / 0 " + reason + " / " + exists) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(OpenBeneath, FilesTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Fallback" : "Openat2"; });

}  // namespace
