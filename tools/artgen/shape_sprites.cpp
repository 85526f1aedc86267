// SPDX-License-Identifier: Zlib
// The eleven creature parts that users build figures from. Each shape has a
// white fill sprite (drawn untinted) and a white outline sprite of the same
// silhouette (drawn tinted with the chosen colour), with four frames of a
// small idle animation.
//
// A shape is an inside test in the sprite's pixel space. The generator first
// fits it (a near-identity scale and shift per axis) so that the union of its
// four frames spans the whole sprite, which the collision boxes require; the
// outline is then the band of the silhouette within `stroke` pixels of its
// edge (an exact distance transform of the supersampled mask) plus the
// shape's own detail lines, and the fill is the silhouette a little inset so
// no white shows outside the tinted edge.
#include <cstdio>
#include <functional>
#include <map>
#include <utility>
#include <string>

#include "geometry.h"
#include "shapes.h"
#include "sprites.h"

namespace artgen {

namespace {

double phase(int f) { return f * kPi / 2; }

std::vector<Vec2> bezier(Vec2 a, Vec2 c, Vec2 b, int n) {
  std::vector<Vec2> pts;
  for (int i = 0; i <= n; ++i) {
    const double t = static_cast<double>(i) / n;
    pts.push_back(lerp(lerp(a, c, t), lerp(c, b, t), t));
  }
  return pts;
}

// A tentacle rising from a broad base to a curled tip, suckers on one side.
Shape tentacle() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    std::vector<Vec2> spine;
    for (int i = 0; i <= 24; ++i) {
      const double t = i / 24.0;  // 0 base, 1 tip
      const double sway = 4.0 * std::sin(phase(f) + t * 3.2) * t + 4.0 * std::sin(t * 2.4);
      spine.push_back({27.5 + sway, 140 - t * 128});
    }
    // The curl at the tip: a short arc over to the right and down.
    const Vec2 centre = spine.back() + Vec2{5, 0};
    for (int i = 1; i <= 5; ++i) {
      const double a = kPi + i * 0.5;
      spine.push_back({centre.x + 5 * std::cos(a), centre.y + 5 * std::sin(a)});
    }
    struct Sucker {
      Vec2 c;
      double r;
    };
    std::vector<Sucker> suckers;
    for (int k = 2; k <= 16; k += 2) {
      const Vec2 a = spine[k], b = spine[k + 1];
      const Vec2 dir = (b - a) * (1.0 / length(b - a));
      const double r = 21 + (3.2 - 21) * (k / 29.0);
      suckers.push_back({a + Vec2{dir.y, -dir.x} * (r * 0.45), std::max(1.6, r * 0.22)});
    }
    return FrameShape{[spine](Vec2 p) { return sdTaperedPath(p, spine, 21, 3.2); },
                      [suckers](Vec2 p) {
                        for (const Sucker& k : suckers)
                          if (std::abs(sdCircle(p, k.c, k.r)) < 0.9) return true;
                        return false;
                      }};
  };
  return s;
}

// An eye, almond shaped, whose iris looks around while the lids breathe.
Shape eye() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    const double squash = 1.0 - 0.05 * (1 - std::cos(phase(f)));
    const Vec2 c = {37.5 + 3.0 * std::sin(phase(f)), 24.5};
    return FrameShape{[squash](Vec2 p) {
                        const Vec2 q = {p.x, 24.5 + (p.y - 24.5) / squash};
                        return std::max(sdCircle(q, {37.5, 41}, 40.5), sdCircle(q, {37.5, 8}, 40.5)) + 1.5;
                      },
                      [c](Vec2 p) {
                        const double iris = sdCircle(p, c, 13);
                        const double pupil = sdCircle(p, c, 5.5);
                        const double glint = sdCircle(p, {c.x + 2.6, c.y - 2.6}, 1.8);
                        return std::abs(iris) < 1.3 || (pupil < 0 && glint > 0);
                      }};
  };
  return s;
}

