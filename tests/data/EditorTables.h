// SPDX-License-Identifier: Zlib
// The documented content tables of the editor, row by row, as the packed
// game data file must give them back.
#pragma once

struct ObjectRow {
  int index;
  const char* name;
  const char* sprite;  // null: none
  const char* mask;    // null: same as sprite
  bool persistent;
  int create, destroy, step, draw;  // code indices, -1: no such event
};

struct SpriteRow {
  int index;
  const char* name;
  int width, height;
  int originX, originY;
  int left, top, right, bottom;
  int boxMode;
  bool separateMasks;
  int frames;
};

struct InstanceRow {
  int order;
  int id;
  const char* object;
  int x, y;
  double xscale, yscale;
  const char* creationCode;  // compiled function name, null: none
};

struct SoundRow {
  int index;
  const char* name;
  const char* file;
};

// Object table: index, name, sprite, mask sprite, persistent, events.
const ObjectRow kObjects[] = {
    {0, "obj_Outline", "spr_Outline", nullptr, false, -1, -1, -1, -1},
    {1, "obj_MiddleCrossHair", "spr_MiddleCrossHair", nullptr, false, 3, -1, -1, -1},
    {2, "obj_ShapeSelector", nullptr, nullptr, false, 4, -1, 5, 6},
    {3, "con_Canvas", nullptr, nullptr, false, 7, -1, 8, 9},
    {4, "obj_ColorSelector", "spr_Color", nullptr, false, 10, -1, 11, 12},
    {5, "obj_Canvas_Object", nullptr, "spr_Select_Circle", false, 13, -1, 14, 15},
    {6, "con_ObjectList", nullptr, nullptr, false, 16, -1, 17, 18},
    {7, "obj_List_Object", nullptr, "spr_Hover_List", false, 19, 20, 21, 22},
    {8, "con_ObjectPreview", nullptr, nullptr, false, 23, -1, -1, 24},
    {9, "obj_ObjectRotator", "spr_Object_Selected_Rotate", nullptr, false, 25, 26, 27, 28},
    {10, "obj_ObjectResizer", "spr_Object_Selected_Resize", nullptr, false, 29, 30, 31, 32},
    {11, "obj_Export", "spr_ExportCode", nullptr, false, 33, -1, 34, 35},
    {12, "obj_test_export_1_1_1", nullptr, nullptr, false, 36, -1, 37, 38},
    {13, "obj_List_Up", "spr_reorder_up", nullptr, false, 39, -1, 40, 41},
    {14, "obj_List_Down", "spr_reorder_up", nullptr, false, 42, -1, 43, 44},
    {15, "obj_List_Bottom", "spr_reorder_top", nullptr, false, 45, -1, 46, 47},
    {16, "obj_List_Top", "spr_reorder_top", nullptr, false, 48, -1, 49, 50},
    {17, "obj_DeleteAll", "spr_DeleteAll", nullptr, false, 51, -1, 52, 53},
    {18, "obj_FramePreview", "spr_PreviewOutline", nullptr, false, 54, -1, 55, 56},
    {19, "obj_SaveData", "spr_Create_Frame", nullptr, false, 57, -1, 58, 59},
    {20, "con_Frames", nullptr, nullptr, false, 60, -1, 61, 62},
    {21, "obj_Frame", "spr_FrameSelect", nullptr, false, 63, -1, 64, 65},
    {22, "obj_Canvas_FramePreview", "spr_Canvas_PreviewOutline", nullptr, false, 66, -1, -1, 67},
    {23, "obj_Play_Frames", "spr_PlayAnimation", nullptr, false, 68, -1, 69, 70},
    {24, "obj_Frame_Delete", "spr_FrameDelete", nullptr, false, 71, -1, 72, 73},
    {25, "obj_Object_Properties", "spr_Object_Properties", nullptr, false, 74, -1, -1, 75},
    {26, "obj_AnimateCheckbox", "spr_Checkbox", nullptr, false, 76, -1, 77, 78},
    {27, "obj_textbox", "spr_Textbox", nullptr, false, 79, -1, 80, 81},
    {28, "object_30", nullptr, nullptr, false, 82, -1, 83, 84},
    {29, "obj_Honey", nullptr, nullptr, false, 85, -1, 86, 87},
    {30, "obj_Buzzer", nullptr, nullptr, false, 88, -1, 89, 90},
    {31, "obj_SeaDaddy", nullptr, nullptr, false, 91, -1, 92, 93},
    {32, "obj_test_export_1_1_1_1", nullptr, nullptr, false, 94, -1, 95, 96},
    {33, "obj_Frame_R", "spr_reorder_up", nullptr, false, 97, -1, 98, 99},
    {34, "obj_Frame_L", "spr_reorder_up", nullptr, false, 100, -1, 101, 102},
    {35, "obj_Music_Skip_Backwards", "spr_Music_Skip", nullptr, false, 103, -1, 104, 105},
    {36, "obj_Music_Play", "spr_Music_Play", nullptr, false, 106, -1, 107, 108},
    {37, "obj_Music_Skip_Forward", "spr_Music_Skip", nullptr, false, 109, -1, 110, 111},
    {38, "obj_Music_Pause", "spr_Music_Pause", nullptr, false, 112, -1, 113, 114},
    {39, "con_Music", nullptr, nullptr, true, 115, -1, 116, 117},
    {40, "obj_Music_Stop", "spr_Music_Stop", nullptr, false, 118, -1, 119, 120},
};
// Sprite table: index, name, width, height, origin, box left, top, right, bottom, mode, separate masks, frames.
const SpriteRow kSprites[] = {
    {0, "spr_Outline", 64, 64, 0, 0, 0, 0, 63, 63, 0, false, 1},
    {1, "spr_MiddleCrossHair", 13, 13, 6, 6, 0, 0, 12, 12, 0, false, 1},
    {2, "spr_ShapeSelector", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 3},
    {3, "spr_Color", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 2},
    {4, "spr_ColorSelected", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 1},
    {5, "spr_Hover_List", 100, 15, 0, 7, 0, 0, 99, 14, 0, false, 1},
    {6, "spr_Selected_List", 200, 10, 0, 5, 0, 0, 199, 9, 0, false, 1},
    {7, "spr_Object_Selected_Resize", 120, 120, 52, 67, 84, 0, 119, 35, 0, true, 3},
    {8, "spr_Object_Selected_Rotate", 105, 120, 52, 67, 47, 1, 57, 14, 0, true, 3},
    {9, "spr_Object_Selected", 105, 105, 52, 52, 0, 0, 104, 104, 0, true, 1},
    {10, "spr_shape_1_back", 55, 150, 27, 75, 7, 4, 48, 145, 0, true, 4},
    {11, "spr_shape_1_outline", 55, 150, 27, 75, 0, 0, 54, 149, 0, false, 4},
    {12, "spr_shape_2_back", 75, 49, 37, 24, 5, 4, 66, 42, 0, true, 4},
    {13, "spr_shape_2_outline", 75, 49, 37, 24, 0, 0, 74, 48, 0, false, 4},
    {14, "spr_shape_3_back", 90, 59, 45, 29, 7, 8, 79, 52, 0, true, 4},
    {15, "spr_shape_3_outline", 90, 59, 45, 29, 0, 0, 89, 58, 0, false, 4},
    {16, "spr_shape_4_back", 125, 117, 62, 58, 9, 10, 115, 105, 0, true, 4},
    {17, "spr_shape_4_outline", 125, 117, 62, 58, 0, 0, 124, 116, 0, false, 4},
    {18, "spr_shape_5_back", 85, 80, 42, 40, 0, 0, 84, 79, 0, false, 4},
    {19, "spr_shape_5_outline", 85, 80, 42, 40, 0, 0, 84, 79, 0, false, 4},
    {20, "spr_shape_6_back", 75, 35, 37, 17, 0, 0, 74, 34, 0, false, 4},
    {21, "spr_shape_6_outline", 75, 35, 37, 17, 0, 0, 74, 34, 0, false, 4},
    {22, "spr_shape_7_back", 60, 76, 30, 38, 0, 0, 59, 75, 0, false, 4},
    {23, "spr_shape_7_outline", 60, 76, 30, 38, 0, 0, 59, 75, 0, false, 4},
    {24, "spr_ExportCode", 128, 64, 64, 32, 0, 0, 127, 63, 0, false, 2},
    {25, "spr_shape_8_back", 100, 100, 50, 50, 0, 0, 99, 99, 0, false, 4},
    {26, "spr_shape_8_outline", 100, 100, 50, 50, 0, 0, 99, 99, 0, false, 4},
    {27, "spr_reorder_up", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 3},
    {28, "spr_reorder_top", 32, 32, 16, 16, 0, 0, 31, 31, 0, false, 3},
    {29, "spr_DeleteAll", 128, 64, 64, 32, 0, 0, 127, 63, 0, false, 2},
    {30, "spr_PreviewOutline", 90, 90, 45, 45, 0, 0, 89, 89, 0, false, 4},
    {31, "spr_Create_Frame", 128, 64, 64, 32, 0, 0, 127, 63, 0, false, 2},
    {32, "spr_Canvas_PreviewOutline", 270, 270, 135, 135, 0, 0, 269, 269, 0, false, 1},
    {33, "spr_FrameSelect", 92, 92, 46, 46, 0, 0, 91, 91, 0, false, 3},
    {34, "spr_PlayAnimation", 25, 25, 12, 12, 0, 0, 24, 24, 0, false, 3},
    {35, "spr_shape_9_back", 50, 105, 25, 52, 0, 0, 49, 104, 0, false, 4},
    {36, "spr_shape_9_outline", 50, 105, 25, 52, 0, 0, 49, 104, 0, false, 4},
    {37, "spr_shape_10_back", 100, 66, 50, 33, 0, 0, 99, 65, 0, false, 4},
    {38, "spr_shape_10_outline", 100, 66, 50, 33, 0, 0, 99, 65, 0, false, 4},
    {39, "spr_shape_11_back", 95, 100, 47, 50, 0, 0, 94, 99, 0, false, 4},
    {40, "spr_shape_11_outline", 95, 100, 47, 50, 0, 0, 94, 99, 0, false, 4},
    {41, "spr_FrameDelete", 10, 10, 0, 0, 0, 0, 9, 9, 0, false, 3},
    {42, "spr_Select_Circle", 64, 64, 32, 32, 0, 0, 63, 63, 0, true, 1},
    {43, "spr_Object_Properties", 192, 96, 96, 48, 0, 0, 191, 95, 0, false, 1},
    {44, "spr_Checkbox", 19, 17, 9, 8, 0, 0, 18, 16, 0, false, 2},
    {45, "spr_Checkbox_1", 19, 17, 9, 8, 0, 0, 18, 16, 0, false, 1},
    {46, "spr_Textbox", 64, 64, 32, 32, 7, 18, 53, 43, 2, false, 3},
    {47, "spr_Music_Play", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 4},
    {48, "spr_Music_Pause", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 5},
    {49, "spr_Music_Skip", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 4},
    {50, "spr_Music_Stop", 28, 28, 14, 14, 0, 0, 27, 27, 0, false, 4},
};
// Room table: order, id, object, x, y, x scale, y scale, creation code.
const InstanceRow kInstances[] = {
    {0, 100001, "obj_Outline", 0, 0, 16, 1.5, nullptr},
    {1, 100002, "obj_MiddleCrossHair", 512, 448, 3.46154, 3.46154, nullptr},
    {2, 100003, "obj_Outline", 192, 96, 10, 0.5, nullptr},
    {3, 100004, "obj_Outline", 832, 96, 3.03125, 1.51562, nullptr},
    {4, 100005, "obj_Outline", 0, 448, 3, 5, nullptr},
    {5, 100006, "obj_Outline", 832, 288, 3, 7.5, nullptr},
    {6, 100007, "con_Canvas", 192, 96, 1, 1, nullptr},
    {7, 100008, "obj_ColorSelector", 992, 120, 1, 1, "ksl_RoomCC_room0_0_Create"},
    {8, 100009, "obj_ColorSelector", 928, 164, 1, 1, "ksl_RoomCC_room0_1_Create"},
    {9, 100010, "obj_ColorSelector", 992, 164, 1, 1, "ksl_RoomCC_room0_2_Create"},
    {10, 100011, "obj_ColorSelector", 864, 164, 1, 1, "ksl_RoomCC_room0_3_Create"},
    {11, 100012, "con_ObjectList", 853, 296, 1, 1, nullptr},
    {12, 100013, "obj_ShapeSelector", 128, 128, 1, 1, "ksl_RoomCC_room0_4_Create"},
    {13, 100000, "obj_Outline", 0, 96, 3, 5.5, nullptr},
    {14, 100014, "obj_ShapeSelector", 25, 145, 1, 1, "ksl_RoomCC_room0_5_Create"},
    {15, 100015, "obj_ColorSelector", 864, 120, 1, 1, "ksl_RoomCC_room0_6_Create"},
    {16, 100016, "obj_ColorSelector", 928, 120, 1, 1, "ksl_RoomCC_room0_7_Create"},
    {17, 100017, "obj_ShapeSelector", 96, 192, 1, 1, "ksl_RoomCC_room0_8_Create"},
    {18, 100019, "obj_ShapeSelector", 32, 256, 1, 1, "ksl_RoomCC_room0_9_Create"},
    {19, 100020, "obj_ShapeSelector", 128, 256, 1, 1, "ksl_RoomCC_room0_10_Create"},
    {20, 100021, "obj_Export", 95, 502, 1, 1, nullptr},
    {21, 100022, "obj_ShapeSelector", 43, 323, 1, 1, "ksl_RoomCC_room0_11_Create"},
    {22, 100023, "obj_List_Up", 1005, 503, 1, 1, nullptr},
    {23, 100024, "obj_List_Down", 1005, 534, 1, 1, nullptr},
    {24, 100025, "obj_List_Top", 1005, 471, 1, 1, nullptr},
    {25, 100026, "obj_List_Bottom", 1005, 565, 1, 1, nullptr},
    {26, 100027, "obj_DeleteAll", 97, 714, 1, 1, nullptr},
    {27, 100028, "obj_Outline", 2, 0, 0.859375, 1.57812, nullptr},
    {28, 100029, "con_Frames", 64, 0, 1, 1, nullptr},
    {29, 100031, "obj_Play_Frames", 32, 16, 1, 1, nullptr},
    {30, 100032, "obj_ShapeSelector", 131, 313, 1, 1, "ksl_RoomCC_room0_12_Create"},
    {31, 100033, "obj_ShapeSelector", 36, 385, 1, 1, "ksl_RoomCC_room0_13_Create"},
    {32, 100034, "obj_ShapeSelector", 129, 388, 1, 1, "ksl_RoomCC_room0_14_Create"},
    {33, 100035, "obj_SaveData", 96, 608, 1, 1, nullptr},
    {34, 100036, "obj_Object_Properties", 928, 240, 1.02083, 1.11458, nullptr},
    {35, 100037, "obj_AnimateCheckbox", 950, 275, 1, 1, nullptr},
    {36, 100038, "obj_textbox", 899, 208, 1, 1, "ksl_RoomCC_room0_15_Create"},
    {37, 100039, "obj_textbox", 999, 207, 1, 1, "ksl_RoomCC_room0_16_Create"},
    {38, 100040, "obj_textbox", 899, 235, 1, 1, "ksl_RoomCC_room0_17_Create"},
    {39, 100041, "obj_textbox", 999, 235, 1, 1, "ksl_RoomCC_room0_18_Create"},
    {40, 100042, "obj_textbox", 899, 263, 1, 1, "ksl_RoomCC_room0_19_Create"},
    {41, 100043, "obj_textbox", 999, 262, 1, 1, "ksl_RoomCC_room0_20_Create"},
    {42, 100044, "obj_Frame_R", 37, 47, 1, 1, nullptr},
    {43, 100045, "obj_Frame_L", 37, 79, 1, 1, nullptr},
    {44, 100046, "obj_Music_Play", 246, 111, 1, 1, nullptr},
    {45, 100047, "obj_Music_Pause", 332, 112, 1, 1, nullptr},
    {46, 100048, "obj_Music_Skip_Forward", 427, 111, 1, 1, nullptr},
    {47, 100049, "obj_Music_Skip_Backwards", 378, 111, 1, 1, nullptr},
    {48, 100050, "con_Music", 207, 94, 1, 1, nullptr},
    {49, 100051, "obj_Music_Stop", 287, 111, 1, 1, nullptr},
    {50, 100030, "obj_Canvas_FramePreview", 512, 448, 1, 1, nullptr},
};
// Sound table: index, name, file.
const SoundRow kSounds[] = {
    {0, "msc_Main_Cocktail", "msc_Main_Cocktail.ogg"},
    {1, "msc_Main_DatDoe", "msc_Main_DatDoe.ogg"},
    {2, "msc_Main_PreciseAim", "msc_Main_PreciseAim.ogg"},
    {3, "msc_SlimyPickle", "msc_SlimyPickle.ogg"},
    {4, "msc_Tutorial", "msc_Tutorial.ogg"},
    {5, "msc_Boss1", "msc_Boss1.ogg"},
    {6, "msc_Big_Booty_Beat_Sauce", "msc_Big_Booty_Beat_Sauce.ogg"},
    {7, "msc_ScummyBaby", "msc_ScummyBaby.ogg"},
};
