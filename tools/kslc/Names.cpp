// SPDX-License-Identifier: Zlib
#include "Names.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace kslc {

namespace {

// The runtime registers these at start-up (instance fields, input, room and
// system state). A name here is never given a user slot: the generated code
// asks the runtime by id, resolved at load. A test holds this list and the
// runtime's table against each other both ways.
const char* const kBuiltinVariables[] = {
    // instance
    "x", "y", "depth", "id", "object_index", "sprite_index", "image_index", "image_speed", "image_xscale",
    "image_yscale", "image_angle", "image_alpha", "image_blend", "image_number", "mask_index", "visible", "solid",
    "persistent", "xstart", "ystart", "xprevious", "yprevious", "hspeed", "vspeed", "direction", "speed", "friction",
    "gravity", "gravity_direction", "alarm", "path_index", "path_scale", "timeline_index", "timeline_speed",
    "sprite_width", "sprite_height", "sprite_xoffset", "sprite_yoffset", "bbox_left", "bbox_right", "bbox_top",
    "bbox_bottom",
    // input
    "mouse_x", "mouse_y", "mouse_button", "mouse_lastbutton", "keyboard_string", "keyboard_key", "keyboard_lastkey",
    "keyboard_lastchar",
    // room and system
    "room", "room_width", "room_height", "room_speed", "room_caption", "working_directory", "program_directory",
    "temp_directory", "fps", "current_time", "delta_time", "instance_count", "os_type",
};

// The built-in functions of the runtime, as each family registers them at
// start-up. A test compares this list with the runtime's own table, so a
// function added to the runtime cannot be missing here unnoticed.
const BuiltinFunctionName kBuiltinFunctions[] = {
    // core
    {"math_set_epsilon", 1}, {"math_get_epsilon", 0},
    // instances
    {"instance_create_depth", 4}, {"instance_destroy", -1}, {"instance_exists", 1}, {"instance_find", 2},
    {"instance_number", 1},
    // collision
    {"position_meeting", 3},
    // input
    {"keyboard_check", 1}, {"keyboard_check_pressed", 1}, {"keyboard_check_released", 1}, {"mouse_check_button", 1},
    {"mouse_check_button_pressed", 1}, {"mouse_check_button_released", 1}, {"mouse_clear", 1}, {"mouse_wheel_up", 0},
    {"mouse_wheel_down", 0}, {"keyboard_set_map", 2}, {"keyboard_get_map", 1}, {"keyboard_unset_map", 0},
    {"io_clear", 0},
    // strings and numbers
    {"string", 1}, {"real", 1}, {"is_real", 1}, {"is_string", 1}, {"is_undefined", 1}, {"string_pos", 2},
    {"string_length", 1}, {"string_upper", 1}, {"string_copy", 3}, {"string_digits", 1}, {"round", 1},
    {"floor", 1}, {"abs", 1}, {"point_direction", 4}, {"choose", -1}, {"random_set_seed", 1},
    {"show_debug_message", 1},
    // lists
    {"ds_list_create", 0}, {"ds_list_destroy", 1}, {"ds_list_add", -1}, {"ds_list_size", 1},
    {"ds_list_find_value", 2}, {"ds_list_find_index", 2}, {"ds_list_insert", 3}, {"ds_list_replace", 3},
    {"ds_list_delete", 2}, {"ds_list_mark_as_map", 2}, {"ds_list_mark_as_list", 2},
    // maps and secure map files
    {"ds_map_create", -1}, {"ds_map_destroy", 1}, {"ds_map_add", 3}, {"ds_map_replace", 3}, {"ds_map_size", 1}, {"ds_map_copy", 2},
    {"ds_map_find_value", 2}, {"ds_map_find_first", 1}, {"ds_map_find_next", 2}, {"ds_map_add_map", 3},
    {"ds_map_add_list", 3}, {"ds_map_secure_save", 2}, {"ds_map_secure_load", 1},
    // files, clipboard, message box
    {"file_exists", 1}, {"file_delete", 1}, {"file_copy", 2}, {"file_rename", 2}, {"file_write_text", 2},
    {"file_last_error", 0}, {"clipboard_set_text", 1}, {"show_message", 1},
    // opening exported figures
    {"figure_read", 1}, {"file_open_request", 0}, {"figure_export_sheet", 3}, {"figure_sheet_name", 1},
    // local date and time
    {"date_current_datetime", 0}, {"date_get_year", 1}, {"date_get_month", 1}, {"date_get_day", 1},
    {"date_get_hour", 1}, {"date_get_minute", 1}, {"date_get_second", 1},
    // drawing
    {"draw_sprite_ext", 9}, {"draw_sprite", 4}, {"draw_text", 3}, {"draw_text_color", 8}, {"draw_text_colour", 8},
    {"draw_set_colour", 1}, {"draw_set_color", 1}, {"draw_set_alpha", 1}, {"draw_get_colour", 0},
    {"draw_get_color", 0}, {"draw_get_alpha", 0}, {"draw_set_font", 1}, {"draw_set_halign", 1},
    {"draw_set_valign", 1}, {"make_colour_rgb", 3}, {"make_color_rgb", 3}, {"sprite_exists", 1},
    {"sprite_get_number", 1}, {"sprite_get_name", 1}, {"window_set_cursor", 1},
    // audio
    {"audio_play_sound", 3}, {"audio_is_playing", 1}, {"audio_is_paused", 1}, {"audio_pause_sound", 1},
    {"audio_resume_sound", 1}, {"audio_stop_sound", 1}, {"audio_stop_all", 0}, {"audio_sound_gain", 3},
    {"audio_sound_get_gain", 1}, {"audio_sound_get_track_position", 1},
};

struct Constant {
  const char* name;
  double value;
};

const Constant kConstants[] = {
    // values and instance targets
    {"true", 1}, {"false", 0}, {"pi", 3.14159265358979323846}, {"self", -1}, {"other", -2}, {"all", -3}, {"noone", -4},
    {"global", -5},
    // colours: red in the low byte
    {"c_aqua", 16776960}, {"c_black", 0}, {"c_blue", 16711680}, {"c_dkgray", 4210752}, {"c_dkgrey", 4210752},
    {"c_fuchsia", 16711935}, {"c_gray", 8421504}, {"c_grey", 8421504}, {"c_green", 32768}, {"c_lime", 65280},
    {"c_ltgray", 12632256}, {"c_ltgrey", 12632256}, {"c_maroon", 128}, {"c_navy", 8388608}, {"c_olive", 32896},
    {"c_orange", 4235519}, {"c_purple", 8388736}, {"c_red", 255}, {"c_silver", 12632256}, {"c_teal", 8421376},
    {"c_white", 16777215}, {"c_yellow", 65535},
    // os_type on Linux, the one platform the runtime runs on
    {"os_linux", 6},
    // mouse buttons
    {"mb_any", -1}, {"mb_none", 0}, {"mb_left", 1}, {"mb_right", 2}, {"mb_middle", 3},
    // keys (the platform's virtual-key codes)
    {"vk_nokey", 0}, {"vk_anykey", 1}, {"vk_backspace", 8}, {"vk_tab", 9}, {"vk_enter", 13}, {"vk_return", 13},
    {"vk_shift", 16}, {"vk_control", 17}, {"vk_alt", 18}, {"vk_pause", 19}, {"vk_escape", 27}, {"vk_space", 32},
    {"vk_pageup", 33}, {"vk_pagedown", 34}, {"vk_end", 35}, {"vk_home", 36}, {"vk_left", 37}, {"vk_up", 38},
    {"vk_right", 39}, {"vk_down", 40}, {"vk_printscreen", 44}, {"vk_insert", 45}, {"vk_delete", 46},
    {"vk_numpad0", 96}, {"vk_numpad1", 97}, {"vk_numpad2", 98}, {"vk_numpad3", 99}, {"vk_numpad4", 100},
    {"vk_numpad5", 101}, {"vk_numpad6", 102}, {"vk_numpad7", 103}, {"vk_numpad8", 104}, {"vk_numpad9", 105},
    {"vk_multiply", 106}, {"vk_add", 107}, {"vk_subtract", 109}, {"vk_decimal", 110}, {"vk_divide", 111},
    {"vk_f1", 112}, {"vk_f2", 113}, {"vk_f3", 114}, {"vk_f4", 115}, {"vk_f5", 116}, {"vk_f6", 117},
    {"vk_f7", 118}, {"vk_f8", 119}, {"vk_f9", 120}, {"vk_f10", 121}, {"vk_f11", 122}, {"vk_f12", 123},
    {"vk_lshift", 160}, {"vk_rshift", 161}, {"vk_lcontrol", 162}, {"vk_rcontrol", 163}, {"vk_lalt", 164},
    {"vk_ralt", 165},
    // text alignment
    {"fa_left", 0}, {"fa_center", 1}, {"fa_right", 2}, {"fa_top", 0}, {"fa_middle", 1}, {"fa_bottom", 2},
    // cursors
    {"cr_default", 0}, {"cr_none", -1}, {"cr_arrow", -2}, {"cr_cross", -3}, {"cr_beam", -4},
    {"cr_size_nesw", -6}, {"cr_size_ns", -7}, {"cr_size_nwse", -8}, {"cr_size_we", -9}, {"cr_uparrow", -10},
    {"cr_hourglass", -11}, {"cr_drag", -12}, {"cr_appstart", -19}, {"cr_handpoint", -21}, {"cr_size_all", -22},
    // events
    {"ev_create", 0}, {"ev_destroy", 1}, {"ev_alarm", 2}, {"ev_step", 3}, {"ev_collision", 4},
    {"ev_keyboard", 5}, {"ev_mouse", 6}, {"ev_other", 7}, {"ev_draw", 8}, {"ev_keypress", 9},
    {"ev_keyrelease", 10}, {"ev_trigger", 11}, {"ev_cleanup", 12}, {"ev_clean_up", 12}, {"ev_gesture", 13},
    {"ev_step_normal", 0}, {"ev_step_begin", 1}, {"ev_step_end", 2}, {"ev_room_start", 4}, {"ev_room_end", 5},
    {"ev_game_start", 2}, {"ev_game_end", 3}, {"ev_animation_end", 7}, {"ev_user0", 10}, {"ev_user1", 11},
    {"ev_user2", 12}, {"ev_user3", 13},
};

}  // namespace

