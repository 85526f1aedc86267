// SPDX-License-Identifier: Zlib
#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "PngFiles.h"

namespace artgen {

Mask::Mask(int width, int height)
    : w_(width), h_(height), sw_(width * kSuper), sh_(height * kSuper),
      bits_(static_cast<size_t>(sw_) * sh_, 0) {}

Mask& Mask::unite(const Mask& o) {
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = bits_[i] | o.bits_[i];
  return *this;
}
Mask& Mask::subtract(const Mask& o) {
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = bits_[i] & (o.bits_[i] ^ 1);
  return *this;
}
Mask& Mask::intersect(const Mask& o) {
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = bits_[i] & o.bits_[i];
  return *this;
}

namespace {

// One pass of the lower-envelope distance transform (Felzenszwalb and
// Huttenlocher): f holds squared distances along a line, d receives them.
void edt1d(const std::vector<double>& f, std::vector<double>& d, int n,
           std::vector<int>& v, std::vector<double>& z) {
  const double inf = std::numeric_limits<double>::infinity();
  int k = 0;
  v[0] = 0;
  z[0] = -inf;
  z[1] = inf;
  for (int q = 1; q < n; ++q) {
    if (f[q] == inf) continue;
    if (f[v[k]] == inf) {  // no finite parabola yet
      v[k] = q;
      continue;
    }
    double s;
    for (;;) {
      s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
      if (s > z[k] || k == 0) break;
      --k;
    }
    if (s <= z[k]) {
      v[k] = q;
      z[k + 1] = inf;
      continue;
    }
    ++k;
    v[k] = q;
    z[k] = s;
    z[k + 1] = inf;
  }
  k = 0;
  for (int q = 0; q < n; ++q) {
    while (z[k + 1] < q) ++k;
    const double dq = q - v[k];
    d[q] = (f[v[k]] == inf) ? inf : dq * dq + f[v[k]];
  }
}

}  // namespace

std::vector<float> Mask::depth() const {
  // Work on a grid padded by one outside sample on every side, so the sprite
  // edge counts as outside.
  const int pw = sw_ + 2, ph = sh_ + 2;
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> g(static_cast<size_t>(pw) * ph);
  for (int y = 0; y < ph; ++y)
    for (int x = 0; x < pw; ++x) {
      const bool in = x > 0 && y > 0 && x <= sw_ && y <= sh_ && at(x - 1, y - 1);
      g[static_cast<size_t>(y) * pw + x] = in ? inf : 0.0;
    }
  const int n = std::max(pw, ph);
  std::vector<double> f(n), d(n), z(n + 1);
  std::vector<int> v(n);
  for (int x = 0; x < pw; ++x) {
    for (int y = 0; y < ph; ++y) f[y] = g[static_cast<size_t>(y) * pw + x];
    edt1d(f, d, ph, v, z);
    for (int y = 0; y < ph; ++y) g[static_cast<size_t>(y) * pw + x] = d[y];
  }
  for (int y = 0; y < ph; ++y) {
    for (int x = 0; x < pw; ++x) f[x] = g[static_cast<size_t>(y) * pw + x];
    edt1d(f, d, pw, v, z);
    for (int x = 0; x < pw; ++x) g[static_cast<size_t>(y) * pw + x] = d[x];
  }
  std::vector<float> out(static_cast<size_t>(sw_) * sh_);
  for (int y = 0; y < sh_; ++y)
    for (int x = 0; x < sw_; ++x)
      out[static_cast<size_t>(y) * sw_ + x] =
          static_cast<float>(std::sqrt(g[static_cast<size_t>(y + 1) * pw + x + 1]) / kSuper);
  return out;
}

Mask Mask::band(double minDepth, double maxDepth) const {
  const std::vector<float> dep = depth();
  Mask out(w_, h_);
  for (size_t i = 0; i < bits_.size(); ++i)
    out.bits_[i] = (bits_[i] && dep[i] >= minDepth && dep[i] < maxDepth) ? 1 : 0;
  return out;
}

std::vector<float> Mask::coverage() const {
  std::vector<float> cov(static_cast<size_t>(w_) * h_, 0.0f);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      int n = 0;
      for (int sy = 0; sy < kSuper; ++sy) {
        const uint8_t* row = &bits_[static_cast<size_t>(y * kSuper + sy) * sw_ + x * kSuper];
        for (int sx = 0; sx < kSuper; ++sx) n += row[sx];
      }
      cov[static_cast<size_t>(y) * w_ + x] = static_cast<float>(n) / (kSuper * kSuper);
    }
  return cov;
}

