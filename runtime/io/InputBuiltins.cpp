// SPDX-License-Identifier: Zlib
// The input built-ins and built-in variables: thin readers over the live
// input state (io/Input.cpp holds the rules).
#include "code/CompiledCode.h"
#include "io/Input.h"
#include "value/ArgReaders.h"

namespace {

void ReturnFlag(DynValue& result, bool flag) { DynValue_SetReal(&result, flag ? 1.0 : 0.0); }

void F_KeyboardCheck(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ReturnFlag(result, Input_KeyboardCheck(ZuGetInt32(args, 0)));
}
void F_KeyboardCheckPressed(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ReturnFlag(result, Input_KeyboardCheckPressed(ZuGetInt32(args, 0)));
}
void F_KeyboardCheckReleased(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ReturnFlag(result, Input_KeyboardCheckReleased(ZuGetInt32(args, 0)));
}
void F_MouseCheckButton(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ReturnFlag(result, Input_MouseCheckButton(ZuGetInt32(args, 0)));
}
void F_MouseCheckButtonPressed(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ReturnFlag(result, Input_MouseCheckButtonPressed(ZuGetInt32(args, 0)));
}
void F_MouseCheckButtonReleased(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ReturnFlag(result, Input_MouseCheckButtonReleased(ZuGetInt32(args, 0)));
}
void F_MouseClear(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  Input_MouseClear(ZuGetInt32(args, 0));
  DynValue_SetReal(&result, 0);
}
void F_MouseWheelUp(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  ReturnFlag(result, Input_State().live.wheelUp != 0);
}
void F_MouseWheelDown(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  ReturnFlag(result, Input_State().live.wheelDown != 0);
}
void F_KeyboardSetMap(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  Input_SetKeyMap(ZuGetInt32(args, 0), ZuGetInt32(args, 1));
  DynValue_SetReal(&result, 0);
}
void F_KeyboardGetMap(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  int key = ZuGetInt32(args, 0);
  bool inRange = key >= 0 && key < INPUT_KEY_COUNT;
  DynValue_SetReal(&result, inRange ? Input_State().keyMap[key] : key);
}
void F_KeyboardUnsetMap(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  for (int i = 0; i < INPUT_KEY_COUNT; ++i) Input_SetKeyMap(i, i);
  DynValue_SetReal(&result, 0);
}
void F_IoClear(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  Input_Reset();
  DynValue_SetReal(&result, 0);
}

bool ReturnReal(DynValue* result, double value) {
  DynValue_SetReal(result, value);
  return true;
}

bool GetMouseX(CInstance*, int32_t, DynValue* result) { return ReturnReal(result, Input_MouseRoomX()); }
bool GetMouseY(CInstance*, int32_t, DynValue* result) { return ReturnReal(result, Input_MouseRoomY()); }

bool GetKeyboardString(CInstance*, int32_t, DynValue* result) {
  DynValue_SetString(result, Input_GetText().c_str());
  return true;
}
// A string sets the text; any other value empties it.
bool SetKeyboardString(CInstance*, int32_t, const DynValue* value) {
  Input_SetText(DynValue_Chars(value));
  return true;
}

bool GetLastChar(CInstance*, int32_t, DynValue* result) {
  DynValue_SetString(result, Input_GetLastChar().c_str());
  return true;
}
bool SetLastChar(CInstance*, int32_t, const DynValue* value) {
  Input_SetLastChar(DynValue_Chars(value));
  return true;
}

// The key and button variables write both copies, like keyboard_string, so a
// write reads back at once and survives the next fold.
#define BOTH_COPIES_VARIABLE(field)                                                                       \
  [](CInstance*, int32_t, DynValue* result) { return ReturnReal(result, Input_State().live.field); },    \
      [](CInstance*, int32_t, const DynValue* value) {                                                   \
        Input_State().pending.field = Input_State().live.field = DynValue_ToInt32(value);                 \
        return true;                                                                                      \
      }

}  // namespace

void Input_RegisterBuiltins() {
  Function_Add("keyboard_check", F_KeyboardCheck, 1, true);
  Function_Add("keyboard_check_pressed", F_KeyboardCheckPressed, 1, true);
  Function_Add("keyboard_check_released", F_KeyboardCheckReleased, 1, true);
  Function_Add("mouse_check_button", F_MouseCheckButton, 1, true);
  Function_Add("mouse_check_button_pressed", F_MouseCheckButtonPressed, 1, true);
  Function_Add("mouse_check_button_released", F_MouseCheckButtonReleased, 1, true);
  Function_Add("mouse_clear", F_MouseClear, 1, true);
  Function_Add("mouse_wheel_up", F_MouseWheelUp, 0, true);
  Function_Add("mouse_wheel_down", F_MouseWheelDown, 0, true);
  Function_Add("keyboard_set_map", F_KeyboardSetMap, 2, true);
  Function_Add("keyboard_get_map", F_KeyboardGetMap, 1, true);
  Function_Add("keyboard_unset_map", F_KeyboardUnsetMap, 0, true);
  Function_Add("io_clear", F_IoClear, 0, true);
}

void Input_RegisterBuiltinVariables() {
  Variable_Register("mouse_x", GetMouseX, nullptr);
  Variable_Register("mouse_y", GetMouseY, nullptr);
  Variable_Register("keyboard_string", GetKeyboardString, SetKeyboardString);
  Variable_Register("keyboard_lastchar", GetLastChar, SetLastChar);
  Variable_Register("keyboard_key", BOTH_COPIES_VARIABLE(currentKey));
  Variable_Register("keyboard_lastkey", BOTH_COPIES_VARIABLE(lastKey));
  Variable_Register("mouse_button", BOTH_COPIES_VARIABLE(currentButton[0]));
  Variable_Register("mouse_lastbutton", BOTH_COPIES_VARIABLE(lastButton[0]));
}
