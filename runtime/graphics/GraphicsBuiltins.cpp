// SPDX-License-Identifier: Zlib
// The drawing built-ins as the scripting language calls them, and the
// cursor table of window_set_cursor. Arguments are read once here; the
// functions below them work on plain values.
#include <cmath>

#include "base/Error.h"
#include "code/CompiledCode.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDirect.h"
#include "graphics/GraphicsState.h"
#include "object/Instance.h"
#include "value/ArgReaders.h"
#include "value/TextBuffer.h"

namespace {

int32_t SubimgArgument(CInstance* self, const DynValue* args, int i) {
  return Draw_SubimgArgument(self, ZuGetReal(args, i));
}

CSprite* SpriteArgument(const DynValue* args, int i) {
  CSprite* sprite = Graphics_Sprite(ZuGetInt32(args, i));
  if (!sprite) Runtime_ErrorNonFatal("Trying to draw non-existing sprite.");
  return sprite;
}

uint32_t ColourArgument(const DynValue* args, int i) { return static_cast<uint32_t>(ZuGetInt64(args, i)) & 0xFFFFFFu; }

void F_DrawSpriteExt(DynValue&, CInstance* self, CInstance*, int, DynValue* args) {
  int32_t subimg = SubimgArgument(self, args, 1);
  CSprite* sprite = SpriteArgument(args, 0);
  if (!sprite) return;
  uint32_t colour = Colour_WithAlpha(ColourArgument(args, 7), Colour_AlphaByte(static_cast<float>(ZuGetReal(args, 8))));
  Graphics_DrawSpriteExt(*sprite, subimg, static_cast<float>(ZuGetReal(args, 2)), static_cast<float>(ZuGetReal(args, 3)),
                         static_cast<float>(ZuGetReal(args, 4)), static_cast<float>(ZuGetReal(args, 5)),
                         static_cast<float>(ZuGetReal(args, 6)), colour);
}

void F_DrawSprite(DynValue&, CInstance* self, CInstance*, int, DynValue* args) {
  int32_t subimg = SubimgArgument(self, args, 1);
  CSprite* sprite = SpriteArgument(args, 0);
  if (!sprite) return;
  Graphics_DrawSpriteExt(*sprite, subimg, static_cast<float>(ZuGetReal(args, 2)), static_cast<float>(ZuGetReal(args, 3)),
                         1, 1, 0, Colour_WithAlpha(0xFFFFFFu, Graphics_State().alpha));
}

void F_DrawText(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  TextBuffer text;
  DynValue_ToText(&text, &args[2]);
  Graphics_DrawText(static_cast<float>(ZuGetReal(args, 0)), static_cast<float>(ZuGetReal(args, 1)), text.Text());
}

void F_DrawTextColour(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  TextBuffer text;
  DynValue_ToText(&text, &args[2]);
  Graphics_DrawTextColour(static_cast<float>(ZuGetReal(args, 0)), static_cast<float>(ZuGetReal(args, 1)), text.Text(),
                          ColourArgument(args, 3), ColourArgument(args, 4), ColourArgument(args, 5),
                          ColourArgument(args, 6), ZuGetReal(args, 7));
}

void F_DrawSetColour(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  Graphics_SetColour(static_cast<int32_t>(ColourArgument(args, 0)));
}

void F_DrawSetAlpha(DynValue&, CInstance*, CInstance*, int, DynValue* args) { Graphics_SetAlpha(ZuGetReal(args, 0)); }

void F_DrawGetColour(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetReal(&result, static_cast<double>(Graphics_State().colour & 0xFFFFFFu));
}

void F_DrawGetAlpha(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetReal(&result, Graphics_State().alpha / 255.0);
}

void F_DrawSetFont(DynValue&, CInstance*, CInstance*, int, DynValue* args) { Draw_SetFont(ZuGetInt32(args, 0)); }
void F_DrawSetHalign(DynValue&, CInstance*, CInstance*, int, DynValue* args) { Draw_SetHalign(ZuGetInt32(args, 0)); }
void F_DrawSetValign(DynValue&, CInstance*, CInstance*, int, DynValue* args) { Draw_SetValign(ZuGetInt32(args, 0)); }

void F_MakeColourRgb(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, Draw_MakeColourRgb(ZuGetInt32(args, 0), ZuGetInt32(args, 1), ZuGetInt32(args, 2)));
}

void F_SpriteGetNumber(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const CSprite* sprite = Graphics_Sprite(ZuGetInt32(args, 0));
  DynValue_SetReal(&result, sprite ? static_cast<double>(sprite->frameCount) : -1.0);
}