// A dorsal fin swept back, scalloped trailing edge, ribs fanning out.
Shape fin() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    const double sway = 2.0 * std::sin(phase(f));
    const Vec2 tip = {30 + sway, 3};
    std::vector<Vec2> pts = bezier({4, 56}, {9, 14}, tip, 16);
    const std::vector<Vec2> trail = bezier(tip, {56, 22}, {86, 56}, 24);
    for (size_t i = 1; i < trail.size(); ++i) {
      const double t = static_cast<double>(i) / (trail.size() - 1);
      const Vec2 d = trail[i] - trail[i - 1];
      const Vec2 n = Vec2{d.y, -d.x} * (1.0 / length(d));
      const double ripple = 2.2 * std::abs(std::sin(t * 4 * kPi + phase(f) * 0.25)) * std::sin(t * kPi);
      pts.push_back(trail[i] - n * ripple);
    }
    const std::vector<Vec2> base = bezier({86, 56}, {45, 60}, {4, 56}, 12);
    pts.insert(pts.end(), base.begin() + 1, base.end() - 1);
    std::vector<std::pair<Vec2, Vec2>> ribs;
    for (int i = 0; i < 4; ++i) {
      const Vec2 from = {18.0 + i * 15, 55};
      ribs.push_back({from, lerp(from, lerp(tip, {86, 56}, 0.12 + i * 0.2), 0.82)});
    }
    return FrameShape{[pts](Vec2 p) { return sdPolygon(p, pts) + 0.8; },
                      [ribs](Vec2 p) {
                        for (const auto& r : ribs)
                          if (sdSegment(p, r.first, r.second, 1.1) < 0) return true;
                        return false;
                      }};
  };
  return s;
}

// A slime body that wobbles, with a few bubbles inside.
Shape slime() {
  Shape s;
  s.stroke = 5;
  s.frame = [](int f) {
    const double ph = phase(f), bob = 1.5 * std::sin(ph);
    return FrameShape{[ph](Vec2 p) {
                        const Vec2 c = {62.5, 60};
                        const Vec2 d = p - c;
                        const double a = std::atan2(d.y, d.x);
                        double r = 52 * (1 + 0.03 * std::sin(3 * a + ph) + 0.018 * std::sin(5 * a - ph));
                        // Flatter, wider base where it sits.
                        if (d.y > 0) r *= 1 + 0.06 * std::sin(a) * std::sin(a);
                        double dist = length(d) - r;
                        // Three drips at the bottom.
                        for (int i = 0; i < 3; ++i) {
                          const double x = 38 + i * 25;
                          const double len = 9 + 3 * std::sin(ph + i * 2.1);
                          dist = smoothUnion(dist, sdSegment(p, {x, 100}, {x, 100 + len}, 5), 6);
                        }
                        return dist;
                      },
                      [bob](Vec2 p) {
                        return std::abs(sdCircle(p, {44, 44 + bob}, 7)) < 1.2 ||
                               std::abs(sdCircle(p, {58, 30 - bob}, 3.5)) < 1.1 ||
                               std::abs(sdCircle(p, {82, 70 + bob}, 5)) < 1.1;
                      }};
  };
  return s;
}

// A gaping jaw: a ring of flesh around the mouth, teeth pointing in.
Shape jaw() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    const double open = 1.0 + 0.12 * std::sin(phase(f));
    std::vector<std::vector<Vec2>> teeth;
    for (int i = 0; i < 5; ++i) {  // upper teeth
      const double x = 24 + i * 9;
      const double top = 41 - 15 * open * std::sqrt(std::max(0.0, 1 - std::pow((x - 42.5) / 27, 2)));
      teeth.push_back({{x - 4, top - 2}, {x + 4, top - 2}, {x, top + 8}});
    }
    for (int i = 0; i < 4; ++i) {  // lower teeth
      const double x = 28.5 + i * 9;
      const double bot = 41 + 15 * open * std::sqrt(std::max(0.0, 1 - std::pow((x - 42.5) / 27, 2)));
      teeth.push_back({{x - 4, bot + 2}, {x, bot - 7}, {x + 4, bot + 2}});
    }
    return FrameShape{[open, teeth](Vec2 p) {
                        const double outer = sdEllipse(p, {42.5, 40}, 42, 39);
                        double hole = sdEllipse(p, {42.5, 41}, 27, 15 * open);
                        for (const auto& t : teeth) hole = std::max(hole, -sdPolygon(p, t));
                        return std::max(outer, -hole);
                      },
                      [](Vec2 p) {
                        // Cheek creases at both corners of the mouth.
                        return sdSegment(p, {8, 33}, {12, 41}, 1.0) < 0 || sdSegment(p, {77, 33}, {73, 41}, 1.0) < 0;
                      }};
  };
  return s;
}

