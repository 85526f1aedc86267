// SPDX-License-Identifier: Zlib
// Each loader test starts from nothing loaded and collects the debug log.
#pragma once

#include <gtest/gtest.h>

#include "SmallGame.h"
#include "base/Console.h"
#include "data/GameData.h"
#include "object/Object.h"

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GameData_Clear();
    Console_SetDebug(&log);
  }
  void TearDown() override {
    GameData_Clear();
    Console_SetDebug(nullptr);
  }
  bool Load(const std::vector<uint8_t>& file) {
    error.clear();
    return GameData_Load(file.data(), file.size(), &error);
  }
  // Loads a file that the fixture keeps alive as long as the records.
  bool LoadKept(std::vector<uint8_t> file) {
    kept = std::move(file);
    return Load(kept);
  }
  const std::string& Log() const { return log.Text(); }

  TErrStreamConsole log;
  std::vector<uint8_t> kept;
  std::string error;
};

inline void PutU32(std::vector<uint8_t>& file, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