void F_SpriteGetName(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const CSprite* sprite = Graphics_Sprite(ZuGetInt32(args, 0));
  DynValue_SetString(&result, sprite ? sprite->name.c_str() : "<undefined>");
}

// sprite_exists: 1 for a whole number that names a sprite of the game, else
// 0. It checks values read from files, so any kind is taken without an
// error: text, undefined or a truth value names no sprite.
void F_SpriteExists(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const DynValue& v = args[0];
  double index = -1;
  switch (v.Kind()) {
    case KIND_NUMBER: index = v.real; break;
    case KIND_INT32: index = v.i32; break;
    case KIND_INT64: index = static_cast<double>(v.i64); break;
    default: break;
  }
  // NaN fails the first comparison.
  bool names = index >= 0 && index < Graphics_SpriteCount() && index == std::floor(index) &&
               Graphics_Sprite(static_cast<int>(index)) != nullptr;
  DynValue_SetReal(&result, names ? 1 : 0);
}

void F_WindowSetCursor(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  Graphics_SetCursor(ZuGetInt32(args, 0));
}

}  // namespace

CursorShape Cursor_FromValue(int32_t value) {
  switch (value) {
    case 0:
    case -2:
    case -20:  // no cursor of its own: a stock arrow
      return CURSOR_ARROW;
    case -1:
    case -5:
      return CURSOR_NONE;
    case -3:
      return CURSOR_CROSS;
    case -4:
      return CURSOR_IBEAM;
    case -6:
      return CURSOR_SIZE_NESW;
    case -7:
      return CURSOR_SIZE_NS;
    case -8:
      return CURSOR_SIZE_NWSE;
    case -9:
      return CURSOR_SIZE_WE;
    case -10:
      return CURSOR_UP_ARROW;
    case -11:
      return CURSOR_WAIT;
    case -12:
    case -21:
      return CURSOR_HAND;
    case -19:
      return CURSOR_WAIT_ARROW;
    case -22:
      return CURSOR_SIZE_ALL;
    default:
      if (value >= -18 && value <= -13) return CURSOR_NO;
      return CURSOR_KEEP;
  }
}

void Graphics_SetCursorSetter(CursorSetter setter) {
  GraphicsState& state = Graphics_State();
  state.cursorSetter = setter;
  // A new window starts with the platform's arrow; the choice is shown on it
  // at the next frame.
  state.cursorShown = CURSOR_ARROW;
}

void Graphics_SetCursor(int32_t value) {
  GraphicsState& state = Graphics_State();
  state.cursor = value;
  CursorShape shape = Cursor_FromValue(value);
  if (shape != CURSOR_KEEP) state.cursorChosen = shape;
}

CursorShape Graphics_CursorShown() { return Graphics_State().cursorShown; }

void Graphics_ApplyCursor() {
  GraphicsState& state = Graphics_State();
  if (state.cursorChosen == state.cursorShown || !state.cursorSetter) return;
  state.cursorSetter(state.cursorChosen);
  state.cursorShown = state.cursorChosen;
}

void Graphics_RegisterBuiltins() {
  Function_Add("draw_sprite_ext", F_DrawSpriteExt, 9, true);
  Function_Add("draw_sprite", F_DrawSprite, 4, true);
  Function_Add("draw_text", F_DrawText, 3, true);
  Function_Add("draw_text_color", F_DrawTextColour, 8, true);
  Function_Add("draw_text_colour", F_DrawTextColour, 8, true);
  Function_Add("draw_set_colour", F_DrawSetColour, 1, true);
  Function_Add("draw_set_color", F_DrawSetColour, 1, true);
  Function_Add("draw_set_alpha", F_DrawSetAlpha, 1, true);
  Function_Add("draw_get_colour", F_DrawGetColour, 0, true);
  Function_Add("draw_get_color", F_DrawGetColour, 0, true);
  Function_Add("draw_get_alpha", F_DrawGetAlpha, 0, true);
  Function_Add("draw_set_font", F_DrawSetFont, 1, true);
  Function_Add("draw_set_halign", F_DrawSetHalign, 1, true);
  Function_Add("draw_set_valign", F_DrawSetValign, 1, true);
  Function_Add("make_colour_rgb", F_MakeColourRgb, 3, true);
  Function_Add("make_color_rgb", F_MakeColourRgb, 3, true);
  Function_Add("sprite_exists", F_SpriteExists, 1, true);
  Function_Add("sprite_get_number", F_SpriteGetNumber, 1, true);
  Function_Add("sprite_get_name", F_SpriteGetName, 1, true);
  Function_Add("window_set_cursor", F_WindowSetCursor, 1, true);
}
