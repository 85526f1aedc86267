// The editor's 51 sprites: names, sizes, origins, collision boxes and frame
// counts, in sprite-index order. The event code refers to sprites by index and
// tests the mouse against these sizes, so the art must follow this table; the
// pixels are ours.
#pragma once

#include <array>

namespace artgen {

struct SpriteInfo {
  const char* name;
  int width, height;
  int originX, originY;
  int boxLeft, boxTop, boxRight, boxBottom;  // inclusive pixel box
  int boxMode;                               // 0 automatic (from alpha), 2 manual
  bool separateMasks;
  int frames;
};

inline constexpr int kSpriteCount = 51;

inline constexpr std::array<SpriteInfo, kSpriteCount> kSprites = {{
    {"spr_Outline", 64, 64, 0, 0, 0, 0, 63, 63, 0, false, 1},
    {"spr_MiddleCrossHair", 13, 13, 6, 6, 0, 0, 12, 12, 0, false, 1},
    {"spr_ShapeSelector", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 3},
    {"spr_Color", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 2},
    {"spr_ColorSelected", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 1},
    {"spr_Hover_List", 100, 15, 0, 7, 0, 0, 99, 14, 0, false, 1},
    {"spr_Selected_List", 200, 10, 0, 5, 0, 0, 199, 9, 0, false, 1},
    {"spr_Object_Selected_Resize", 120, 120, 52, 67, 84, 0, 119, 35, 0, true, 3},
    {"spr_Object_Selected_Rotate", 105, 120, 52, 67, 47, 1, 57, 14, 0, true, 3},
    {"spr_Object_Selected", 105, 105, 52, 52, 0, 0, 104, 104, 0, true, 1},
    {"spr_shape_1_back", 55, 150, 27, 75, 7, 4, 48, 145, 0, true, 4},
    {"spr_shape_1_outline", 55, 150, 27, 75, 0, 0, 54, 149, 0, false, 4},
    {"spr_shape_2_back", 75, 49, 37, 24, 5, 4, 66, 42, 0, true, 4},
    {"spr_shape_2_outline", 75, 49, 37, 24, 0, 0, 74, 48, 0, false, 4},
    {"spr_shape_3_back", 90, 59, 45, 29, 7, 8, 79, 52, 0, true, 4},
    {"spr_shape_3_outline", 90, 59, 45, 29, 0, 0, 89, 58, 0, false, 4},
    {"spr_shape_4_back", 125, 117, 62, 58, 9, 10, 115, 105, 0, true, 4},
    {"spr_shape_4_outline", 125, 117, 62, 58, 0, 0, 124, 116, 0, false, 4},
    {"spr_shape_5_back", 85, 80, 42, 40, 0, 0, 84, 79, 0, false, 4},
    {"spr_shape_5_outline", 85, 80, 42, 40, 0, 0, 84, 79, 0, false, 4},
    {"spr_shape_6_back", 75, 35, 37, 17, 0, 0, 74, 34, 0, false, 4},
    {"spr_shape_6_outline", 75, 35, 37, 17, 0, 0, 74, 34, 0, false, 4},
    {"spr_shape_7_back", 60, 76, 30, 38, 0, 0, 59, 75, 0, false, 4},
    {"spr_shape_7_outline", 60, 76, 30, 38, 0, 0, 59, 75, 0, false, 4},
    {"spr_ExportCode", 128, 64, 64, 32, 0, 0, 127, 63, 0, false, 2},
    {"spr_shape_8_back", 100, 100, 50, 50, 0, 0, 99, 99, 0, false, 4},
    {"spr_shape_8_outline", 100, 100, 50, 50, 0, 0, 99, 99, 0, false, 4},
    {"spr_reorder_up", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 3},
    {"spr_reorder_top", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 3},
    {"spr_DeleteAll", 128, 64, 64, 32, 0, 0, 127, 63, 0, false, 2},
    {"spr_PreviewOutline", 90, 90, 45, 45, 0, 0, 89, 89, 0, false, 4},
    {"spr_Create_Frame", 128, 64, 64, 32, 0, 0, 127, 63, 0, false, 2},
    {"spr_Canvas_PreviewOutline", 270, 270, 135, 135, 0, 0, 269, 269, 0, false, 1},
    {"spr_FrameSelect", 92, 92, 46, 46, 0, 0, 91, 91, 0, false, 3},
    {"spr_PlayAnimation", 25, 25, 12, 12, 0, 0, 24, 24, 0, false, 3},
    {"spr_shape_9_back", 50, 105, 25, 52, 0, 0, 49, 104, 0, false, 4},
    {"spr_shape_9_outline", 50, 105, 25, 52, 0, 0, 49, 104, 0, false, 4},
    {"spr_shape_10_back", 100, 66, 50, 33, 0, 0, 99, 65, 0, false, 4},
    {"spr_shape_10_outline", 100, 66, 50, 33, 0, 0, 99, 65, 0, false, 4},
    {"spr_shape_11_back", 95, 100, 47, 50, 0, 0, 94, 99, 0, false, 4},
    {"spr_shape_11_outline", 95, 100, 47, 50, 0, 0, 94, 99, 0, false, 4},
    {"spr_FrameDelete", 10, 10, 0, 0, 0, 0, 9, 9, 0, false, 3},
    {"spr_Select_Circle", 64, 64, 32, 32, 0, 0, 63, 63, 0, true, 1},
    {"spr_Object_Properties", 192, 96, 96, 48, 0, 0, 191, 95, 0, false, 1},
    {"spr_Checkbox", 19, 17, 9, 8, 0, 0, 18, 16, 0, false, 2},
    {"spr_Checkbox_1", 19, 17, 9, 8, 0, 0, 18, 16, 0, false, 1},
    {"spr_Textbox", 64, 64, 32, 32, 7, 18, 53, 43, 2, false, 3},
    {"spr_Music_Play", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 4},
    {"spr_Music_Pause", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 5},
    {"spr_Music_Skip", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 4},
    {"spr_Music_Stop", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 4},
}};

}  // namespace artgen
