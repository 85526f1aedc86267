// SPDX-License-Identifier: Zlib
// mouse_x and mouse_y: the pointer's window position taken into room
// coordinates. The drawing area sits inside the window with an inset on each
// side; without views the room is stretched over it, with views the ports
// are laid out over it and the port under the pointer says which part of the
// room it shows.
#include <cmath>

#include "io/Input.h"

namespace {

struct RoomPoint {
  int x, y;
};

// Through one view: the point in port space maps linearly onto the view's
// area of the room (also outside the port, for the fallback view).
RoomPoint ThroughView(const InputView& view, double qx, double qy) {
  double x = view.viewX, y = view.viewY;
  if (view.portWidth > 0) x += (qx - view.portX) * view.viewWidth / view.portWidth;
  if (view.portHeight > 0) y += (qy - view.portY) * view.viewHeight / view.portHeight;
  return {static_cast<int>(std::trunc(x)), static_cast<int>(std::trunc(y))};
}

RoomPoint MouseInRoom() {
  const InputState& state = Input_State();
  const InputMapping& m = state.mapping;
  double areaWidth = m.windowWidth - 2.0 * m.insetX;
  double areaHeight = m.windowHeight - 2.0 * m.insetY;
  double px = state.live.mouseWindowX - m.insetX;
  double py = state.live.mouseWindowY - m.insetY;

  // The ports of the visible views cover a space as large as their extent;
  // the drawing area shows that space stretched to its own size.
  int lowestVisible = -1;
  double spaceWidth = 0, spaceHeight = 0;
  for (int i = 0; i < INPUT_VIEW_COUNT; ++i) {
    const InputView& v = m.views[i];
    if (!v.visible) continue;
    if (lowestVisible < 0) lowestVisible = i;
    spaceWidth = std::fmax(spaceWidth, static_cast<double>(v.portX) + v.portWidth);
    spaceHeight = std::fmax(spaceHeight, static_cast<double>(v.portY) + v.portHeight);
  }

  if (lowestVisible >= 0) {
    double qx = (areaWidth > 0 && spaceWidth > 0) ? px * spaceWidth / areaWidth : px;
    double qy = (areaHeight > 0 && spaceHeight > 0) ? py * spaceHeight / areaHeight : py;
    // Later views are drawn over earlier ones: the topmost port under the
    // pointer wins.
    for (int i = INPUT_VIEW_COUNT - 1; i >= 0; --i) {
      const InputView& v = m.views[i];
      if (v.visible && qx >= v.portX && qx < v.portX + v.portWidth && qy >= v.portY && qy < v.portY + v.portHeight)
        return ThroughView(v, qx, qy);
    }
    return ThroughView(m.views[lowestVisible], qx, qy);
  }

  // No views: the room fills the drawing area. Before the runner has told
  // the sizes, window pixels are taken as room pixels.
  double x = (areaWidth > 0 && m.roomWidth > 0) ? px * m.roomWidth / areaWidth : px;
  double y = (areaHeight > 0 && m.roomHeight > 0) ? py * m.roomHeight / areaHeight : py;
  return {static_cast<int>(std::trunc(x)), static_cast<int>(std::trunc(y))};
}

}  // namespace

void Input_SetViewMapping(int windowWidth, int windowHeight, int insetX, int insetY, int roomWidth,
                          int roomHeight) {
  InputMapping& m = Input_State().mapping;
  m.windowWidth = windowWidth;
  m.windowHeight = windowHeight;
  m.insetX = insetX;
  m.insetY = insetY;
  m.roomWidth = roomWidth;
  m.roomHeight = roomHeight;
}

void Input_SetViews(const InputView* views, int count) {
  InputMapping& m = Input_State().mapping;
  for (int i = 0; i < INPUT_VIEW_COUNT; ++i) m.views[i] = (views && i < count) ? views[i] : InputView{};
}

int Input_MouseRoomX() { return MouseInRoom().x; }
int Input_MouseRoomY() { return MouseInRoom().y; }
