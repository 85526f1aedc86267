// SPDX-License-Identifier: Zlib
#include "run/SheetExport.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdarg>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>
#include <utility>

#include "data/GameData.h"
#include "graphics/DrawPicture.h"
#include "graphics/GraphicsDirect.h"
#include "graphics/PngWrite.h"
#include "platform/RegularFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The object's origin in the drawn target: its middle, so that a figure may
// reach as far in every direction.
struct Origin {
  int x, y;
};

// ---------------------------------------------------------------- drawing

struct PictureDraw {
  const FigureFrame* frame;
  const std::vector<std::pair<int, int>>* sprites;  // fill and outline index of each part
  int subImage;
  Origin origin;
};

// The Draw event of the exported object for one case, with x, y at the origin
// and xScale, yScale, rot, alpha at 1, 1, 0, 1: the same calls with the same
// values as the compiled event makes.
void DrawCase(void* context) {
  const PictureDraw& d = *static_cast<const PictureDraw*>(context);
  for (size_t i = 0; i < d.frame->parts.size(); ++i) {
    const FigurePart& part = d.frame->parts[i];
    const int subimg = part.animating ? d.subImage : 0;
    const float x = static_cast<float>(d.origin.x + 1.0 * part.xDif);
    const float y = static_cast<float>(d.origin.y + 1.0 * part.yDif);
    const float xs = static_cast<float>(1.0 * part.xScale), ys = static_cast<float>(1.0 * part.yScale);
    const float rot = static_cast<float>(0.0 + part.rotation), alpha = static_cast<float>(1.0 * part.alpha);
    Draw_SpriteExt(nullptr, (*d.sprites)[i].first, subimg, x, y, xs, ys, rot, 0xFFFFFF, alpha);
    Draw_SpriteExt(nullptr, (*d.sprites)[i].second, subimg, x, y, xs, ys, rot, static_cast<int32_t>(part.colour), alpha);
  }
}

// A picture on a transparent background: drawn once on black and once on
// white, the difference gives each pixel's coverage and the black one its
// colour (premultiplied there, so divided by the coverage).
bool DrawTransparent(PictureDraw& draw, std::vector<uint8_t>* rgba, int* width, int* height) {
  std::vector<uint8_t> black, white;
  int w = 0, h = 0, w2 = 0, h2 = 0;
  if (!Graphics_DrawPicture(0x000000, DrawCase, &draw, &black, &w, &h) ||
      !Graphics_DrawPicture(0xFFFFFF, DrawCase, &draw, &white, &w2, &h2) || w != w2 || h != h2)
    return false;
  rgba->assign(black.size(), 0);
  for (size_t i = 0; i < black.size(); i += 4) {
    int covered = 0;
    for (int c = 0; c < 3; ++c) covered += 255 - (white[i + c] - black[i + c]);
    const int alpha = std::clamp((covered + 1) / 3, 0, 255);
    if (alpha == 0) continue;
    for (int c = 0; c < 3; ++c) (*rgba)[i + c] = static_cast<uint8_t>(std::min(255, (black[i + c] * 255 + alpha / 2) / alpha));
    (*rgba)[i + 3] = static_cast<uint8_t>(alpha);
  }
  *width = w;
  *height = h;
  return true;
}

// ---------------------------------------------------------------- the atlas

void AppendF(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendF(std::string* out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) out->append(buffer, static_cast<size_t>(std::min<int>(n, sizeof buffer - 1)));
}

// A JSON string: the name is the user's file name, so quotes, backslashes
// and control characters are escaped.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// ---------------------------------------------------------------- the GIF

int WriteToVector(GifFileType* gif, const GifByteType* bytes, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + length);
  return length;
}

constexpr int kTransparentIndex = 255;

