// SPDX-License-Identifier: Zlib
// The code generator: syntax trees of a whole game to C++ that reaches the
// runtime only through the compiled-code interface (see support/KslSupport.h).
//
// Name resolution, in this order, for a plain name in a function:
//   argument0..argument15, argument_count, argument[i]  (scripts only)
//   a `var` local of the function (locals live for the whole function)
//   a built-in constant (c_white, noone, vk_enter, ...), folded to a number
//   a built-in variable of the runtime (x, depth, mouse_x, ...): by id
//   a resource of the manifest (object, sprite, sound, font, room, script):
//     its index, folded to a number
//   otherwise a user variable: one slot number for the whole game, given in
//     order of first appearance (functions in code-index order).
// Calls: a script of the manifest is called directly through its C++
// function; a built-in function of the runtime (Names.h) or a host function
// of the manifest is called through Function_CallById with the id of a
// function-id record, resolved at load, except the frequent built-ins that
// have direct entries (instance_destroy, instance_exists, instance_number,
// position_meeting, draw_sprite(_ext), make_colour_rgb, abs, choose,
// point_direction, draw_set_font/halign/valign, show_debug_message), which
// the support header calls with converted arguments. Any other name, and a
// wrong number of arguments for a built-in that takes a fixed number, is a
// compile error.
//
// Output: ksl_game.h (declarations shared by the generated files),
// ksl_tables.cpp (variable table, function-id table, function table, frame
// head, the text of every source line a statement starts on, and the
// CompiledCodeInfo provider, which also hands that text to the error
// reports), ksl_scripts.cpp, ksl_rooms.cpp and one ksl_obj_<object>.cpp per
// object.
#pragma once

#include <string>
#include <vector>

#include "Ast.h"
#include "Diagnostics.h"
#include "Manifest.h"

namespace kslc {

struct GeneratedFile {
  std::string name;  // file name inside the output folder
  std::string text;
};

struct GenerateOptions {
  // When set, the descriptor points at this embedded game data: an array
  // `extern "C" const uint8_t <symbol>[]` and `extern "C" const uint32_t <symbol>_size`.
  std::string embedSymbol;
};

// programs[i] is the parsed source of manifest.code[i]. Returns false (with
// diagnostics) when a name or construct cannot be compiled.
bool GenerateGame(const mob::Manifest& manifest, const std::vector<Program>& programs, const GenerateOptions& options,
                  std::vector<GeneratedFile>* files, Diagnostics& diagnostics);

// The output file names for a manifest, in the order GenerateGame makes them.
std::vector<std::string> OutputFileNames(const mob::Manifest& manifest);

}  // namespace kslc