// A bat wing with scalloped skin between its finger bones; it flaps.
Shape wing() {
  Shape s;
  s.stroke = 3.5;
  s.frame = [](int f) {
    const double lift = 3.0 * std::sin(phase(f));
    const Vec2 root = {3, 14};
    const Vec2 tips[4] = {{73, 3 - lift}, {58, 32 - lift * 0.6}, {38, 34 - lift * 0.3}, {18, 29}};
    std::vector<Vec2> pts = bezier({3, 20}, {2, 6}, root, 4);
    const std::vector<Vec2> top = bezier(root, {38, -6 - lift}, tips[0], 16);
    pts.insert(pts.end(), top.begin() + 1, top.end());
    for (int i = 0; i < 3; ++i) {
      const Vec2 a = tips[i], b = tips[i + 1];
      const std::vector<Vec2> sc = bezier(a, lerp(a, b, 0.5) + Vec2{0, -9}, b, 8);
      pts.insert(pts.end(), sc.begin() + 1, sc.end());
    }
    const std::vector<Vec2> last = bezier(tips[3], {9, 20}, {3, 20}, 6);
    pts.insert(pts.end(), last.begin() + 1, last.end() - 1);
    const Vec2 joint = {14, 11 - lift * 0.2};
    std::vector<Vec2> bones = {lerp(joint, tips[1], 0.9), lerp(joint, tips[2], 0.9), lerp(joint, tips[3], 0.9)};
    return FrameShape{[pts](Vec2 p) { return sdPolygon(p, pts) + 0.5; },
                      [joint, bones](Vec2 p) {
                        for (const Vec2& b : bones)
                          if (sdSegment(p, joint, b, 1.0) < 0) return true;
                        return sdCircle(p, joint, 2.6) < 0;
                      }};
  };
  return s;
}

// A crab claw; the lower finger opens and closes.
Shape claw() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    const std::vector<Vec2> fixedFinger = bezier({41, 44}, {50, 20}, {36, 3}, 10);
    std::vector<Vec2> movingFinger = bezier({19, 46}, {8, 24}, {24, 10}, 10);
    const double ang = -6.0 * (1 - std::cos(phase(f))) / 2;
    for (Vec2& v : movingFinger) v = rotate(v, {19, 46}, ang);
    return FrameShape{[fixedFinger, movingFinger](Vec2 p) {
                        const double palm = sdEllipse(p, {30, 57}, 25, 18);
                        const double fingers =
                            std::min(sdTaperedPath(p, fixedFinger, 10, 2.2), sdTaperedPath(p, movingFinger, 9, 2.0));
                        return smoothUnion(palm, fingers, 4);
                      },
                      [fixedFinger, movingFinger](Vec2 p) {
                        // Ridges across both fingers.
                        for (int k : {3, 5, 7}) {
                          for (const auto* path : {&fixedFinger, &movingFinger}) {
                            const Vec2 a = (*path)[k], b = (*path)[k + 1];
                            const Vec2 dir = (b - a) * (1.0 / length(b - a));
                            const Vec2 n = {dir.y, -dir.x};
                            const double r = 10 - 8 * (k / 10.0);
                            if (sdSegment(p, a - n * (r * 0.75), a + n * (r * 0.75), 0.85) < 0) return true;
                          }
                        }
                        // The seam where the fingers leave the palm.
                        return std::abs(sdEllipse(p, {30, 60}, 17, 9)) < 0.9 && p.y < 60;
                      }};
  };
  return s;
}

// A spiked star whose spikes take turns to stretch, turning slowly.
Shape spikes() {
  Shape s;
  s.stroke = 4.5;
  s.frame = [](int f) {
    const Vec2 c = {50, 50};
    std::vector<Vec2> pts;
    const double turn = 3.0 * std::sin(phase(f)) * kPi / 180;
    for (int i = 0; i < 16; ++i) {
      const double a = i * kPi / 8 + turn - kPi / 2;
      const double r = (i % 2 == 0) ? 46.5 - 3.0 * (1 + std::sin(phase(f) + i * kPi / 4)) / 2 : 25;
      pts.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    const double core = 12 + 1.0 * std::sin(phase(f));
    return FrameShape{[pts, c](Vec2 p) { return smoothUnion(sdPolygon(p, pts), sdCircle(p, c, 29), 5); },
                      [c, core](Vec2 p) { return std::abs(sdCircle(p, c, core)) < 1.3 || sdCircle(p, c, 3.5) < 0; }};
  };
  return s;
}

// A curved horn with a flat base and ring ridges.
Shape horn() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    const double bend = 2.5 * std::sin(phase(f));
    const std::vector<Vec2> spine = bezier({24, 104}, {22, 40}, {44 + bend, 4}, 20);
    std::vector<std::pair<Vec2, Vec2>> ridges;
    for (int k = 4; k <= 14; k += 3) {
      const Vec2 a = spine[k], b = spine[k + 1];
      const Vec2 dir = (b - a) * (1.0 / length(b - a));
      const Vec2 n = {dir.y, -dir.x};
      const double r = 22 + (2.0 - 22) * (k / 20.0);
      ridges.push_back({a - n * (r * 0.7), a + n * (r * 0.7) + dir * 2.5});
    }
    return FrameShape{[spine](Vec2 p) { return std::max(sdTaperedPath(p, spine, 22, 2.0), p.y - 101); },
                      [ridges](Vec2 p) {
                        for (const auto& r : ridges)
                          if (sdSegment(p, r.first, r.second, 0.9) < 0) return true;
                        return false;
                      }};
  };
  return s;
}

