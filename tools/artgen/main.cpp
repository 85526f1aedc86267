// SPDX-License-Identifier: Zlib
// artgen: draws every frame of the editor's sprites and writes them as
// <out>/<sprite>/<frame>.png. Deterministic: the same program writes the
// same bytes.
//
//   artgen [--manifest FILE] --out DIR    write all frames under DIR
//   artgen [--manifest FILE] --list       print "name width height frames" per sprite
//   artgen [--manifest FILE] --shapes     print "shape name" per entry of the
//                                         manifest's shape_names, each checked
//                                         to have a drawing of that name
//   artgen [--manifest FILE] --icons DIR  write the program's icon as
//                                         DIR/<N>x<N>/apps/mobwright.png, the
//                                         layout of the desktop's icon theme
//
// The sprite table is the manifest's (editor/game.json unless --manifest
// names another), and so are the shapes' plain names: the name the manifest
// gives spr_shape_N picks the drawing of its sprites, and the editor shows
// the same name in its object list.
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
#include "shapes.h"
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

// Every shape has a name with a drawing, and every drawing is some shape's:
// a name the manifest misspells, or a drawing it forgets, stops the program
// before it writes anything.
bool checkShapeNames() {
  bool ok = true;
  for (const ShapeName& n : ShapeNames()) {
    Shape shape;
    if (!shapeNamed(n.name, &shape)) {
      std::string known;
      for (const ShapeDrawing& d : shapeDrawings()) known += std::string(known.empty() ? "" : ", ") + d.name;
      std::fprintf(stderr, "artgen: the manifest names %s \"%s\"; the drawings are %s\n", n.shape.c_str(),
                   n.name.c_str(), known.c_str());
      ok = false;
    }
  }
  for (const ShapeDrawing& d : shapeDrawings())
    if (ShapeNamed(d.name).empty()) {
      std::fprintf(stderr, "artgen: no shape of the manifest is named \"%s\"\n", d.name);
      ok = false;
    }
  for (const SpriteInfo& s : SpriteTable()) {
    const size_t end = s.name.rfind("_back");
    if (s.name.rfind("spr_shape_", 0) == 0 && end != std::string::npos && end + 5 == s.name.size() &&
        ShapeNameOf(s.name.substr(0, end)).empty()) {
      std::fprintf(stderr, "artgen: %s has no name in the manifest's shape_names\n", s.name.c_str());
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, icons, manifest = MOB_DEFAULT_MANIFEST;
  bool list = false, shapes = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
      out = argv[++i];
    } else if (!std::strcmp(argv[i], "--manifest") && i + 1 < argc) {
      manifest = argv[++i];
    } else if (!std::strcmp(argv[i], "--icons") && i + 1 < argc) {
      icons = argv[++i];
    } else if (!std::strcmp(argv[i], "--list")) {
      list = true;
    } else if (!std::strcmp(argv[i], "--shapes")) {
      shapes = true;
    } else {
      std::fprintf(stderr, "usage: artgen [--manifest FILE] --out DIR | --icons DIR | --list | --shapes\n");
      return 2;
    }
  }
  std::string error;
  if (!SpriteTable_Load(manifest, &error)) {
    std::fprintf(stderr, "artgen: %s\n", error.c_str());
    return 1;
  }
  if (!list && !checkShapeNames()) return 1;
  if (shapes) {
    for (const ShapeName& n : ShapeNames()) std::printf("%s %s\n", n.shape.c_str(), n.name.c_str());
    return 0;
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
    std::fprintf(stderr, "usage: artgen [--manifest FILE] --out DIR | --icons DIR | --list | --shapes\n");
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
