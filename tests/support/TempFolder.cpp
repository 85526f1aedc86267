// SPDX-License-Identifier: Zlib
#include "TempFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <vector>

std::string TempFolder_Make(const char* prefix) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const char* made = mkdtemp(buffer.data());
  return made ? std::string(made) : std::string();
}

TempFolder::TempFolder(const char* prefix) {
  // Without a folder the path names none, and the test's first write fails.
  std::string made = TempFolder_Make(prefix);
  path_ = (made.empty() ? std::string("/nonexistent") : made) + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
