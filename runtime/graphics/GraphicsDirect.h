// SPDX-License-Identifier: Zlib
// Direct entries of the drawing built-ins that compiled code calls most:
// plain functions taking already-converted arguments. Each behaves exactly as
// the registered built-in of the same name.
#pragma once

#include <cstdint>

class CInstance;

// The sub-image argument of draw_sprite(_ext) as the built-ins read it: below
// 0 takes self's image_index rounded down (-1 without an instance).
int32_t Draw_SubimgArgument(CInstance* self, double subimg);
// draw_sprite_ext; subimg < 0 uses self's image_index truncated toward zero.
void Draw_SpriteExt(CInstance* self, int32_t sprite, int32_t subimg, float x, float y, float xscale, float yscale,
                    float rotation, int32_t colour, float alpha);
// draw_sprite: scales 1, rotation 0, white, the current alpha.
void Draw_Sprite(CInstance* self, int32_t sprite, int32_t subimg, float x, float y);
// make_colour_rgb: r + g * 256 + b * 65536, no clamping.
double Draw_MakeColourRgb(int32_t r, int32_t g, int32_t b);
void Draw_SetFont(int32_t font);
void Draw_SetHalign(int32_t align);
void Draw_SetValign(int32_t align);
