// SPDX-License-Identifier: Zlib
#include "platform/MachineId.h"

#include "platform/RegularFile.h"

namespace {

// The id files hold 32 hexadecimal digits and a line feed; anything far
// longer is not an id file and is not read.
constexpr size_t kMaxIdentifierBytes = 256;

const char* const kIdentifierFiles[] = {"/etc/machine-id", "/var/lib/dbus/machine-id"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The file's text without the whitespace around it; "" when it is missing,
// not a regular file or too long.
std::string ReadTrimmed(const char* path) {
  std::string text;
  if (!Platform_ReadRegularFile(path, kMaxIdentifierBytes, &text, nullptr)) return std::string();
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;
  size_t end = text.size();
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string Platform_ReadMachineIdentifier(const char* const* paths, int count) {
  for (int i = 0; i < count; ++i) {
    std::string id = ReadTrimmed(paths[i]);
    if (!id.empty()) return id;
  }
  return "NOT SUPPORTED";
}

const std::string& Platform_MachineIdentifier() {
  static const std::string identifier =
      Platform_ReadMachineIdentifier(kIdentifierFiles, static_cast<int>(sizeof(kIdentifierFiles) / sizeof(kIdentifierFiles[0])));
  return identifier;
}