bool Mask::sampleBox(int& x0, int& y0, int& x1, int& y1) const {
  x0 = sw_;
  y0 = sh_;
  x1 = -1;
  y1 = -1;
  for (int y = 0; y < sh_; ++y)
    for (int x = 0; x < sw_; ++x)
      if (at(x, y)) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  return x1 >= 0;
}

Image::Image(int width, int height) : w_(width), h_(height), px_(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Image::blend(int x, int y, Rgba c, float cov) {
  float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
  const float a = static_cast<float>(c.a) * cov;
  p[0] = static_cast<float>(c.r) * a + p[0] * (1 - a);
  p[1] = static_cast<float>(c.g) * a + p[1] * (1 - a);
  p[2] = static_cast<float>(c.b) * a + p[2] * (1 - a);
  p[3] = a + p[3] * (1 - a);
}

void Image::paint(const Mask& m, Rgba colour) {
  paintWith(m, [&](double, double) { return colour; });
}

void Image::paintGradient(const Mask& m, Rgba top, Rgba bottom, double y0, double y1) {
  paintWith(m, [&](double, double y) {
    double t = (y - y0) / (y1 - y0);
    t = std::clamp(t, 0.0, 1.0);
    return Rgba{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t,
                top.b + (bottom.b - top.b) * t, top.a + (bottom.a - top.a) * t};
  });
}

void Image::over(const Image& top) {
  for (size_t i = 0; i < px_.size(); i += 4) {
    const float a = top.px_[i + 3];
    for (int k = 0; k < 4; ++k) px_[i + k] = top.px_[i + k] + px_[i + k] * (1 - a);
  }
}

namespace {
int toByte(float v) { return std::clamp(static_cast<int>(std::floor(v * 255.0f + 0.5f)), 0, 255); }
}  // namespace

int Image::alpha8(int x, int y) const { return toByte(px_[(static_cast<size_t>(y) * w_ + x) * 4 + 3]); }

std::vector<uint8_t> Image::toRgba8() const {
  std::vector<uint8_t> out(static_cast<size_t>(w_) * h_ * 4, 0);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
      uint8_t* o = &out[(static_cast<size_t>(y) * w_ + x) * 4];
      const int a = toByte(p[3]);
      o[3] = static_cast<uint8_t>(a);
      if (a > 0)
        for (int k = 0; k < 3; ++k) o[k] = static_cast<uint8_t>(toByte(p[k] / p[3]));
    }
  // Give each transparent pixel the mean colour of its visible neighbours.
  std::vector<uint8_t> src = out;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      uint8_t* o = &out[(static_cast<size_t>(y) * w_ + x) * 4];
      if (o[3] != 0) continue;
      int sum[3] = {0, 0, 0}, n = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= w_ || ny >= h_) continue;
          const uint8_t* q = &src[(static_cast<size_t>(ny) * w_ + nx) * 4];
          if (q[3] == 0) continue;
          for (int k = 0; k < 3; ++k) sum[k] += q[k];
          ++n;
        }
      if (n > 0)
        for (int k = 0; k < 3; ++k) o[k] = static_cast<uint8_t>((sum[k] + n / 2) / n);
    }
  return out;
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  std::string error;
  if (media::Png_Write(path, rgba.data(), width, height, &error)) return true;
  std::fprintf(stderr, "%s\n", error.c_str());
  return false;
}

}  // namespace artgen
