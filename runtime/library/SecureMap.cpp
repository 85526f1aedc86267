// SPDX-License-Identifier: Zlib
#include "library/SecureMap.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "code/CompiledCode.h"
#include "library/Base64.h"
#include "library/DsHandles.h"
#include "library/Files.h"
#include "library/MapJson.h"
#include "library/Sha1.h"
#include "platform/MachineId.h"
#include "platform/SaveFolder.h"
#include "value/ArgReaders.h"

namespace {

// The scrambling step of the tag. A three-digit code is made from the
// identifier's middle character and a fixed byte, and inserted into the
// identifier at a position taken from its first character; the first digest
// covers the altered identifier with its 0 byte, the second the code, the
// position and a fixed word. Changing any of these changes every tag, so every
// earlier file stops loading: they are fixed for good.
constexpr unsigned kScrambleByte = 0x6D;
constexpr unsigned kScrambleFactor = 37;
constexpr const char* kScrambleWord = "mobwright";

struct Scramble {
  unsigned code;
  size_t position;
};

Scramble ScrambleOf(const std::string& id) {
  Scramble s;
  unsigned pick = id.empty() ? 0u : static_cast<uint8_t>(id[id.size() / 2]);
  s.code = (pick * kScrambleFactor + kScrambleByte) % 1000;
  s.position = id.empty() ? 0 : static_cast<uint8_t>(id[0]) % (id.size() + 1);
  return s;
}

}  // namespace

std::string SecureMap_MachineTag(const std::string& identifier) {
  Scramble s = ScrambleOf(identifier);
  char code[8];
  std::snprintf(code, sizeof(code), "%03u", s.code);
  std::string altered = identifier.substr(0, s.position) + code + identifier.substr(s.position);
  Sha1Digest first = Sha1_Compute(altered.c_str(), altered.size() + 1);  // with its 0 byte
  char second[64];
  int n = std::snprintf(second, sizeof(second), "%s/%zu/%s", code, s.position, kScrambleWord);
  Sha1Digest other = Sha1_Compute(second, static_cast<size_t>(n));
  char tag[kSecureMapTagLength + 1];
  for (int i = 0; i < 5; ++i) std::snprintf(tag + 16 * i, 17, "%08x%08x", first.words[i], other.words[i]);
  return std::string(tag, kSecureMapTagLength);
}

// The tag takes two SHA-1 digests; a frame's load reads one file a part, so
// the tag of the last identifier is kept (tests may change the identifier).
std::string SecureMap_ThisMachineTag() {
  static std::mutex cacheMutex;
  static std::string cachedIdentifier, cachedTag;
  std::string identifier = Platform_MachineIdentifier();
  std::lock_guard<std::mutex> lock(cacheMutex);
  if (cachedTag.empty() || identifier != cachedIdentifier) {
    cachedTag = SecureMap_MachineTag(identifier);
    cachedIdentifier = identifier;
  }
  return cachedTag;
}

std::string SecureMap_Encode(int mapHandle, const std::string& tag) {
  std::string json = MapJson_Write(mapHandle);
  return tag + Base64_Encode(json.c_str(), json.size() + 1);  // the text and its 0 byte
}

int SecureMap_DecodeBody(const uint8_t* body, size_t size) {
  std::vector<uint8_t> json;
  if (!Base64_Decode(reinterpret_cast<const char*>(body), size, &json) || json.empty()) return -1;
  return MapJson_Read(reinterpret_cast<const char*>(json.data()), json.size());
}

int SecureMap_Decode(const uint8_t* bytes, size_t size, const std::string& tag) {
  if (size < kSecureMapTagLength || tag.size() != kSecureMapTagLength) return -1;
  if (std::memcmp(bytes, tag.data(), kSecureMapTagLength) != 0) return -1;
  return SecureMap_DecodeBody(bytes + kSecureMapTagLength, size - kSecureMapTagLength);
}

bool SecureMap_Save(int mapHandle, const char* filename) {
  std::string relative;
  if (!Files_PlaceInSaveArea(filename, &relative)) return false;
  std::string bytes;
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    bytes = SecureMap_Encode(mapHandle, SecureMap_ThisMachineTag());
  }
  FileProblem problem;
  bool saved = SaveFolder().WriteFileAtomic(relative, bytes.data(), bytes.size(), &problem);
  Files_SetLastProblem(problem);
  return saved;
}

int SecureMap_Load(const char* filename) {
  std::string relative;
  if (!Files_PlaceInSaveArea(filename, &relative)) return -1;
  std::vector<uint8_t> bytes;
  FileProblem problem;
  if (!SaveFolder().ReadFile(relative, &bytes, kSecureMapMaxFileBytes, &problem)) {
    Files_SetLastProblem(problem);
    return -1;
  }
  const std::string tag = SecureMap_ThisMachineTag();
  // A file too short for a tag is damaged; a whole tag that differs is
  // another machine's (or was damaged there, which cannot be told apart).
  if (bytes.size() >= kSecureMapTagLength && std::memcmp(bytes.data(), tag.data(), kSecureMapTagLength) != 0) {
    Files_SetLastError(kFilesErrorForeign);
    return -1;
  }
  std::lock_guard<std::mutex> lock(DsMutex());
  int map = SecureMap_Decode(bytes.data(), bytes.size(), tag);
  Files_SetLastError(map < 0 ? kFilesErrorDamaged : "");
  return map;
}

namespace {

void F_DsMapSecureSave(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  int map = ZuGetInt32(args, 0);
  const char* filename = ZuGetString(args, 1);
  if (filename)
    SecureMap_Save(map, filename);
  else
    Files_SetLastError(kFilesErrorNotAString);
  DynValue_SetReal(&result, 0);
}

void F_DsMapSecureLoad(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* filename = ZuGetString(args, 0);
  if (!filename) Files_SetLastError(kFilesErrorNotAString);
  DynValue_SetReal(&result, filename ? SecureMap_Load(filename) : -1);
}

}  // namespace

void SecureMap_RegisterBuiltins() {
  Function_Add("ds_map_secure_save", F_DsMapSecureSave, 2, true);
  Function_Add("ds_map_secure_load", F_DsMapSecureLoad, 1, true);
}
