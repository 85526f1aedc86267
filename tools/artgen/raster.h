// SPDX-License-Identifier: Zlib
// Raster toolkit of the art generator: supersampled masks, antialiased
// painting, an exact distance transform for strokes, and PNG output.
//
// Every shape is decided by an inside test evaluated at kSuper x kSuper
// sample points per pixel; a pixel's coverage is the share of its samples
// inside. That keeps edges antialiased and makes "has this pixel any alpha"
// an exact question, which the collision boxes depend on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// Samples per pixel along each axis. 8 gives 64 coverage levels: smooth
// edges without visible banding, and cheap enough at our sprite sizes.
inline constexpr int kSuper = 8;

struct Rgba {
  double r, g, b, a;  // straight (not premultiplied), 0..1
};

// Colour from 0..255 components and an opacity 0..1.
constexpr Rgba rgb(int r, int g, int b, double a = 1.0) {
  return {r / 255.0, g / 255.0, b / 255.0, a};
}
inline constexpr Rgba kWhite = {1, 1, 1, 1};

// Binary mask at kSuper times the pixel resolution.
class Mask {
 public:
  Mask(int width, int height);

  // Marks every sample whose centre (in pixel units) passes `inside`.
  template <typename Pred>
  static Mask from(int width, int height, Pred inside) {
    Mask m(width, height);
    for (int sy = 0; sy < m.sh_; ++sy) {
      const double y = (sy + 0.5) / kSuper;
      for (int sx = 0; sx < m.sw_; ++sx) {
        const double x = (sx + 0.5) / kSuper;
        m.bits_[static_cast<size_t>(sy) * m.sw_ + sx] = inside(x, y) ? 1 : 0;
      }
    }
    return m;
  }

  int width() const { return w_; }
  int height() const { return h_; }
  int sampleWidth() const { return sw_; }
  int sampleHeight() const { return sh_; }
  bool at(int sx, int sy) const { return bits_[static_cast<size_t>(sy) * sw_ + sx] != 0; }
  void set(int sx, int sy, bool v) { bits_[static_cast<size_t>(sy) * sw_ + sx] = v ? 1 : 0; }

  Mask& unite(const Mask& o);
  Mask& subtract(const Mask& o);
  Mask& intersect(const Mask& o);

  // For each sample, the Euclidean distance in pixels from its centre to the
  // nearest sample outside the mask (0 for outside samples). Everything
  // beyond the sprite's edge counts as outside.
  std::vector<float> depth() const;

  // Keeps the inside samples whose depth lies in [minDepth, maxDepth).
  Mask band(double minDepth, double maxDepth) const;

  // Per-pixel share of inside samples, 0..1.
  std::vector<float> coverage() const;

  // Inclusive bounding box in samples; false when the mask is empty.
  bool sampleBox(int& x0, int& y0, int& x1, int& y1) const;

 private:
  int w_, h_, sw_, sh_;
  std::vector<uint8_t> bits_;
};

// An RGBA picture, premultiplied floats while it is being drawn.
class Image {
 public:
  Image(int width, int height);
  int width() const { return w_; }
  int height() const { return h_; }

  // Composites `colour` over the picture where the mask covers it.
  void paint(const Mask& m, Rgba colour);
  // Same with a vertical gradient from `top` at y0 to `bottom` at y1.
  void paintGradient(const Mask& m, Rgba top, Rgba bottom, double y0, double y1);
  // Same with the colour chosen per pixel centre.
  template <typename ColourAt>
  void paintWith(const Mask& m, ColourAt colourAt) {
    const std::vector<float> cov = m.coverage();
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        const float c = cov[static_cast<size_t>(y) * w_ + x];
        if (c > 0) blend(x, y, colourAt(x + 0.5, y + 0.5), c);
      }
  }
  // Draws another picture of the same size over this one.
  void over(const Image& top);

  // Straight-alpha 8-bit RGBA rows. Fully transparent pixels take the colour
  // of their opaque neighbours so that filtered scaling shows no dark seams.
  std::vector<uint8_t> toRgba8() const;
  // Opacity of a pixel, 0..255 after rounding as written to the file.
  int alpha8(int x, int y) const;

 private:
  void blend(int x, int y, Rgba c, float cov);
  int w_, h_;
  std::vector<float> px_;  // premultiplied r, g, b, a
};

// Writes an 8-bit RGBA PNG with fixed settings and no time stamp, so equal
// pictures give equal files. Returns false and prints why on failure.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace artgen