// Pixels under half coverage are the transparent colour; the others are
// opaque in their colour, quantised to one palette of 255 colours over all
// cells.
bool EncodeGif(const std::vector<std::vector<uint8_t>>& cells, int width, int height, const std::vector<int>& delays,
               std::vector<uint8_t>* out, std::string* error) {
  std::vector<GifByteType> red, green, blue;
  for (const std::vector<uint8_t>& cell : cells)
    for (size_t i = 0; i < cell.size(); i += 4)
      if (cell[i + 3] >= 128) {
        red.push_back(cell[i]);
        green.push_back(cell[i + 1]);
        blue.push_back(cell[i + 2]);
      }
  int colours = kTransparentIndex;
  std::vector<GifColorType> palette(256, GifColorType{0, 0, 0});
  std::vector<GifByteType> indices(red.size());
  if (!red.empty() && GifQuantizeBuffer(static_cast<unsigned>(red.size()), 1, &colours, red.data(), green.data(),
                                        blue.data(), indices.data(), palette.data()) == GIF_ERROR) {
    *error = "the GIF's colours could not be chosen";
    return false;
  }
  int code = 0;
  out->clear();
  GifFileType* gif = EGifOpen(out, WriteToVector, &code);
  if (!gif) {
    *error = std::string("the GIF could not be started: ") + GifErrorString(code);
    return false;
  }
  EGifSetGifVersion(gif, true);  // delays, transparency and looping need GIF89a
  ColorMapObject* map = GifMakeMapObject(256, palette.data());
  bool ok = map && EGifPutScreenDesc(gif, width, height, 8, kTransparentIndex, map) == GIF_OK;
  GifFreeMapObject(map);
  // Looping for ever.
  static const GifByteType kLoopName[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const GifByteType kLoopForever[] = {1, 0, 0};
  ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
       EGifPutExtensionBlock(gif, sizeof kLoopName, kLoopName) == GIF_OK &&
       EGifPutExtensionBlock(gif, sizeof kLoopForever, kLoopForever) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
  size_t next = 0;  // the next quantised pixel
  std::vector<GifPixelType> line(static_cast<size_t>(width));
  for (size_t c = 0; ok && c < cells.size(); ++c) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_BACKGROUND;  // each frame on a clear picture
    control.UserInputFlag = false;
    control.DelayTime = delays[c];
    control.TransparentColor = kTransparentIndex;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
         EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    const std::vector<uint8_t>& cell = cells[c];
    for (int y = 0; ok && y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const size_t i = (static_cast<size_t>(y) * width + x) * 4;
        line[static_cast<size_t>(x)] = cell[i + 3] >= 128 ? indices[next++] : kTransparentIndex;
      }
      ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
  }
  int closeCode = 0;
  if (EGifCloseFile(gif, &closeCode) != GIF_OK) ok = false;
  if (!ok) *error = "the GIF could not be written";
  return ok;
}

}  // namespace

std::vector<SheetPicture> SheetLoop_Steps(const std::vector<bool>& animates, double speed) {
  std::vector<SheetPicture> steps;
  const int frames = static_cast<int>(animates.size());
  if (frames < 1 || !(speed > 0)) return steps;
  const bool anyAnimates = std::find(animates.begin(), animates.end(), true) != animates.end();
  double frame = 0, subImage = 0;
  for (;;) {
    if (static_cast<int>(steps.size()) >= kSheetMaxSteps) return {};
    // The exported Step, in its order, then what the Draw shows.
    subImage += kSheetSubImageStep;
    if (subImage >= kSheetSubImages) subImage = 0;
    frame += speed;
    if (frame >= frames) frame = 0;
    SheetPicture picture;
    picture.frame = static_cast<int>(frame);
    picture.subImage = animates[static_cast<size_t>(picture.frame)] ? static_cast<int>(subImage) : 0;
    steps.push_back(picture);
    // Back where the Create left it: the pictures repeat from here.
    if (frame == 0 && (subImage == 0 || !anyAnimates)) return steps;
  }
}

