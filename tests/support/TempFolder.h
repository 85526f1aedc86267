// SPDX-License-Identifier: Zlib
// Temporary folders for tests: a fresh folder under the system's temporary
// folder ($TMPDIR or /tmp).
#pragma once

#include <string>

// Makes a new empty folder named <prefix>-XXXXXX; its path without a trailing
// '/', or "" when none can be made.
std::string TempFolder_Make(const char* prefix);

// A fresh folder, removed with everything in it at the end.
class TempFolder {
 public:
  explicit TempFolder(const char* prefix = "mobtest");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }  // with a trailing '/'

 private:
  std::string path_;
};
