// SPDX-License-Identifier: Zlib
// The frame's draw pass: clear, pre-draw, per view draw begin / the room's
// layers from the greatest depth to the least / draw end, post-draw and the
// GUI events; instances without a Draw event are drawn with their own sprite.
#include <algorithm>
#include <cmath>
#include <vector>

#include "data/GameData.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "graphics/PngWrite.h"
#include "object/Event.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"

namespace {

// The room's size when no room is given.
constexpr float DEFAULT_ROOM_WIDTH = 1024, DEFAULT_ROOM_HEIGHT = 768;

bool HasEvent(const CObjectType* object, int type, int subtype) {
  // Bounded by the object count so that a parent cycle in damaged data ends.
  for (int steps = Object_Count(); object && steps >= 0; --steps) {
    if (object->FindOwnEvent(type, subtype)) return true;
    if (object->parentIndex < 0) break;
    object = Object_Get(object->parentIndex);
  }
  return false;
}

bool DepthGreater(const CInstance* a, const CInstance* b) { return a->depth > b->depth; }

// Visible instances from the back to the front.
// Without layers: the room list from its end (greatest depth) to its start,
// so that among equal depths the instance filed later comes first.
// With layers: by depth from the greatest, and among equal depths in filing
// order, so that a control placed in the room after the panel it sits on is
// drawn over that panel (the editor's text boxes and checkbox over the
// properties panel, its rows over the list's frame).
void CollectDrawOrder(bool layered, std::vector<CInstance*>* order) {
  order->clear();
  if (!layered) {
    for (CInstance* i = Room_Instances().list.last; i; i = i->previous)
      if (i->Active() && i->visible) order->push_back(i);
    return;
  }
  for (CInstance* i = Room_Instances().list.first; i; i = i->next)
    if (i->Active() && i->visible) order->push_back(i);
  std::stable_sort(order->begin(), order->end(), DepthGreater);
}

void RunDrawEvent(const std::vector<CInstance*>& order, int subtype) {
  for (CInstance* instance : order)
    if (instance->Active()) Perform_Event(instance, instance, ev_draw, subtype);
}

void DrawInstance(CInstance* instance) {
  if (!instance->Active()) return;
  if (HasEvent(instance->object, ev_draw, ev_draw_normal)) {
    Perform_Event(instance, instance, ev_draw, ev_draw_normal);
    return;
  }
  CSprite* sprite = Graphics_Sprite(instance->spriteIndex);
  if (!sprite || instance->imageXScale == 0 || instance->imageYScale == 0) return;
  uint32_t colour = Colour_WithAlpha(static_cast<uint32_t>(instance->imageBlend), Colour_AlphaByte(instance->imageAlpha));
  Graphics_DrawSpriteExt(*sprite, static_cast<int>(std::floor(instance->imageIndex)), instance->x, instance->y,
                         instance->imageXScale, instance->imageYScale, instance->imageAngle, colour);
}

void SetProjection(const ViewRect& view, uint32_t clearColour, bool clear) {
  GraphicsState& state = Graphics_State();
  Batch_Flush();  // what was drawn before belongs to the previous projection
  Graphics_SetView(view.x, view.y, view.width, view.height);
  if (state.renderer) state.renderer->SetProjectionAndClear(view, clearColour, clear);
  state.projectedView = view;
  state.reservedAtProjection = state.batch.reservedTotal;
}

// An opaque fill drawn with the normal blend over the whole view before
// anything else is drawn leaves exactly what a clear to its colour leaves.
bool FillIsAClear(uint32_t colour, const ViewRect& room) {
  const GraphicsState& state = Graphics_State();
  const ViewRect& view = state.projectedView;
  return (colour >> 24) == 0xFF && state.blendMode == 0 && state.batch.reservedTotal == state.reservedAtProjection &&
         room.x <= view.x && room.y <= view.y && room.x + room.width >= view.x + view.width &&
         room.y + room.height >= view.y + view.height;
}

// A background layer: its sprite (stretched over the room when asked), or a
// fill of its colour when it has none.
void DrawBackgroundLayer(const RoomLayer& layer, const ViewRect& room) {
  if (layer.type != 1 || !layer.visible || !layer.bgVisible) return;
  GraphicsState& state = Graphics_State();
  const uint32_t colour = layer.bgColour;
  if (CSprite* sprite = Graphics_Sprite(layer.bgSprite)) {
    float sx = 1, sy = 1;
    if (layer.bgStretch && sprite->width > 0 && sprite->height > 0) {
      sx = room.width / static_cast<float>(sprite->width);
      sy = room.height / static_cast<float>(sprite->height);
    }
    int frame;
    if (Sprite_ChooseFrame(*sprite, layer.bgFirstFrame, &frame))
      Graphics_DrawSpriteQuad(*sprite, frame, layer.offsetX + sprite->xOrigin * sx, layer.offsetY + sprite->yOrigin * sy,
                              sx, sy, 0, colour);
    return;
  }
  if ((colour >> 24) == 0) return;  // a transparent fill changes nothing
  if (FillIsAClear(colour, room)) {
    // Same pixels, a fraction of the work: a renderer clears a target far
    // faster than it rasterises two triangles over all of it.
    SetProjection(state.projectedView, colour, true);
    return;
  }
  Vertex* v = Batch_ReserveVertices(PRIM_TRIANGLE_LIST, TEXTURE_NONE, 6);
  if (!v) return;
  const float l = room.x, t = room.y, r = room.x + room.width, b = room.y + room.height, z = state.depthZ;
  v[0] = {0, 0, colour, l, t, z};
  v[1] = {0, 0, colour, r, t, z};
  v[2] = {0, 0, colour, r, b, z};
  v[3] = v[2];
  v[4] = {0, 0, colour, l, b, z};
  v[5] = v[0];
}

// The room's layers and instances from the greatest depth to the least.
void DrawRoomContents(const RoomRecord* room, const std::vector<CInstance*>& order, const ViewRect& roomRect) {
  std::vector<const RoomLayer*> backgrounds;
  if (room)
    for (const RoomLayer& layer : room->layers)
      if (layer.type == 1) backgrounds.push_back(&layer);
  std::stable_sort(backgrounds.begin(), backgrounds.end(),
                   [](const RoomLayer* a, const RoomLayer* b) { return a->depth > b->depth; });
  size_t next = 0;
  for (CInstance* instance : order) {
    // A layer's background goes before the instances of its depth.
    while (next < backgrounds.size() && static_cast<float>(backgrounds[next]->depth) >= std::trunc(instance->depth))
      DrawBackgroundLayer(*backgrounds[next++], roomRect);
    DrawInstance(instance);
  }
  while (next < backgrounds.size()) DrawBackgroundLayer(*backgrounds[next++], roomRect);
}

}  // namespace

