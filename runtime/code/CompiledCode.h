// SPDX-License-Identifier: Zlib
// The compiled-code interface: the contract between the runtime and the event
// code, scripts and room creation codes that are compiled ahead of time into
// the same executable. The compiled side describes itself with one
// CompiledCodeInfo; the runtime resolves the names of its tables to ids once
// at load; compiled code then reaches variables, built-in functions and other
// instances only through the operations declared here.
#pragma once

#include <cstdint>

#include "value/DynValue.h"

class CInstance;

// Signatures of compiled functions.
using CompiledEventFn = void (*)(CInstance* self, CInstance* other);
using CompiledScriptFn = DynValue* (*)(CInstance* self, CInstance* other, DynValue* result, int argc, DynValue** args);
// Any compiled function, as stored in the function table.
using CompiledAnyFn = void (*)();

struct CompiledFunctionEntry {
  const char* name;  // "ksl_Script_<name>", "ksl_Object_<object>_<Event>_0", "ksl_RoomCC_<room>_<n>_Create"
  CompiledAnyFn function;
};

struct CompiledVariableRef {
  const char* name;
  int32_t id;  // user variables: preset to their slot; built-in variables: preset to -1
};

struct CompiledFunctionRef {
  const char* name;
  int32_t id;  // preset 0; resolved at load, -1 when the name names nothing
};

// Lives in the compiled function's own stack frame; the chain is what error
// reports print.
struct CallFrame {
  CallFrame* previous;
  const char* functionName;
  int32_t line;  // negative: no line known
};

struct CompiledCodeInfo {
  const uint8_t* gameData;  // embedded game data; null: load it from a file
  uint32_t gameDataSize;
  int32_t globalVariableCount;
  int32_t instanceVariableCount;
  int32_t functionCount;
  CompiledVariableRef** variableTable;   // null-terminated
  CompiledFunctionRef** functionIdTable;  // null-terminated
  CompiledFunctionEntry* functionTable;   // functionCount entries, by code index
  CallFrame** frameHead;                  // the cell holding the newest CallFrame
};

// What the compiled side exports for the runner to ask.
using CompiledCodeProvider = void (*)(CompiledCodeInfo* info);

// ---- Ids ----
constexpr int32_t BUILTIN_VARIABLE_LIMIT = 10000;  // ids below are built-in variables
constexpr int32_t USER_ID_BASE = 100000;           // user variables, scripts and instances
constexpr int32_t SCRIPT_EXECUTE_ID = 499999;
constexpr int32_t EXTENSION_ID_BASE = 500000;

// Instance targets.
constexpr int32_t TARGET_SELF = -1;
constexpr int32_t TARGET_OTHER = -2;
constexpr int32_t TARGET_ALL = -3;
constexpr int32_t TARGET_NOONE = -4;
constexpr int32_t TARGET_GLOBAL = -5;
constexpr int32_t TARGET_SELF_ALT = -6;
constexpr int32_t TARGET_LOCAL = -7;

// ---- Built-in variables ----
using BuiltinGetter = bool (*)(CInstance* self, int32_t arrayIndex, DynValue* result);
using BuiltinSetter = bool (*)(CInstance* self, int32_t arrayIndex, const DynValue* value);

struct BuiltinVariable {
  const char* name;
  BuiltinGetter getter;
  BuiltinSetter setter;  // may be null
  bool canSet;
};
// At most this many built-in variables exist: ids below BUILTIN_VARIABLE_LIMIT
// leave room, and the table is fixed so that ids never move.
constexpr int BUILTIN_VARIABLE_MAX = 500;

// Registers a built-in variable; its id is its index. Returns the id, or -1
// when the table is full.
int Variable_Register(const char* name, BuiltinGetter getter, BuiltinSetter setter);
int Variable_BuiltinCount();
const BuiltinVariable* Variable_Builtin(int id);
// Built-in variable index, else user variable id (100000 + index among the
// registered names), else -1.
int Variable_Find(const char* name);

// ---- Built-in functions ----
using BuiltinRoutine = void (*)(DynValue& result, CInstance* self, CInstance* other, int argc, DynValue* args);

struct BuiltinFunction {
  char name[64];
  BuiltinRoutine routine;
  int32_t argumentCount;  // -1: any number
  uint8_t flag;
  int32_t reserved;  // -1 at registration
};
// The function table grows by this many records whenever it is full.
constexpr int BUILTIN_FUNCTION_GROWTH = 500;

int Function_Add(const char* name, BuiltinRoutine routine, int argumentCount, bool flag);
int Function_BuiltinCount();
const BuiltinFunction* Function_Builtin(int id);
// Script (100000 + index), extension function (500000 + index), built-in
// (its index); -1 for a null or empty name or no match.
int Function_Find(const char* name);
// The built-in being executed (named by argument-reader messages), or null.
const BuiltinFunction* Function_Current();
const char* Function_CurrentName();

// Calls a built-in or a script by id. args are pointers to the argument cells.
void Function_CallById(CInstance* self, CInstance* other, DynValue* result, int argc, int id, DynValue** args);

// ---- Scripts: script index -> compiled function ----
void Script_Register(int scriptIndex, const char* name, int codeIndex);
void Script_Clear();
int Script_Count();
const char* Script_Name(int scriptIndex);

// ---- Loading and resolution ----
// Steps 1 to 4 of resolution: take the descriptor, register the user variable
// names, resolve built-in variable records, make the global object.
void Code_Load(const CompiledCodeInfo& info);
// Step 5 and 6, after all chunks are processed: resolve every variable and
// function-id record.
void Code_ResolveNames();
// The function of a code index, or null when out of range.
CompiledAnyFn Code_Function(int codeIndex);
const char* Code_FunctionName(int codeIndex);
int Code_FunctionCount();
// Forgets the descriptor and the user variable names (tests; a process loads once).
void Code_Reset();

// The cell that holds the newest CallFrame. Compiled code generated by kslc
// keeps its own cell and names it in the descriptor; before Code_Load, and for
// hand-written compiled functions, the runtime's own cell is used.
CallFrame** Code_FrameHeadCell();
extern CallFrame* g_CallFrameHead;

// Set when a read through another instance found none.
extern bool g_NoInstanceFlag;

// ---- Variables ----
bool Variable_GetValue(CInstance* self, int id, int32_t arrayIndex, DynValue* result);
bool Variable_SetValue(CInstance* self, int id, int32_t arrayIndex, const DynValue* value);
bool Variable_GetValueOther(int target, int id, int32_t arrayIndex, DynValue* result);
void Variable_SetValueOther(int target, int id, int32_t arrayIndex, const DynValue* value);
bool Variable_GetSlotOther(int target, int slot, int32_t arrayIndex, DynValue* result);
void Variable_SetSlotOther(int target, int slot, int32_t arrayIndex, const DynValue* value);

// ---- with ----
struct WithIterator {
  CInstance* savedSelf;
  CInstance* savedOther;
  CInstance** instances;  // allocated; consumed from its end
  CInstance** cursor;
};
int With_Begin(WithIterator* iterator, CInstance** self, CInstance** other, int target);
bool With_Next(WithIterator* iterator, CInstance** self);
void With_End(WithIterator* iterator, CInstance** self, CInstance** other);

// ---- Process exit ----
// Registers a function to run at process exit; 0, or -1 when it failed.
int Runtime_AtExit(void (*function)());
