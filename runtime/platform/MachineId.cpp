#include "platform/MachineId.h"

#include <cstdio>

namespace {

// The id files hold 32 hexadecimal digits and a line feed; anything far
// longer is not an id file and is cut here.
constexpr size_t kMaxIdentifierBytes = 256;

const char* const kIdentifierFiles[] = {"/etc/machine-id", "/var/lib/dbus/machine-id"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string ReadTrimmed(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return std::string();
  char buffer[kMaxIdentifierBytes];
  size_t got = std::fread(buffer, 1, sizeof(buffer), file);
  std::fclose(file);
  size_t begin = 0;
  while (begin < got && IsSpace(buffer[begin])) ++begin;
  size_t end = got;
  while (end > begin && IsSpace(buffer[end - 1])) --end;
  return std::string(buffer + begin, end - begin);
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