std::vector<SheetCell> SheetLoop_Cells(const std::vector<SheetPicture>& steps) {
  std::vector<SheetCell> cells;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (!cells.empty() && cells.back().picture == steps[i]) {
      ++cells.back().steps;
    } else {
      cells.push_back({steps[i], static_cast<int>(i), 1});
    }
  }
  return cells;
}

std::vector<int> SheetLoop_Durations(const std::vector<SheetCell>& cells, int unitsPerSecond) {
  std::vector<int> durations;
  long long before = 0;
  for (const SheetCell& cell : cells) {
    const long long end = cell.first + cell.steps;
    const long long total = (end * unitsPerSecond * 2 + kSheetStepsPerSecond) / (2 * kSheetStepsPerSecond);
    durations.push_back(static_cast<int>(total - before));
    before = total;
  }
  return durations;
}

bool SheetExport_Make(const Figure& figure, const SheetOptions& options, SheetFiles* out, std::string* error) {
  *out = SheetFiles();
  if (figure.frames.empty()) {
    *error = "the figure has no frames";
    return false;
  }
  if (options.scale < 1 || options.scale > 8) {
    *error = "the scale is a whole factor from 1 to 8";
    return false;
  }
  std::vector<bool> animates;
  for (const FigureFrame& frame : figure.frames)
    animates.push_back(std::any_of(frame.parts.begin(), frame.parts.end(), [](const FigurePart& p) { return p.animating; }));
  const std::vector<SheetPicture> steps = SheetLoop_Steps(animates, options.speed);
  if (steps.empty()) {
    *error = "at this speed the loop is longer than " + std::to_string(kSheetMaxSteps) + " steps";
    return false;
  }
  const std::vector<SheetCell> cells = SheetLoop_Cells(steps);

  // The sprites by name, as the game data has them.
  std::unordered_map<std::string, int> byName;
  const GameData& data = GameData_Get();
  for (size_t i = 0; i < data.sprites.size(); ++i)
    if (data.sprites[i].present && data.sprites[i].record.name) byName[data.sprites[i].record.name] = static_cast<int>(i);
  std::vector<std::vector<std::pair<int, int>>> sprites(figure.frames.size());
  for (size_t f = 0; f < figure.frames.size(); ++f)
    for (const FigurePart& part : figure.frames[f].parts) {
      auto fill = byName.find(part.fillSprite), outline = byName.find(part.outlineSprite);
      if (fill == byName.end() || outline == byName.end()) {
        *error = "line " + std::to_string(part.line) + ": no sprite " +
                 (fill == byName.end() ? part.fillSprite : part.outlineSprite);
        return false;
      }
      sprites[f].emplace_back(fill->second, outline->second);
    }

  // Each distinct picture, drawn once.
  Clock::time_point start = Clock::now();
  std::map<std::pair<int, int>, std::vector<uint8_t>> pictures;
  int width = 0, height = 0;
  for (const SheetCell& cell : cells) {
    const std::pair<int, int> key{cell.picture.frame, cell.picture.subImage};
    if (pictures.count(key)) continue;
    PictureDraw draw{&figure.frames[static_cast<size_t>(key.first)], &sprites[static_cast<size_t>(key.first)],
                     key.second, {0, 0}};
    std::vector<uint8_t> rgba;
    // The target's size is known once it has been read; its middle is the origin.
    if (width == 0 && !Graphics_DrawPicture(0, [](void*) {}, nullptr, &rgba, &width, &height)) {
      *error = "the pictures cannot be drawn here";
      return false;
    }
    draw.origin = {width / 2, height / 2};
    int w = 0, h = 0;
    if (!DrawTransparent(draw, &rgba, &w, &h) || w != width || h != height) {
      *error = "the pictures cannot be drawn here";
      return false;
    }
    pictures[key] = std::move(rgba);
  }
  // The bounds of every picture together, one transparent pixel around them.
  int left = width, top = height, right = -1, bottom = -1;
  for (const auto& [key, rgba] : pictures)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] != 0) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
  if (right < 0) {  // nothing drawn: one empty pixel
    left = right = width / 2;
    top = bottom = height / 2;
  }
  if (left == 0 || top == 0 || right == width - 1 || bottom == height - 1) {
    *error = "the figure reaches past the " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels drawn around its origin";
    return false;
  }
  const int scale = options.scale;
  const int cellWidth = (right - left + 3) * scale, cellHeight = (bottom - top + 3) * scale;
  const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(cells.size()))));
  const int rows = (static_cast<int>(cells.size()) + columns - 1) / columns;
  const int sheetWidth = columns * cellWidth, sheetHeight = rows * cellHeight;
  std::vector<std::vector<uint8_t>> cellPixels;
  std::vector<uint8_t> sheet(static_cast<size_t>(sheetWidth) * sheetHeight * 4, 0);
  for (size_t c = 0; c < cells.size(); ++c) {
    const std::vector<uint8_t>& rgba = pictures[{cells[c].picture.frame, cells[c].picture.subImage}];
    std::vector<uint8_t> pixels(static_cast<size_t>(cellWidth) * cellHeight * 4, 0);
    for (int y = 0; y < cellHeight; ++y)
      for (int x = 0; x < cellWidth; ++x) {
        // Nearest-pixel enlargement; the border pixel stays transparent.
        const int sx = left - 1 + x / scale, sy = top - 1 + y / scale;
        const uint8_t* from = &rgba[(static_cast<size_t>(sy) * width + sx) * 4];
        std::copy(from, from + 4, &pixels[(static_cast<size_t>(y) * cellWidth + x) * 4]);
      }
    const int cx = static_cast<int>(c) % columns * cellWidth, cy = static_cast<int>(c) / columns * cellHeight;
    for (int y = 0; y < cellHeight; ++y)
      std::copy(&pixels[static_cast<size_t>(y) * cellWidth * 4], &pixels[static_cast<size_t>(y + 1) * cellWidth * 4],
                &sheet[(static_cast<size_t>(cy + y) * sheetWidth + cx) * 4]);
    cellPixels.push_back(std::move(pixels));
  }
  out->drawMs = MillisecondsSince(start);

  start = Clock::now();
  if (!Png_EncodeRgba(sheetWidth, sheetHeight, sheet.data(), &out->png)) {
    *error = "the sheet could not be encoded as PNG";
    return false;
  }
  out->pngMs = MillisecondsSince(start);

  start = Clock::now();
  if (!EncodeGif(cellPixels, cellWidth, cellHeight, SheetLoop_Durations(cells, 100), &out->gif, error)) return false;
  out->gifMs = MillisecondsSince(start);

  // The atlas.
  const std::vector<int> milliseconds = SheetLoop_Durations(cells, 1000);
  const int pivotX = (width / 2 - left + 1) * scale, pivotY = (height / 2 - top + 1) * scale;
  std::string& json = out->json;
  json = "{\n  \"frames\": {\n";
  for (size_t c = 0; c < cells.size(); ++c) {
    const int cx = static_cast<int>(c) % columns * cellWidth, cy = static_cast<int>(c) / columns * cellHeight;
    json += "    " + JsonString(options.name + " " + std::to_string(c)) + ": {";
    AppendF(&json, "\"frame\": {\"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d}, ", cx, cy, cellWidth, cellHeight);
    json += "\"rotated\": false, \"trimmed\": false, ";
    AppendF(&json, "\"spriteSourceSize\": {\"x\": 0, \"y\": 0, \"w\": %d, \"h\": %d}, ", cellWidth, cellHeight);
    AppendF(&json, "\"sourceSize\": {\"w\": %d, \"h\": %d}, ", cellWidth, cellHeight);
    AppendF(&json, "\"duration\": %d, \"figureFrame\": %d, \"subImage\": %d, \"steps\": %d}%s\n", milliseconds[c],
            cells[c].picture.frame, cells[c].picture.subImage, cells[c].steps, c + 1 < cells.size() ? "," : "");
  }
  json += "  },\n  \"meta\": {\n";
  json += "    \"app\": \"Mobwright Studio\",\n";
  json += "    \"image\": " + JsonString(options.name + ".png") + ",\n";
  json += "    \"format\": \"RGBA8888\",\n";
  AppendF(&json, "    \"size\": {\"w\": %d, \"h\": %d},\n", sheetWidth, sheetHeight);
  AppendF(&json, "    \"scale\": \"%d\",\n", scale);
  json += "    \"frameTags\": [{\"name\": " + JsonString(options.name);
  AppendF(&json, ", \"from\": 0, \"to\": %d, \"direction\": \"forward\"}],\n", static_cast<int>(cells.size()) - 1);
  AppendF(&json, "    \"pivot\": {\"x\": %d, \"y\": %d},\n", pivotX, pivotY);
  AppendF(&json, "    \"pivotNorm\": {\"x\": %.6f, \"y\": %.6f},\n", static_cast<double>(pivotX) / cellWidth,
          static_cast<double>(pivotY) / cellHeight);
  AppendF(&json, "    \"loop\": {\"steps\": %d, \"stepsPerSecond\": %d, \"speed\": %.6f}\n", static_cast<int>(steps.size()),
          kSheetStepsPerSecond, options.speed);
  json += "  }\n}\n";
  out->cells = static_cast<int>(cells.size());
  out->steps = static_cast<int>(steps.size());
  return true;
}