// A devil's tail, an S-curve ending in a spade, swaying.
Shape tail() {
  Shape s;
  s.stroke = 3.5;
  s.frame = [](int f) {
    std::vector<Vec2> spine;
    for (int i = 0; i <= 20; ++i) {
      const double t = i / 20.0;
      const double y = 36 + 14 * std::sin(t * 2 * kPi * 0.9 + 0.3 + phase(f) * 0.22) * (0.4 + t * 0.6);
      spine.push_back({4 + t * 72, y});
    }
    const Vec2 end = spine.back(), prev = spine[spine.size() - 3];
    const Vec2 dir = (end - prev) * (1.0 / length(end - prev));
    const Vec2 n = {-dir.y, dir.x};
    const std::vector<Vec2> spade = {end - dir * 3, end - dir * 6 + n * 14, end + dir * 22, end - dir * 6 - n * 14};
    const Vec2 ribEnd = end + dir * 14;
    return FrameShape{[spine, spade](Vec2 p) { return std::min(sdTaperedPath(p, spine, 7.5, 3.5), sdPolygon(p, spade) - 0.8); },
                      [end, ribEnd](Vec2 p) { return sdSegment(p, end, ribEnd, 0.9) < 0; }};
  };
  return s;
}

// A spiral shell with its opening at the lower left; the spiral turns.
Shape shell() {
  Shape s;
  s.stroke = 4;
  s.frame = [](int f) {
    const double breathe = 1 + 0.015 * std::sin(phase(f));
    const double turn = f * 0.35;
    return FrameShape{[breathe](Vec2 p) {
                        const double body = sdCircle(p, {52, 52}, 41 * breathe);
                        const double lip = sdEllipse(p, {22, 80}, 19, 15 * breathe);
                        const double spire = sdPolygon(p, {{62, 16}, {86, 4}, {80, 28}}) - 2;
                        return smoothUnion(smoothUnion(body, lip, 8), spire, 6);
                      },
                      [turn](Vec2 p) {
                        const Vec2 d = p - Vec2{54, 50};
                        const double r = length(d);
                        if (r > 34) return false;
                        const double a = std::atan2(d.y, d.x) + turn;
                        // Archimedean spiral r = k (a + 2 pi n): near one of its turns?
                        const double k = 34 / (3.0 * 2 * kPi);
                        double best = 1e9;
                        for (int n = -1; n <= 3; ++n) {
                          const double rr = k * (a + kPi + 2 * kPi * n);
                          if (rr >= 0) best = std::min(best, std::abs(r - rr));
                        }
                        return best < 1.3;
                      }};
  };
  return s;
}

}  // namespace

// The drawings by the plain names the manifest gives the shapes.
const std::vector<ShapeDrawing>& shapeDrawings() {
  static const std::vector<ShapeDrawing> drawings = {
      {"tentacle", tentacle}, {"eye", eye},   {"fin", fin},       {"slime", slime},
      {"jaw", jaw},           {"wing", wing}, {"claw", claw},     {"spikes", spikes},
      {"horn", horn},         {"tail", tail}, {"shell", shell},
  };
  return drawings;
}

bool shapeNamed(const std::string& name, Shape* out) {
  for (const ShapeDrawing& d : shapeDrawings())
    if (name == d.name) {
      *out = d.draw();
      return true;
    }
  return false;
}

namespace {

Mask silhouette(const FrameShape& s, const Fit& fit, int w, int h) {
  return Mask::from(w, h, [&](double x, double y) { return s.sdf(fit.toShape(x, y)) < 0; });
}

}  // namespace

