// SPDX-License-Identifier: Zlib
// Signed distances of the primitives the sprites are built from. Negative
// inside, positive outside, in pixels; only the sign decides coverage, so the
// combinations (min, max, smooth union) need not be exact distances.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace artgen {

inline constexpr double kPi = 3.14159265358979323846;

struct Vec2 {
  double x, y;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, double s) { return {a.x * s, a.y * s}; }
inline double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
inline double length(Vec2 a) { return std::sqrt(dot(a, a)); }
inline Vec2 lerp(Vec2 a, Vec2 b, double t) { return a + (b - a) * t; }
// Turns p about c by `deg` degrees (clockwise on screen, where y grows down).
inline Vec2 rotate(Vec2 p, Vec2 c, double deg) {
  const double r = deg * kPi / 180.0, cs = std::cos(r), sn = std::sin(r);
  const Vec2 d = p - c;
  return {c.x + d.x * cs - d.y * sn, c.y + d.x * sn + d.y * cs};
}

inline double sdCircle(Vec2 p, Vec2 c, double r) { return length(p - c) - r; }

inline double sdEllipse(Vec2 p, Vec2 c, double rx, double ry) {
  const Vec2 q = {(p.x - c.x) / rx, (p.y - c.y) / ry};
  return (length(q) - 1.0) * std::min(rx, ry);
}

// Rectangle from (x0, y0) to (x1, y1) with corner radius r.
inline double sdRoundRect(Vec2 p, double x0, double y0, double x1, double y1, double r) {
  const Vec2 c = {(x0 + x1) / 2, (y0 + y1) / 2};
  const Vec2 h = {(x1 - x0) / 2 - r, (y1 - y0) / 2 - r};
  const Vec2 q = {std::abs(p.x - c.x) - h.x, std::abs(p.y - c.y) - h.y};
  const Vec2 qm = {std::max(q.x, 0.0), std::max(q.y, 0.0)};
  return length(qm) + std::min(std::max(q.x, q.y), 0.0) - r;
}

inline double distSegment(Vec2 p, Vec2 a, Vec2 b) {
  const Vec2 ab = b - a;
  const double t = std::clamp(dot(p - a, ab) / dot(ab, ab), 0.0, 1.0);
  return length(p - (a + ab * t));
}
// Capsule of radius r around the segment a-b (a line with round caps).
inline double sdSegment(Vec2 p, Vec2 a, Vec2 b, double r) { return distSegment(p, a, b) - r; }

// Polygon given by its corners in order, either winding.
inline double sdPolygon(Vec2 p, const std::vector<Vec2>& v) {
  double d = dot(p - v[0], p - v[0]);
  double s = 1.0;
  for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
    const Vec2 e = v[j] - v[i], w = p - v[i];
    const Vec2 b = w - e * std::clamp(dot(w, e) / dot(e, e), 0.0, 1.0);
    d = std::min(d, dot(b, b));
    const bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

// Tube along a polyline whose radius goes linearly from r0 at the first point
// to r1 at the last (by arc length).
inline double sdTaperedPath(Vec2 p, const std::vector<Vec2>& pts, double r0, double r1) {
  double total = 0;
  for (size_t i = 1; i < pts.size(); ++i) total += length(pts[i] - pts[i - 1]);
  double best = 1e9, run = 0;
  for (size_t i = 1; i < pts.size(); ++i) {
    const Vec2 a = pts[i - 1], ab = pts[i] - a;
    const double len = length(ab);
    const double t = std::clamp(dot(p - a, ab) / (len * len), 0.0, 1.0);
    const double s = (run + t * len) / total;
    best = std::min(best, length(p - (a + ab * t)) - (r0 + (r1 - r0) * s));
    run += len;
  }
  return best;
}

// Union that blends the two shapes over a width k (rounded joints).
inline double smoothUnion(double a, double b, double k) {
  const double h = std::clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
  return b + (a - b) * h - k * h * (1.0 - h);
}

}  // namespace artgen