bool Names_IsBuiltinVariable(const std::string& name) {
  static const std::unordered_set<std::string> names(std::begin(kBuiltinVariables), std::end(kBuiltinVariables));
  return names.count(name) != 0;
}

bool Names_BuiltinFunction(const std::string& name, int* arguments) {
  static const std::unordered_map<std::string, int> functions = [] {
    std::unordered_map<std::string, int> m;
    for (const BuiltinFunctionName& f : kBuiltinFunctions) m.emplace(f.name, f.arguments);
    return m;
  }();
  auto it = functions.find(name);
  if (it == functions.end()) return false;
  *arguments = it->second;
  return true;
}

// Every built-in variable name, in the list's order; for the test that holds
// the list against the runtime's table.
const std::vector<std::string>& Names_BuiltinVariables() {
  static const std::vector<std::string> all(std::begin(kBuiltinVariables), std::end(kBuiltinVariables));
  return all;
}

const std::vector<BuiltinFunctionName>& Names_BuiltinFunctions() {
  static const std::vector<BuiltinFunctionName> all(std::begin(kBuiltinFunctions), std::end(kBuiltinFunctions));
  return all;
}

bool Names_Constant(const std::string& name, double* value) {
  static const std::unordered_map<std::string, double> constants = [] {
    std::unordered_map<std::string, double> m;
    for (const Constant& c : kConstants) m.emplace(c.name, c.value);
    return m;
  }();
  auto it = constants.find(name);
  if (it == constants.end()) return false;
  *value = it->second;
  return true;
}

}  // namespace kslc