// Scales and shifts the shape until the union of its frames reaches from
// just inside the left edge to just inside the right edge (and likewise
// vertically): the edge pixels get some coverage, nothing is cut off.
Fit fitToSprite(const std::vector<FrameShape>& frames, int w, int h) {
  Fit fit;
  const double margin = 0.1;  // pixels kept free beyond the outermost samples
  for (int iter = 0; iter < 6; ++iter) {
    Mask all(w, h);
    for (const FrameShape& fs : frames) all.unite(silhouette(fs, fit, w, h));
    int x0, y0, x1, y1;
    if (!all.sampleBox(x0, y0, x1, y1)) break;
    const double L = static_cast<double>(x0) / kSuper, R = static_cast<double>(x1 + 1) / kSuper;
    const double T = static_cast<double>(y0) / kSuper, B = static_cast<double>(y1 + 1) / kSuper;
    // Done once every side lies within one sample of its target.
    const double tol = 1.0 / kSuper;
    if (std::abs(L - margin) < tol && std::abs(R - (w - margin)) < tol && std::abs(T - margin) < tol &&
        std::abs(B - (h - margin)) < tol)
      break;
    const double kx = (w - 2 * margin) / (R - L), ky = (h - 2 * margin) / (B - T);
    fit.ax *= kx;
    fit.bx = margin + (fit.bx - L) * kx;
    fit.ay *= ky;
    fit.by = margin + (fit.by - T) * ky;
  }
  return fit;
}

namespace {

// Draws both sprites of a shape: the fill frames and the outline frames.
// `fillBox` is the collision box of the fill sprite.
std::pair<Frames, Frames> drawShape(const Shape& s, int w, int h, int frameCount, const SpriteInfo& fillBox) {
  std::vector<FrameShape> frames;
  for (int f = 0; f < frameCount; ++f) frames.push_back(s.frame(f));
  const Fit fit = fitToSprite(frames, w, h);
  // Where the fill's box is smaller than the sprite, the fill stops at the
  // box and the outline is solid beyond it, so the fill's cut edge never shows.
  const bool boxed = fillBox.boxLeft > 0 || fillBox.boxTop > 0;
  const Mask box = Mask::from(w, h, [&](double x, double y) {
    return x >= fillBox.boxLeft && x < fillBox.boxRight + 1 && y >= fillBox.boxTop && y < fillBox.boxBottom + 1;
  });
  const Mask edgeRing = Mask::from(w, h, [&](double x, double y) { return x < 1 || y < 1 || x >= w - 1 || y >= h - 1; });
  const double inset = 1.5;  // the fill stays this far inside the silhouette

  std::pair<Frames, Frames> out;
  for (int f = 0; f < frameCount; ++f) {
    const Mask sil = silhouette(frames[f], fit, w, h);
    Mask fill = sil.band(inset, 1e9);
    if (boxed) {
      fill.intersect(box);
    } else {
      // Reach the sprite's edges where the silhouette touches them.
      Mask rim = sil;
      fill.unite(rim.intersect(edgeRing));
    }
    Mask line = sil.band(0, s.stroke);
    Mask detail = Mask::from(w, h, [&](double x, double y) { return frames[f].detail(fit.toShape(x, y)); });
    line.unite(detail.intersect(sil));
    if (boxed) {
      Mask outside = sil;
      outside.subtract(box);
      line.unite(outside);
    }
    Image back(w, h), outline(w, h);
    back.paint(fill, kWhite);
    outline.paint(line, kWhite);
    out.first.push_back(std::move(back));
    out.second.push_back(std::move(outline));
  }
  return out;
}

}  // namespace

Frames drawShapeSprite(const SpriteInfo& info) {
  int n = 0;
  char kind[16] = {};
  if (std::sscanf(info.name.c_str(), "spr_shape_%d_%15s", &n, kind) != 2 || n < 1) return {};
  const bool back = std::string(kind) == "back";
  // The manifest's plain name for the shape picks its drawing; without a
  // name, or with a name no drawing has, nothing is drawn and the sprite's
  // check fails.
  const std::string stem = "spr_shape_" + std::to_string(n);
  Shape shape;
  if (!shapeNamed(ShapeNameOf(stem), &shape)) return {};
  // Both sprites of a shape come from one drawing; keep it for the second.
  static std::map<std::string, std::pair<Frames, Frames>> drawn;
  auto it = drawn.find(stem);
  if (it == drawn.end()) {
    const SpriteInfo* fillInfo = nullptr;
    for (const SpriteInfo& s : SpriteTable())
      if (stem + "_back" == s.name) fillInfo = &s;
    if (!fillInfo) return {};
    it = drawn.emplace(stem, drawShape(shape, info.width, info.height, info.frames, *fillInfo)).first;
  }
  return back ? it->second.first : it->second.second;
}

}  // namespace artgen
