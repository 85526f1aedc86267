// SPDX-License-Identifier: Zlib
// Buttons, panels, handles and markers of the editor. One dark-slate look:
// buttons are rounded plates with a light rim and a light icon; hovering
// brightens the plate and turns the rim blue, pressing darkens it and moves
// the icon down a pixel, disabled greys everything out, and "on" states
// (playing, paused, editing, active) use a warm amber.
#include <functional>
#include <map>
#include <string>

#include "geometry.h"
#include "pixel_font.h"
#include "sprites.h"

namespace artgen {

namespace {

enum class State { Idle, Hover, Pressed, Disabled, On };

struct Look {
  Rgba top, bottom, rim, icon;
  double iconShift;  // pressed icons sit one pixel lower
};

Look lookOf(State s) {
  switch (s) {
    case State::Idle: return {rgb(66, 75, 94), rgb(42, 48, 62), rgb(118, 132, 160), rgb(228, 233, 242), 0};
    case State::Hover: return {rgb(84, 100, 130), rgb(54, 66, 90), rgb(132, 192, 255), rgb(255, 255, 255), 0};
    case State::Pressed: return {rgb(32, 38, 52), rgb(48, 57, 76), rgb(98, 160, 240), rgb(196, 222, 255), 1};
    case State::Disabled: return {rgb(38, 40, 46), rgb(34, 36, 42), rgb(70, 74, 84), rgb(92, 96, 106), 0};
    case State::On: return {rgb(255, 204, 104), rgb(228, 150, 48), rgb(255, 230, 170), rgb(48, 32, 16), 0};
  }
  return {};
}

const Rgba kAmber = rgb(255, 196, 90);
const Rgba kBlue = rgb(132, 192, 255);

using Inside = std::function<bool(Vec2)>;

Mask maskOf(int w, int h, const Inside& f) {
  return Mask::from(w, h, [&](double x, double y) { return f({x, y}); });
}

// A rounded plate covering the whole sprite: rim, gradient body, a faint
// highlight along the top.
void plate(Image& img, const Look& l, double radius) {
  const int w = img.width(), h = img.height();
  img.paint(maskOf(w, h, [&](Vec2 p) { return sdRoundRect(p, 0, 0, w, h, radius) < 0; }), l.rim);
  const double in = 1.5;
  img.paintGradient(
      maskOf(w, h, [&](Vec2 p) { return sdRoundRect(p, in, in, w - in, h - in, radius - in) < 0; }),
      l.top, l.bottom, in, h - in);
  img.paint(maskOf(w, h,
                   [&](Vec2 p) {
                     return sdRoundRect(p, in, in, w - in, h - in, radius - in) < 0 &&
                            sdRoundRect(p, in, in + 1, w - in, h - in, radius - in) >= 0;
                   }),
            rgb(255, 255, 255, 0.18));
}

// A round plate filling the sprite's square.
void roundPlate(Image& img, const Look& l) {
  const int w = img.width();
  const Vec2 c = {w / 2.0, w / 2.0};
  const double r = w / 2.0;
  img.paint(maskOf(w, w, [&](Vec2 p) { return sdCircle(p, c, r) < 0; }), l.rim);
  img.paintGradient(maskOf(w, w, [&](Vec2 p) { return sdCircle(p, c, r - 1.5) < 0; }), l.top, l.bottom, 1.5,
                    w - 1.5);
}

// Icon painted with a thin dark halo so it reads on any plate.
void icon(Image& img, const Look& l, const Inside& f) {
  const int w = img.width(), h = img.height();
  const Mask m = maskOf(w, h, [&](Vec2 p) { return f({p.x, p.y - l.iconShift}); });
  img.paint(m, l.icon);
}

// Shapes of the icons, centred on c with a size s (about the icon's height).
bool arrowUp(Vec2 p, Vec2 c, double s) {
  const std::vector<Vec2> head = {{c.x, c.y - s * 0.5}, {c.x + s * 0.42, c.y - s * 0.02}, {c.x - s * 0.42, c.y - s * 0.02}};
  return sdPolygon(p, head) < 0 || sdRoundRect(p, c.x - s * 0.13, c.y - s * 0.1, c.x + s * 0.13, c.y + s * 0.5, 0.6) < 0;
}
bool playTriangle(Vec2 p, Vec2 c, double s) {
  const std::vector<Vec2> t = {{c.x - s * 0.36, c.y - s * 0.5}, {c.x + s * 0.5, c.y}, {c.x - s * 0.36, c.y + s * 0.5}};
  return sdPolygon(p, t) < -0.3;
}
bool pauseBars(Vec2 p, Vec2 c, double s) {
  return sdRoundRect(p, c.x - s * 0.42, c.y - s * 0.45, c.x - s * 0.12, c.y + s * 0.45, 0.8) < 0 ||
         sdRoundRect(p, c.x + s * 0.12, c.y - s * 0.45, c.x + s * 0.42, c.y + s * 0.45, 0.8) < 0;
}
bool stopSquare(Vec2 p, Vec2 c, double s) {
  return sdRoundRect(p, c.x - s * 0.4, c.y - s * 0.4, c.x + s * 0.4, c.y + s * 0.4, 1.2) < 0;
}
// Skip, used by both skip buttons (drawn unturned): a bar with a triangle
// pointing away from it on each side.
bool skipBoth(Vec2 p, Vec2 c, double s) {
  const std::vector<Vec2> l = {{c.x - s * 0.14, c.y - s * 0.36}, {c.x - s * 0.62, c.y}, {c.x - s * 0.14, c.y + s * 0.36}};
  const std::vector<Vec2> r = {{c.x + s * 0.14, c.y - s * 0.36}, {c.x + s * 0.62, c.y}, {c.x + s * 0.14, c.y + s * 0.36}};
  return sdPolygon(p, l) < -0.2 || sdPolygon(p, r) < -0.2 ||
         sdRoundRect(p, c.x - s * 0.05, c.y - s * 0.42, c.x + s * 0.05, c.y + s * 0.42, 0.5) < 0;
}

Frames buttonFrames(int w, int h, const std::vector<State>& states, bool round, double radius,
                    const std::function<bool(Vec2, const Look&)>& iconShape) {
  Frames out;
  for (State s : states) {
    Image img(w, h);
    const Look l = lookOf(s);
    if (round)
      roundPlate(img, l);
    else
      plate(img, l, radius);
    icon(img, l, [&](Vec2 p) { return iconShape(p, l); });
    out.push_back(std::move(img));
  }
  return out;
}

// Wide labelled buttons: an icon on the left, the label on the right.
Frames labelledButton(const std::vector<std::string>& lines, const std::function<bool(Vec2)>& iconShape) {
  const int w = 128, h = 64;
  Frames out;
  for (State s : {State::Idle, State::Hover}) {
    Image img(w, h);
    const Look l = lookOf(s);
    plate(img, l, 10);
    img.paint(maskOf(w, h, iconShape), l.icon);
    const int scale = 2, lineH = kGlyphH * scale, gap = 5;
    const int total = static_cast<int>(lines.size()) * lineH + (static_cast<int>(lines.size()) - 1) * gap;
    int y = (h - total) / 2;
    for (const std::string& line : lines) {
      const int tx = 84 - textWidth(line, scale) / 2;
      img.paint(textMask(w, h, line, tx + 1, y + 1, scale), rgb(0, 0, 0, 0.35));
      img.paint(textMask(w, h, line, tx, y, scale), l.icon);
      y += lineH + gap;
    }
    out.push_back(std::move(img));
  }
  return out;
}

// Dashes along a rounded rectangle's rim: on for `on` pixels of every `period`.
bool dashed(Vec2 p, double w, double h, double period, double on) {
  const bool vertical = std::min(p.x, w - p.x) < std::min(p.y, h - p.y);
  const double along = vertical ? p.y : p.x;
  return std::fmod(along + period * 0.25, period) < on;
}

// Frame corners: L-shaped brackets of length len and thickness t.
bool brackets(Vec2 p, double w, double h, double len, double t) {
  const double dx = std::min(p.x, w - p.x), dy = std::min(p.y, h - p.y);
  return (dx < t && dy < len) || (dy < t && dx < len);
}

// ---- the sprites ---------------------------------------------------------

Frames outline() {
  Image img(64, 64);
  img.paint(maskOf(64, 64, [](Vec2 p) { return p.x < 1 || p.y < 1 || p.x > 63 || p.y > 63; }), rgb(92, 104, 130));
  return {img};
}

Frames crosshair() {
  Image img(13, 13);
  const Vec2 c = {6.5, 6.5};
  img.paint(maskOf(13, 13,
                   [&](Vec2 p) {
                     const double dx = std::abs(p.x - c.x), dy = std::abs(p.y - c.y);
                     const bool arms = (dx < 0.5 || dy < 0.5) && std::max(dx, dy) > 2.5;
                     return arms || (dx < 0.5 && dy < 0.5);
                   }),
            rgb(220, 226, 236, 0.85));
  img.paint(maskOf(13, 13, [&](Vec2 p) { return std::abs(sdCircle(p, c, 3.6)) < 0.45; }), rgb(220, 226, 236, 0.55));
  return {img};
}

Frames shapeSelector() {
  return buttonFrames(32, 32, {State::Idle, State::Hover, State::Pressed}, false, 6, [](Vec2 p, const Look&) {
    const Vec2 c = {16, 16};
    double d = sdCircle(p, c, 7);
    for (int i = 0; i < 5; ++i) {
      const double a = i * 2 * kPi / 5 - kPi / 2;
      d = smoothUnion(d, sdCircle(p, {c.x + 7 * std::cos(a), c.y + 7 * std::sin(a)}, 3.2), 2.5);
    }
    return d < 0 && d > -2.2;
  });
}

// Swatch drawn tinted with its colour: white body, grey rim (a darker shade
// after tinting). Hovered it grows to the full square and gets a bright inner ring.
Frames colourSwatch() {
  Frames out;
  for (int f = 0; f < 2; ++f) {
    Image img(32, 32);
    const double in = f == 0 ? 2.0 : 0.0;
    img.paint(maskOf(32, 32, [&](Vec2 p) { return sdRoundRect(p, in, in, 32 - in, 32 - in, 7) < 0; }), rgb(150, 150, 150));
    img.paintGradient(
        maskOf(32, 32, [&](Vec2 p) { return sdRoundRect(p, in + 1.5, in + 1.5, 32 - in - 1.5, 32 - in - 1.5, 5.5) < 0; }),
        rgb(255, 255, 255), rgb(226, 226, 226), in, 32 - in);
    if (f == 1)
      img.paint(maskOf(32, 32, [&](Vec2 p) { return std::abs(sdRoundRect(p, 4, 4, 28, 28, 4)) < 0.7; }), rgb(255, 255, 255));
    out.push_back(std::move(img));
  }
  return out;
}

Frames colourSelected() {
  Image img(32, 32);
  img.paint(maskOf(32, 32, [](Vec2 p) { return sdRoundRect(p, 0, 0, 32, 32, 7) < 0 && sdRoundRect(p, 4, 4, 28, 28, 3.5) >= 0; }),
            rgb(20, 20, 24, 0.9));
  img.paint(maskOf(32, 32, [](Vec2 p) { return sdRoundRect(p, 1, 1, 31, 31, 6) < 0 && sdRoundRect(p, 3, 3, 29, 29, 4.5) >= 0; }),
            rgb(255, 255, 255));
  // A small check badge in the lower right corner.
  img.paint(maskOf(32, 32, [](Vec2 p) { return sdCircle(p, {24, 24}, 6) < 0; }), rgb(20, 20, 24));
  img.paint(maskOf(32, 32, [](Vec2 p) { return sdCircle(p, {24, 24}, 4.8) < 0; }), rgb(255, 255, 255));
  img.paint(maskOf(32, 32, [](Vec2 p) { return sdSegment(p, {21.4, 24.2}, {23.4, 26.2}, 0.8) < 0 || sdSegment(p, {23.4, 26.2}, {26.8, 21.8}, 0.8) < 0; }),
            rgb(20, 20, 24));
  return {img};
}

Frames hoverList() {
  Image fill(100, 15);
  fill.paint(maskOf(100, 15, [](Vec2 p) { return sdRoundRect(p, 1, 1, 99, 14, 2) < 0; }), rgb(160, 200, 255, 0.16));
  Image ring(100, 15);
  ring.paint(maskOf(100, 15, [](Vec2 p) { return sdRoundRect(p, 0, 0, 100, 15, 3) < 0 && sdRoundRect(p, 1, 1, 99, 14, 2) >= 0; }),
             rgb(160, 200, 255, 0.8));
  fill.over(ring);
  return {fill};
}

Frames selectedList() {
  Image img(200, 10);
  img.paintGradient(maskOf(200, 10, [](Vec2 p) { return sdRoundRect(p, 0, 0, 200, 10, 4) < 0; }), rgb(84, 124, 200, 0.85),
                    rgb(54, 86, 150, 0.85), 0, 10);
  img.paint(maskOf(200, 10, [](Vec2 p) { return sdRoundRect(p, 0, 0, 200, 10, 4) < 0 && p.y < 1.2; }), rgb(180, 210, 255, 0.5));
  return {img};
}

// Handle knobs: dark disc, light rim, white symbol; hover turns the rim
// blue, dragging fills the knob with blue. The silhouette is the same in all
// frames so the clickable area does not change under the mouse.
struct KnobLook {
  Rgba fill, rim, symbol;
};
KnobLook knobLook(int frame) {
  if (frame == 0) return {rgb(36, 42, 56), rgb(226, 232, 242), rgb(255, 255, 255)};
  if (frame == 1) return {rgb(48, 70, 104), kBlue, rgb(255, 255, 255)};
  return {rgb(84, 150, 240), rgb(255, 255, 255), rgb(255, 255, 255)};
}

Frames rotateKnob() {
  Frames out;
  const int w = 105, h = 120;
  const Vec2 c = {52.5, 6.5};
  for (int f = 0; f < 3; ++f) {
    const KnobLook k = knobLook(f);
    Image img(w, h);
    // Knob disc (x 47..57, y 1..11) on a short stem down to y 14.
    img.paint(maskOf(w, h, [&](Vec2 p) { return sdCircle(p, c, 5.5) < 0 || sdRoundRect(p, 51.5, 10, 53.5, 15, 0.3) < 0; }), k.rim);
    img.paint(maskOf(w, h, [&](Vec2 p) { return sdCircle(p, c, 4.3) < 0; }), k.fill);
    // A three-quarter circular arrow.
    img.paint(maskOf(w, h,
                     [&](Vec2 p) {
                       const Vec2 d = p - c;
                       const double a = std::atan2(d.y, d.x);
                       const bool arc = std::abs(length(d) - 2.4) < 0.6 && !(a > -kPi / 2 && a < 0);
                       const std::vector<Vec2> head = {{c.x + 0.6, c.y - 4.0}, {c.x + 0.6, c.y - 0.8}, {c.x + 2.6, c.y - 2.4}};
                       return arc || sdPolygon(p, head) < 0;
                     }),
              k.symbol);
    out.push_back(std::move(img));
  }
  return out;
}

Frames resizeKnob() {
  Frames out;
  const int w = 120, h = 120;
  const Vec2 c = {102, 18};  // knob box is x 84..119, y 0..35
  const Vec2 a = {84.0, 36.0}, b = {120.0, 0.0};  // outer corners of the box
  for (int f = 0; f < 3; ++f) {
    const KnobLook k = knobLook(f);
    Image img(w, h);
    auto arrow = [&](Vec2 p, double grow) {
      const Vec2 dir = (b - a) * (1.0 / length(b - a));
      const Vec2 nrm = {-dir.y, dir.x};
      const double headLen = 9 + grow, headW = 6 + grow;
      const Vec2 tipA = a + dir * (0.15 - grow * 0.2), tipB = b - dir * (0.15 - grow * 0.2);
      const Vec2 baseA = tipA + dir * headLen, baseB = tipB - dir * headLen;
      const std::vector<Vec2> hA = {tipA, baseA + nrm * headW, baseA - nrm * headW};
      const std::vector<Vec2> hB = {tipB, baseB + nrm * headW, baseB - nrm * headW};
      return sdPolygon(p, hA) < 0 || sdPolygon(p, hB) < 0 || sdSegment(p, baseA, baseB, 1.6 + grow * 0.8) < 0;
    };
    // Rim-coloured arrow and disc first, the fill and the white arrow inside.
    const Mask outer = maskOf(w, h, [&](Vec2 p) { return (arrow(p, 1.4) || sdCircle(p, c, 11.5) < 0) && p.x >= 84 && p.y < 36; });
    img.paint(outer, rgb(20, 24, 32, 0.9));
    img.paint(maskOf(w, h, [&](Vec2 p) { return sdCircle(p, c, 10.3) < 0; }), k.rim);
    img.paint(maskOf(w, h, [&](Vec2 p) { return sdCircle(p, c, 8.8) < 0; }), k.fill);
    img.paint(maskOf(w, h, [&](Vec2 p) { return arrow(p, 0) && p.x >= 84 && p.y < 36; }), k.symbol);
    out.push_back(std::move(img));
  }
  return out;
}

Frames objectSelected() {
  const int s = 105;
  Image img(s, s);
  const Mask br = maskOf(s, s, [&](Vec2 p) { return brackets(p, s, s, 16, 3); });
  img.paint(maskOf(s, s, [&](Vec2 p) { return brackets(p, s, s, 17, 4) && !brackets(p, s, s, 16, 3) ? true : false; }),
            rgb(10, 14, 22, 0.6));
  img.paint(br, kBlue);
  img.paint(maskOf(s, s,
                   [&](Vec2 p) {
                     const bool rim = std::min(std::min(p.x, s - p.x), std::min(p.y, s - p.y)) < 1.2;
                     return rim && !brackets(p, s, s, 18, 3) && dashed(p, s, s, 8, 4);
                   }),
            rgb(132, 192, 255, 0.75));
  return {img};
}

Frames reorder(bool toTop) {
  return buttonFrames(32, 32, {State::Idle, State::Hover, State::Pressed}, false, 7, [toTop](Vec2 p, const Look& l) {
    (void)l;
    if (!toTop) return arrowUp(p, {16, 16.5}, 17);
    return arrowUp(p, {16, 18.5}, 14) || sdRoundRect(p, 8.5, 7, 23.5, 9.6, 0.8) < 0;
  });
}

Frames exportCode() {
  return labelledButton({"EXPORT"}, [](Vec2 p) {
    // "</>" drawn with strokes.
    const double r = 1.6;
    return sdSegment(p, {24, 22}, {14, 32}, r) < 0 || sdSegment(p, {14, 32}, {24, 42}, r) < 0 ||
           sdSegment(p, {34, 22}, {44, 32}, r) < 0 || sdSegment(p, {44, 32}, {34, 42}, r) < 0 ||
           sdSegment(p, {31.5, 19}, {26.5, 45}, r) < 0;
  });
}

Frames deleteAll() {
  return labelledButton({"DELETE", "ALL"}, [](Vec2 p) {
    // A waste bin: lid with handle, tapered body with ribs.
    const bool lid = sdRoundRect(p, 16, 19, 42, 22.5, 1) < 0 ||
                     (sdRoundRect(p, 24.5, 15, 33.5, 19.5, 1.5) < 0 && sdRoundRect(p, 26.5, 17, 31.5, 20, 0.5) >= 0);
    const std::vector<Vec2> body = {{18, 25}, {40, 25}, {37.5, 48}, {20.5, 48}};
    const double bd = sdPolygon(p, body);
    const bool shell = bd < 0 && bd > -2.0;
    const bool ribs = bd < 0 && (std::abs(p.x - 25) < 0.9 || std::abs(p.x - 29) < 0.9 || std::abs(p.x - 33) < 0.9) && p.y > 28 && p.y < 45;
    return lid || shell || ribs;
  });
}

Frames saveButton() {
  return labelledButton({"SAVE"}, [](Vec2 p) {
    // A floppy disk: body with a cut corner, shutter and label.
    const std::vector<Vec2> body = {{15, 18}, {38, 18}, {44, 24}, {44, 46}, {15, 46}};
    const double d = sdPolygon(p, body);
    const bool shell = d < 0 && d > -2.0;
    const bool shutter = sdRoundRect(p, 20, 18, 35, 27, 0.5) < 0 && sdRoundRect(p, 29, 20, 32.5, 25, 0.3) >= 0;
    const bool label = sdRoundRect(p, 19.5, 33, 39.5, 46, 1) < 0 && sdRoundRect(p, 21.5, 35, 37.5, 44, 0.5) >= 0;
    return shell || shutter || label;
  });
}

// Thumbnail slots along the top strip: 0 the slot of an existing frame, 1
// and 2 the slot that adds a frame, 3 that slot under the mouse.
Frames previewOutline() {
  const int s = 90;
  Frames out;
  for (int f = 0; f < 4; ++f) {
    Image img(s, s);
    const Mask body = maskOf(s, s, [&](Vec2 p) { return sdRoundRect(p, 0, 0, s, s, 8) < 0; });
    const Mask inner = maskOf(s, s, [&](Vec2 p) { return sdRoundRect(p, 1.5, 1.5, s - 1.5, s - 1.5, 6.5) < 0; });
    Mask rim = body;
    rim.subtract(inner);
    if (f == 0) {
      img.paint(inner, rgb(18, 21, 28, 0.92));
      img.paint(rim, rgb(66, 74, 92));
    } else {
      const bool hover = f == 3;
      img.paint(inner, hover ? rgb(60, 90, 140, 0.35) : rgb(18, 21, 28, 0.55));
      Mask dash = maskOf(s, s, [&](Vec2 p) { return dashed(p, s, s, 10, 6); });
      if (!hover) rim.intersect(dash);
      img.paint(rim, hover ? kBlue : (f == 2 ? rgb(150, 164, 190) : rgb(110, 122, 148)));
      const Rgba plus = hover ? rgb(255, 255, 255) : (f == 2 ? rgb(190, 200, 220) : rgb(130, 142, 166));
      img.paint(maskOf(s, s, [&](Vec2 p) {
                  return sdRoundRect(p, 43, 31, 47, 59, 1.5) < 0 || sdRoundRect(p, 31, 43, 59, 47, 1.5) < 0;
                }),
                plus);
    }
    out.push_back(std::move(img));
  }
  return out;
}

Frames canvasPreviewOutline() {
  const int s = 270;
  Image img(s, s);
  img.paint(maskOf(s, s,
                   [&](Vec2 p) {
                     const bool rim = std::min(std::min(p.x, s - p.x), std::min(p.y, s - p.y)) < 1;
                     return rim && dashed(p, s, s, 12, 6) && !brackets(p, s, s, 24, 2);
                   }),
            rgb(150, 160, 180, 0.45));
  img.paint(maskOf(s, s, [&](Vec2 p) { return brackets(p, s, s, 22, 2); }), rgb(170, 180, 200, 0.8));
  return {img};
}

Frames frameSelect() {
  const int s = 92;
  Frames out;
  for (int f = 0; f < 3; ++f) {
    Image img(s, s);
    const double t = f == 0 ? 1.5 : (f == 1 ? 2.0 : 3.0);
    const Rgba c = f == 0 ? rgb(96, 108, 134) : (f == 1 ? kBlue : kAmber);
    if (f == 1) img.paint(maskOf(s, s, [&](Vec2 p) { return sdRoundRect(p, 0, 0, s, s, 9) < 0; }), rgb(150, 190, 255, 0.08));
    img.paint(maskOf(s, s, [&](Vec2 p) { return sdRoundRect(p, 0, 0, s, s, 9) < 0 && sdRoundRect(p, t, t, s - t, s - t, 9 - t) >= 0; }), c);
    if (f == 2)
      img.paint(maskOf(s, s, [&](Vec2 p) { return sdRoundRect(p, t, t, s - t, s - t, 9 - t) < 0 && sdRoundRect(p, t + 2, t + 2, s - t - 2, s - t - 2, 7 - t) >= 0; }),
                rgb(255, 196, 90, 0.3));
    out.push_back(std::move(img));
  }
  return out;
}

Frames playAnimation() {
  return buttonFrames(25, 25, {State::Idle, State::Hover, State::On}, true, 0, [](Vec2 p, const Look& l) {
    const Vec2 c = {12.5, 12.5};
    if (l.icon.r < 0.5) return pauseBars(p, c, 10);  // playing: show how to stop it
    return playTriangle(p, {13.3, 12.5}, 10.5);
  });
}

Frames frameDelete() {
  Frames out;
  const Rgba fills[3] = {rgb(86, 90, 100), rgb(196, 58, 58), rgb(244, 96, 90)};
  const Rgba crosses[3] = {rgb(160, 164, 172), rgb(255, 255, 255), rgb(255, 255, 255)};
  for (int f = 0; f < 3; ++f) {
    Image img(10, 10);
    img.paint(maskOf(10, 10, [](Vec2 p) { return sdRoundRect(p, 0, 0, 10, 10, 2.5) < 0; }), fills[f]);
    img.paint(maskOf(10, 10, [](Vec2 p) { return sdSegment(p, {3, 3}, {7, 7}, 0.75) < 0 || sdSegment(p, {7, 3}, {3, 7}, 0.75) < 0; }),
              crosses[f]);
    out.push_back(std::move(img));
  }
  return out;
}

// Collision disc of the canvas objects; if ever drawn, a faint disc with a rim.
Frames selectCircle() {
  Image img(64, 64);
  img.paint(maskOf(64, 64, [](Vec2 p) { return sdCircle(p, {32, 32}, 32) < 0; }), rgb(255, 255, 255, 0.25));
  img.paint(maskOf(64, 64, [](Vec2 p) { return std::abs(sdCircle(p, {32, 32}, 31)) < 1; }), rgb(255, 255, 255, 0.8));
  return {img};
}

// Properties panel, drawn under its six text boxes and the animate checkbox.
// The labels sit beside the boxes' places in the room (boxes centred 67 and
// 167 across, 15, 43 and 70 down; checkbox at 118, 83).
Frames propertiesPanel() {
  const int w = 192, h = 96;
  Image img(w, h);
  img.paint(maskOf(w, h, [&](Vec2 p) { return sdRoundRect(p, 0, 0, w, h, 6) < 0; }), rgb(96, 108, 134));
  img.paintGradient(maskOf(w, h, [&](Vec2 p) { return sdRoundRect(p, 1, 1, w - 1, h - 1, 5) < 0; }), rgb(34, 39, 50),
                    rgb(26, 30, 39), 0, h);
  const Rgba label = rgb(170, 180, 200);
  auto text = [&](const std::string& s, double x, double y) { img.paint(textMask(w, h, s, x, y, 1), label); };
  const int rows[3] = {12, 40, 67};
  const char* left[3] = {"X POS", "Y POS", "ANGLE"};
  const char* right[3] = {"SCALE X", "SCALE Y", "ALPHA"};
  for (int i = 0; i < 3; ++i) {
    text(left[i], 38 - textWidth(left[i], 1), rows[i]);
    text(right[i], 138 - textWidth(right[i], 1), rows[i]);
  }
  text("ANIMATE", 131, 80);
  return {img};
}

Frames checkbox() {
  Frames out;
  for (int f = 0; f < 2; ++f) {
    Image img(19, 17);
    const Look l = lookOf(f == 0 ? State::Idle : State::On);
    img.paint(maskOf(19, 17, [](Vec2 p) { return sdRoundRect(p, 0, 0, 19, 17, 3.5) < 0; }), l.rim);
    img.paintGradient(maskOf(19, 17, [](Vec2 p) { return sdRoundRect(p, 1.5, 1.5, 17.5, 15.5, 2.2) < 0; }),
                      f == 0 ? rgb(22, 26, 34) : l.top, f == 0 ? rgb(30, 35, 46) : l.bottom, 1.5, 15.5);
    if (f == 1)
      img.paint(maskOf(19, 17, [](Vec2 p) { return sdSegment(p, {5, 8.8}, {8.2, 12}, 1.3) < 0 || sdSegment(p, {8.2, 12}, {14, 4.6}, 1.3) < 0; }),
                l.icon);
    out.push_back(std::move(img));
  }
  return out;
}

Frames checkboxHover() {
  Image img(19, 17);
  img.paint(maskOf(19, 17, [](Vec2 p) { return sdRoundRect(p, 1.5, 1.5, 17.5, 15.5, 2.2) < 0; }), rgb(160, 200, 255, 0.18));
  img.paint(maskOf(19, 17, [](Vec2 p) { return sdRoundRect(p, 0, 0, 19, 17, 3.5) < 0 && sdRoundRect(p, 1.5, 1.5, 17.5, 15.5, 2.2) >= 0; }), kBlue);
  return {img};
}

// Text field in the box x 7..53, y 18..43: 0 editing, 1 idle, 2 hovered.
Frames textbox() {
  Frames out;
  const double x0 = 7, y0 = 18, x1 = 54, y1 = 44;
  for (int f = 0; f < 3; ++f) {
    Image img(64, 64);
    const Rgba rim = f == 0 ? kAmber : (f == 1 ? rgb(88, 98, 120) : kBlue);
    const Rgba fill = f == 0 ? rgb(14, 17, 24) : (f == 1 ? rgb(20, 24, 32) : rgb(28, 35, 48));
    const double t = f == 0 ? 1.8 : 1.2;
    img.paint(maskOf(64, 64, [&](Vec2 p) { return sdRoundRect(p, x0, y0, x1, y1, 4) < 0; }), rim);
    img.paint(maskOf(64, 64, [&](Vec2 p) { return sdRoundRect(p, x0 + t, y0 + t, x1 - t, y1 - t, 4 - t) < 0; }), fill);
    // Inner shadow along the top edge makes the field look sunken.
    img.paint(maskOf(64, 64, [&](Vec2 p) { return sdRoundRect(p, x0 + t, y0 + t, x1 - t, y1 - t, 4 - t) < 0 && p.y < y0 + t + 1.5; }),
              rgb(0, 0, 0, 0.35));
    out.push_back(std::move(img));
  }
  return out;
}

Frames musicButton(int frames, const std::function<bool(Vec2)>& shape) {
  std::vector<State> states = {State::Idle, State::Hover, State::Pressed, State::Disabled};
  if (frames == 5) states.push_back(State::On);
  return buttonFrames(28, 28, states, true, 0, [&](Vec2 p, const Look&) { return shape(p); });
}

}  // namespace

Frames drawInterfaceSprite(const SpriteInfo& s) {
  static const std::map<std::string, std::function<Frames()>> kDrawers = {
      {"spr_Outline", outline},
      {"spr_MiddleCrossHair", crosshair},
      {"spr_ShapeSelector", shapeSelector},
      {"spr_Color", colourSwatch},
      {"spr_ColorSelected", colourSelected},
      {"spr_Hover_List", hoverList},
      {"spr_Selected_List", selectedList},
      {"spr_Object_Selected_Resize", resizeKnob},
      {"spr_Object_Selected_Rotate", rotateKnob},
      {"spr_Object_Selected", objectSelected},
      {"spr_ExportCode", exportCode},
      {"spr_reorder_up", [] { return reorder(false); }},
      {"spr_reorder_top", [] { return reorder(true); }},
      {"spr_DeleteAll", deleteAll},
      {"spr_PreviewOutline", previewOutline},
      {"spr_Create_Frame", saveButton},
      {"spr_Canvas_PreviewOutline", canvasPreviewOutline},
      {"spr_FrameSelect", frameSelect},
      {"spr_PlayAnimation", playAnimation},
      {"spr_FrameDelete", frameDelete},
      {"spr_Select_Circle", selectCircle},
      {"spr_Object_Properties", propertiesPanel},
      {"spr_Checkbox", checkbox},
      {"spr_Checkbox_1", checkboxHover},
      {"spr_Textbox", textbox},
      {"spr_Music_Play", [] { return musicButton(4, [](Vec2 p) { return playTriangle(p, {15, 14}, 12); }); }},
      {"spr_Music_Pause", [] { return musicButton(5, [](Vec2 p) { return pauseBars(p, {14, 14}, 12); }); }},
      {"spr_Music_Skip", [] { return musicButton(4, [](Vec2 p) { return skipBoth(p, {14, 14}, 16); }); }},
      {"spr_Music_Stop", [] { return musicButton(4, [](Vec2 p) { return stopSquare(p, {14, 14}, 12); }); }},
  };
  const auto it = kDrawers.find(s.name);
  if (it == kDrawers.end()) return {};
  return it->second();
}

}  // namespace artgen