void Graphics_DrawFrame(const RoomRecord* room) {
  ViewRect roomRect{0, 0, DEFAULT_ROOM_WIDTH, DEFAULT_ROOM_HEIGHT};
  if (room && room->width > 0 && room->height > 0)
    roomRect = {0, 0, static_cast<float>(room->width), static_cast<float>(room->height)};
  const bool clear = !room || room->drawColour;
  const uint32_t clearColour = room ? (room->colour & 0xFFFFFFu) | 0xFF000000u : 0xFF000000u;

  std::vector<ViewRect> views;
  if (room && room->ViewsEnabled())
    for (const RoomView& view : room->views)
      if (view.enabled && view.viewWidth > 0 && view.viewHeight > 0)
        views.push_back({static_cast<float>(view.viewX), static_cast<float>(view.viewY),
                         static_cast<float>(view.viewWidth), static_cast<float>(view.viewHeight)});
  if (views.empty()) views.push_back(roomRect);

  std::vector<CInstance*> order;
  const bool layered = room && !room->layers.empty();
  CollectDrawOrder(layered, &order);

  SetProjection(views.front(), clearColour, clear);
  RunDrawEvent(order, ev_draw_pre);
  for (size_t i = 0; i < views.size(); ++i) {
    if (i > 0) SetProjection(views[i], clearColour, false);
    RunDrawEvent(order, ev_draw_begin);
    DrawRoomContents(room, order, roomRect);
    RunDrawEvent(order, ev_draw_end);
  }
  RunDrawEvent(order, ev_draw_post);
  // The GUI is drawn over the whole room rectangle.
  if (views.size() > 1 || views.front().x != roomRect.x || views.front().y != roomRect.y ||
      views.front().width != roomRect.width || views.front().height != roomRect.height)
    SetProjection(roomRect, clearColour, false);
  RunDrawEvent(order, ev_gui_begin);
  RunDrawEvent(order, ev_gui);
  RunDrawEvent(order, ev_gui_end);
  Batch_Flush();
}

void Graphics_Present() {
  GraphicsState& state = Graphics_State();
  Batch_Flush();
  if (state.renderer) state.renderer->Present();
}

bool Graphics_SaveScreenshot(const char* path) {
  GraphicsState& state = Graphics_State();
  if (!state.renderer || !path) return false;
  Batch_Flush();
  std::vector<uint8_t> rgba;
  int width = 0, height = 0;
  if (!state.renderer->ReadPixels(&rgba, &width, &height)) return false;
  return Png_WriteRgba(path, width, height, rgba.data());
}