std::string SheetExport_NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ksl") == 0) name.resize(name.size() - 4);
  if (name == "Draw" && slash != std::string::npos && slash > 0) {
    const size_t before = path.find_last_of('/', slash - 1);
    name = path.substr(before == std::string::npos ? 0 : before + 1, slash - (before == std::string::npos ? 0 : before + 1));
  }
  return name.empty() || name == "." || name == ".." ? "figure" : name;
}

namespace {

// Writes beside the file first and renames it over, so that a failed write
// never leaves half a picture under the file's name.
bool WriteWhole(const std::string& path, const void* data, size_t size, std::string* error) {
  const std::string temporary = path + ".part";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  bool ok = f && std::fwrite(data, 1, size, f) == size;
  if (f && std::fclose(f) != 0) ok = false;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::remove(temporary.c_str());
    *error = path + " could not be written";
  }
  return ok;
}

}  // namespace

int SheetExport_Command(const std::string& file, const std::string& folder, SheetOptions options) {
  constexpr uint64_t kMaxFigureBytes = 16u << 20;
  std::string text, error;
  FileProblem problem;
  if (!Platform_ReadRegularFile(file, kMaxFigureBytes, &text, &problem)) {
    std::fprintf(stderr, "mobwright: %s: %s\n", file.c_str(), FileProblem_Text(problem).c_str());
    return 1;
  }
  Figure figure;
  FigureTextError refusal;
  if (!FigureText_Read(text, &figure, &refusal)) {
    std::fprintf(stderr, "mobwright: %s: line %d: %s\n", file.c_str(), refusal.line, refusal.message.c_str());
    return 1;
  }
  options.name = SheetExport_NameOf(file);
  SheetFiles files;
  if (!SheetExport_Make(figure, options, &files, &error)) {
    std::fprintf(stderr, "mobwright: %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  const std::string base = (folder.empty() || folder.back() == '/' ? folder : folder + "/") + options.name;
  if (!WriteWhole(base + ".png", files.png.data(), files.png.size(), &error) ||
      !WriteWhole(base + ".json", files.json.data(), files.json.size(), &error) ||
      !WriteWhole(base + ".gif", files.gif.data(), files.gif.size(), &error)) {
    std::fprintf(stderr, "mobwright: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s.png, %s.json, %s.gif: %d cells over a loop of %d steps\n", base.c_str(), base.c_str(), base.c_str(),
              files.cells, files.steps);
  return 0;
}
