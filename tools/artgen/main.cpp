// SPDX-License-Identifier: Zlib
// artgen: draws every frame of the editor's sprites and writes them as
// <out>/<sprite>/<frame>.png. Deterministic: the same program writes the
// same bytes.
//
//   artgen [--manifest FILE] --out DIR    write all frames under DIR
//   artgen [--manifest FILE] --list       print "name width height frames" per sprite
//   artgen [--manifest FILE] --icons DIR  write the program's icon as
//                                         DIR/<N>x<N>/apps/mobwright.png, the
//                                         layout of the desktop's icon theme
//
// The sprite table is the manifest's (editor/game.json unless --manifest
// names another).
// Before writing, each sprite is checked against its table entry: size,
// frame count and, for automatic boxes, that the pixels with any opacity
// span exactly the listed collision box (the runtime derives boxes and
// masks from the frames' alpha).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app_icon.h"
#include "sprites.h"

namespace fs = std::filesystem;
using namespace artgen;

namespace {

Frames draw(const SpriteInfo& s) {
  Frames f = drawInterfaceSprite(s);
  if (f.empty()) f = drawShapeSprite(s);
  return f;
}

bool check(const SpriteInfo& s, const Frames& frames) {
  if (static_cast<int>(frames.size()) != s.frames) {
    std::fprintf(stderr, "%s: drew %zu frames, table says %d\n", s.name.c_str(), frames.size(), s.frames);
    return false;
  }
  int l = s.width, t = s.height, r = -1, b = -1;
  for (const Image& img : frames) {
    if (img.width() != s.width || img.height() != s.height) {
      std::fprintf(stderr, "%s: frame is %dx%d, table says %dx%d\n", s.name.c_str(), img.width(), img.height(), s.width, s.height);
      return false;
    }
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.alpha8(x, y) > 0) {
          l = std::min(l, x);
          t = std::min(t, y);
          r = std::max(r, x);
          b = std::max(b, y);
        }
  }
  if (s.boxMode == 0 && (l != s.boxLeft || t != s.boxTop || r != s.boxRight || b != s.boxBottom)) {
    std::fprintf(stderr, "%s: opaque pixels span %d,%d,%d,%d, collision box is %d,%d,%d,%d\n", s.name.c_str(), l, t, r, b,
                 s.boxLeft, s.boxTop, s.boxRight, s.boxBottom);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, icons, manifest = MOB_DEFAULT_MANIFEST;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
      out = argv[++i];
    } else if (!std::strcmp(argv[i], "--manifest") && i + 1 < argc) {
      manifest = argv[++i];
    } else if (!std::strcmp(argv[i], "--icons") && i + 1 < argc) {
      icons = argv[++i];
    } else if (!std::strcmp(argv[i], "--list")) {
      list = true;
    } else {
      std::fprintf(stderr, "usage: artgen [--manifest FILE] --out DIR | --icons DIR | --list\n");
      return 2;
    }
  }
  std::string error;
  if (!SpriteTable_Load(manifest, &error)) {
    std::fprintf(stderr, "artgen: %s\n", error.c_str());
    return 1;
  }
  if (list) {
    for (const SpriteInfo& s : SpriteTable()) std::printf("%s %d %d %d\n", s.name.c_str(), s.width, s.height, s.frames);
    return 0;
  }
  if (!icons.empty()) {
    for (const int size : kAppIconSizes) {
      Image icon(size, size);
      if (!drawAppIcon(size, &icon)) {
        std::fprintf(stderr, "artgen: the sprite table lacks a shape the icon is made of\n");
        return 1;
      }
      const std::string edge = std::to_string(size);
      const fs::path dir = fs::path(icons) / (edge + "x" + edge) / "apps";
      std::error_code ec;
      fs::create_directories(dir, ec);
      if (ec) {
        std::fprintf(stderr, "%s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
      }
      if (!writePng((dir / "mobwright.png").string(), size, size, icon.toRgba8())) return 1;
    }
    return 0;
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: artgen [--manifest FILE] --out DIR | --icons DIR | --list\n");
    return 2;
  }
  bool ok = true;
  for (const SpriteInfo& s : SpriteTable()) {
    const Frames frames = draw(s);
    if (!check(s, frames)) {
      ok = false;
      continue;
    }
    const fs::path dir = fs::path(out) / s.name;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
      std::fprintf(stderr, "%s: %s\n", dir.c_str(), ec.message().c_str());
      return 1;
    }
    for (size_t f = 0; f < frames.size(); ++f) {
      const fs::path file = dir / (std::to_string(f) + ".png");
      if (!writePng(file.string(), s.width, s.height, frames[f].toRgba8())) return 1;
    }
  }
  return ok ? 0 : 1;
}
