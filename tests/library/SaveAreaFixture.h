// SPDX-License-Identifier: Zlib
// A save area, a working directory and a folder outside both, all in a fresh
// temporary folder; the process's current directory is the working directory
// while a test runs.
#pragma once

#include <unistd.h>

#include <filesystem>

#include "LibraryTestSupport.h"
#include "library/DsHandles.h"
#include "library/Files.h"
#include "platform/SaveFolder.h"

class SaveAreaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library_EnsureRegistered();
    DsHandles_DestroyAll();
    save_ = root_.Path() + "save/";
    work_ = root_.Path() + "work/";
    outside_ = root_.Path() + "outside/";
    std::filesystem::create_directories(work_);
    std::filesystem::create_directories(outside_);
    ASSERT_TRUE(SaveFolder_OpenPath(save_.c_str()));
    Files_SetWorkingDirectory(work_.c_str());
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(work_);
  }
  void TearDown() override {
    std::filesystem::current_path(previousDirectory_);
    SaveFolder().Close();
    Files_SetWorkingDirectory(Platform_ProgramFolder().c_str());
    DsHandles_DestroyAll();
  }

  // working_directory as event code reads it.
  std::string WorkingDirectoryVariable() {
    for (int id = 0; id < Variable_BuiltinCount(); ++id) {
      const BuiltinVariable* v = Variable_Builtin(id);
      if (std::string(v->name) == "working_directory") {
        Cell value;
        v->getter(nullptr, ARRAY_INDEX_NONE, &value.v);
        return value.Text();
      }
    }
    ADD_FAILURE() << "working_directory is not registered";
    return std::string();
  }

  TempFolder root_;
  std::string save_, work_, outside_;
  std::filesystem::path previousDirectory_;
};
