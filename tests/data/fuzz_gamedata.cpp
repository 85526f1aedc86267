// SPDX-License-Identifier: Zlib
// libFuzzer target over the game data loader: the header pre-scan and the
// chunk loop with every chunk reader and the PNG pages. Each input is tried
// as given and once more with the container header made consistent, so the
// fuzzer spends its time inside the chunks rather than on the FORM check.
#include <cstring>
#include <string>
#include <vector>

#include "base/Console.h"
#include "data/GameData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DummyConsole quiet;
  Console_SetDebug(&quiet);
  std::string error;
  GameHeader header;
  GameOptions options;
  GameData_ReadHeader(data, size, &header, &options, &error);
  GameData_Load(data, size, &error);
  GameData_Clear();
  if (size >= 8) {
    std::vector<uint8_t> fixed(data, data + size);
    std::memcpy(fixed.data(), "FORM", 4);
    uint32_t body = static_cast<uint32_t>(size - 8);
    std::memcpy(fixed.data() + 4, &body, 4);
    GameData_Load(fixed.data(), fixed.size(), &error);
    GameData_Clear();
  }
  return 0;
}
