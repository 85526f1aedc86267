// SPDX-License-Identifier: Zlib
#include "LibraryTestSupport.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "BuiltinCall.h"
#include "library/DsHandles.h"
#include "library/Library.h"

void Library_EnsureRegistered() {
  static bool registered = false;
  if (!registered) {
    Library_RegisterBuiltins();
    registered = true;
  }
}

Cell Call(const char* name, std::vector<Cell> args) {
  Library_EnsureRegistered();
  Cell result;
  std::vector<DynValue*> pointers;
  for (Cell& c : args) pointers.push_back(&c.v);
  CallBuiltin(name, &result.v, pointers);
  return result;
}

CaughtCall CallCatching(const char* name, std::vector<Cell> args) {
  Error_State().lastMessage.clear();
  bool previous = Error_BeginCatch();
  Cell result = Call(name, std::move(args));
  bool raised = Error_EndCatch(previous);
  return CaughtCall{result, raised, Error_State().lastMessage};
}

int LiveMaps() {
  int n = 0;
  for (int i = 0; i < DsHandles_Maps().Used(); ++i) n += DsHandles_Maps().Get(i) != nullptr;
  return n;
}

int LiveLists() {
  int n = 0;
  for (int i = 0; i < DsHandles_Lists().Used(); ++i) n += DsHandles_Lists().Get(i) != nullptr;
  return n;
}

std::string ReadWholeFile(const std::string& path, bool* exists) {
  std::ifstream in(path, std::ios::binary);
  if (exists) *exists = static_cast<bool>(in);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
