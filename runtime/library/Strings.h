// SPDX-License-Identifier: Zlib
// Text and number built-ins: string, real, is_real, is_string, is_undefined,
// string_pos, string_length, string_upper, string_copy, string_digits, round,
// floor, abs, point_direction, choose, random_set_seed, show_debug_message.
// Texts are UTF-8; positions and lengths count characters (UTF-8 sequences),
// not bytes.
//
// The Strings_* functions are the direct entries that compiled code calls
// with converted arguments; the registered built-ins behave the same.
#pragma once

#include <cstdint>
#include <string>

#include "value/DynValue.h"

// 1-based character position of the first occurrence of needle in text; 0
// when there is none or either text is empty or missing.
int Strings_Pos(const char* needle, const char* text);
// Characters in text; 0 for a missing text.
int Strings_Length(const char* text);
// string_copy: `count` characters from character `index` (1-based; below 1
// counts as 1), both taken as whole numbers toward zero; "" when the index is
// past the end, the count is below 1 or the text is missing.
std::string Strings_Copy(const char* text, double index, double count);
// string_digits: the text with only its ASCII digits 0 to 9 kept.
std::string Strings_Digits(const char* text);
// Lower-case letters made upper case under the user's locale (LC_CTYPE from
// the environment) for this call only; sequences of four bytes and bytes that
// are not UTF-8 are copied as they are.
std::string Strings_Upper(const char* text);
// Nearest whole number, halves to the even neighbour; 0 when x is not finite
// or the result lies outside the 32-bit integer range.
double Strings_Round(double x);
// Direction from the first point to the second in degrees, 0 to below 360,
// counter-clockwise on a screen whose y axis points down; single precision.
double Strings_PointDirection(float x1, float y1, float x2, float y2);
double Strings_Abs(double x);
// A copy of one of the argc cells, picked by the next random word modulo argc.
void Strings_Choose(DynValue* result, int argc, const DynValue* args);
// Writes the value's text and a line feed to the debug console.
void Strings_ShowDebugMessage(const DynValue* value);

void Strings_RegisterBuiltins();
