// SPDX-License-Identifier: Zlib
// libFuzzer target over the decoding of secure map files. Each input is
// tried twice: as the part after the tag (Base64 of JSON: where the loader
// spends its effort) and as a whole file behind this machine's tag, so the
// tag check and the split at 80 bytes are covered too. Every map and list a
// case makes is destroyed before the next one.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "library/DsHandles.h"
#include "library/SecureMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string tag = SecureMap_ThisMachineTag();
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    SecureMap_DecodeBody(data, size);
    std::string file = tag + std::string(reinterpret_cast<const char*>(data), size);
    SecureMap_Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), tag);
  }
  DsHandles_DestroyAll();
  return 0;
}
