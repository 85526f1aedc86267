// SPDX-License-Identifier: Zlib
// Helpers for the library tests: cells that release themselves, calls of
// registered built-ins by name (so registration is exercised too), error
// catching and a temporary save area.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Error.h"
#include "code/CompiledCode.h"
#include "value/DynValue.h"
#include "TempFolder.h"

// A cell owned by the test.
struct Cell {
  DynValue v;
  Cell() : v(DynValue_MakeUndefined()) {}
  Cell(double d) : v(DynValue_MakeReal(d)) {}  // NOLINT: numbers read naturally in calls
  Cell(int d) : v(DynValue_MakeReal(d)) {}     // NOLINT
  Cell(const char* text) : v(DynValue_MakeUndefined()) { DynValue_SetString(&v, text); }  // NOLINT
  Cell(const std::string& text) : Cell(text.c_str()) {}                                    // NOLINT
  explicit Cell(const DynValue& raw) : v(DynValue_MakeUndefined()) { DynValue_Assign(&v, &raw); }
  Cell(const Cell& other) : v(DynValue_MakeUndefined()) { DynValue_Assign(&v, &other.v); }
  Cell& operator=(const Cell& other) {
    DynValue_Assign(&v, &other.v);
    return *this;
  }
  ~Cell() { DynValue_Free(&v); }

  uint32_t Kind() const { return v.Kind(); }
  bool IsUndefined() const { return v.Kind() == KIND_UNDEFINED; }
  double Real() const { return v.real; }
  std::string Text() const {
    const char* chars = DynValue_Chars(&v);
    return chars ? chars : "";
  }
};

// Registers the library once per test program.
void Library_EnsureRegistered();

// Calls the built-in of that name; fails the test when it is not registered.
Cell Call(const char* name, std::vector<Cell> args = {});

// Runs a call while errors are caught; tells whether one was raised and keeps
// its message.
struct CaughtCall {
  Cell result;
  bool raised;
  std::string message;
};
CaughtCall CallCatching(const char* name, std::vector<Cell> args = {});

// Number of live maps and lists (slots that hold a structure).
int LiveMaps();
int LiveLists();


std::string ReadWholeFile(const std::string& path, bool* exists = nullptr);
void WriteWholeFile(const std::string& path, const std::string& bytes);
