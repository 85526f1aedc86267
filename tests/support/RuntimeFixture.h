// SPDX-License-Identifier: Zlib
// A fixture that gives each test an empty runtime: no objects, no instances,
// no compiled code, errors caught instead of ending the process, and the
// debug and release consoles collected in memory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/Console.h"
#include "code/ErrorContext.h"
#include "code/CompiledCode.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"
#include "run/Builtins.h"
#include "value/TextBuffer.h"

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Builtins_RegisterAll();
    Error_InstallContext();  // as loading compiled code does
    Console_SetDebug(&debugLog);
    Console_SetRelease(&releaseLog);
    previousCatch = Error_BeginCatch();
    g_NoInstanceFlag = false;
    g_CallFrameHead = nullptr;
    Instance_State().lastId = 100052;
  }

  void TearDown() override {
    Error_EndCatch(previousCatch);
    Instance_DestroyAllNoEvents();
    Object_ClearAll();
    Code_Reset();
    Console_SetDebug(nullptr);
    Console_SetRelease(nullptr);
    math_set_epsilon(1e-10);
  }

  // Whether an error was reported since the last call, and its message.
  bool TakeError(std::string* message = nullptr) {
    bool caught = Error_State().caught;
    if (message) *message = Error_State().lastMessage;
    Error_State().caught = false;
    return caught;
  }

  static CObjectType* AddObject(int index, const char* name, int parent = -100) {
    auto* object = new CObjectType;
    object->index = index;
    object->name = name;
    object->parentIndex = parent;
    object->flags = OBJECT_FLAG_VISIBLE;
    Object_Add(object);
    Object_LinkParents();
    return object;
  }

  TErrStreamConsole debugLog;
  TErrStreamConsole releaseLog;
  bool previousCatch = false;

 public:
  static std::string Text(const DynValue& v) {
    TextBuffer buffer;
    DynValue_ToText(&buffer, &v);
    return buffer.Text();
  }
};

// A cell that releases itself, for tests.
struct Cell {
  DynValue v = DynValue_MakeUndefined();
  Cell() = default;
  explicit Cell(double d) : v(DynValue_MakeReal(d)) {}
  explicit Cell(int i) : v(DynValue_MakeReal(i)) {}
  explicit Cell(const char* s) { DynValue_InitString(&v, s); }
  ~Cell() { DynValue_Release(&v); }
  Cell(const Cell&) = delete;
  Cell& operator=(const Cell&) = delete;
};
