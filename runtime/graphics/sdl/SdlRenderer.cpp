// SPDX-License-Identifier: Zlib
// SDL_Renderer behind the drawing layer's renderer interface, and the canvas
// that lets a window of another size than the room show the room scaled.
#include "graphics/sdl/SdlRenderer.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Console.h"
#include "graphics/Graphics.h"
#include "platform/SdlContext.h"

namespace {

// The vertex colour bytes are R, G, B, A in memory, which is SDL_Color.
static_assert(sizeof(SDL_Color) == 4, "colour words are read as SDL_Color");

SDL_BlendFactor ToSdl(BlendFactor factor) {
  switch (factor) {
    case BLEND_FACTOR_ZERO:
      return SDL_BLENDFACTOR_ZERO;
    case BLEND_FACTOR_ONE:
      return SDL_BLENDFACTOR_ONE;
    case BLEND_FACTOR_SRC_COLOUR:
      return SDL_BLENDFACTOR_SRC_COLOR;
    case BLEND_FACTOR_INV_SRC_COLOUR:
      return SDL_BLENDFACTOR_ONE_MINUS_SRC_COLOR;
    case BLEND_FACTOR_SRC_ALPHA:
      return SDL_BLENDFACTOR_SRC_ALPHA;
    case BLEND_FACTOR_INV_SRC_ALPHA:
      return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
  }
  return SDL_BLENDFACTOR_ONE;
}

// The nearest of SDL's own modes, for renderers (the software one) that
// refuse composed modes.
SDL_BlendMode Fallback(const BlendState& blend) {
  if (blend.destination == BLEND_FACTOR_ONE) return SDL_BLENDMODE_ADD;
  return SDL_BLENDMODE_BLEND;
}

// Cursors are made on first use: loading a cursor theme takes the window
// system milliseconds, and the editor uses one or two shapes, if any.
SDL_Cursor* g_cursors[CURSOR_KEEP] = {};

SDL_SystemCursor SystemCursorFor(CursorShape shape) {
  switch (shape) {
    case CURSOR_CROSS: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case CURSOR_IBEAM: return SDL_SYSTEM_CURSOR_IBEAM;
    case CURSOR_SIZE_NESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case CURSOR_SIZE_NS: return SDL_SYSTEM_CURSOR_SIZENS;
    case CURSOR_SIZE_NWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case CURSOR_SIZE_WE: return SDL_SYSTEM_CURSOR_SIZEWE;
    case CURSOR_WAIT: return SDL_SYSTEM_CURSOR_WAIT;
    case CURSOR_HAND: return SDL_SYSTEM_CURSOR_HAND;
    case CURSOR_NO: return SDL_SYSTEM_CURSOR_NO;
    case CURSOR_WAIT_ARROW: return SDL_SYSTEM_CURSOR_WAITARROW;
    case CURSOR_SIZE_ALL: return SDL_SYSTEM_CURSOR_SIZEALL;
    default: return SDL_SYSTEM_CURSOR_ARROW;  // the arrow and the up arrow
  }
}

void SetSdlCursor(CursorShape shape) {
  if (shape == CURSOR_NONE) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  if (shape > CURSOR_NONE && shape < CURSOR_KEEP) {
    if (!g_cursors[shape]) g_cursors[shape] = SDL_CreateSystemCursor(SystemCursorFor(shape));
    if (g_cursors[shape]) SDL_SetCursor(g_cursors[shape]);
  }
  SDL_ShowCursor(SDL_ENABLE);
}

class SdlRenderer final : public Renderer {
 public:
  SdlRenderer(SDL_Renderer* renderer, SDL_Surface* surface, bool ownsCursor)
      : renderer_(renderer), surface_(surface), ownsCursor_(ownsCursor) {
    SDL_RendererInfo info;
    software_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    SetBlend(BlendState{});
  }
  ~SdlRenderer() override {
    for (SDL_Texture* texture : textures_)
      if (texture) SDL_DestroyTexture(texture);
    if (canvas_) SDL_DestroyTexture(canvas_);
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    SDL_DestroyRenderer(renderer_);
    if (surface_) SDL_FreeSurface(surface_);
    if (ownsCursor_) Graphics_SetCursorSetter(nullptr);
  }

  int CreateTexture(const uint8_t* rgba, int width, int height, uint32_t) override {
    if (!rgba || width <= 0 || height <= 0) return TEXTURE_NONE;
    SDL_Texture* texture =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, width, height);
    if (!texture) return TEXTURE_NONE;
    if (SDL_UpdateTexture(texture, nullptr, rgba, width * 4) != 0) {
      SDL_DestroyTexture(texture);
      return TEXTURE_NONE;
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    textures_.push_back(texture);
    textureModes_.push_back(SDL_BLENDMODE_INVALID);
    return static_cast<int>(textures_.size()) - 1;
  }

  bool DrawVertices(PrimitiveKind kind, int textureHandle, const VertexLayout& layout, uint8_t* data,
                    int count) override {
    if (layout.positionOffset < 0 || layout.colourOffset < 0 || count <= 0) return false;
    SDL_Texture* texture = nullptr;
    if (textureHandle != TEXTURE_NONE) {
      if (textureHandle < 0 || static_cast<size_t>(textureHandle) >= textures_.size()) return false;
      texture = textures_[static_cast<size_t>(textureHandle)];
      if (layout.uvOffset < 0) return false;
    }
    BeginFrame();
    ApplyBlend(textureHandle);
    switch (kind) {
      case PRIM_TRIANGLE_LIST:
        return DrawTriangles(texture, layout, data, count - count % 3);
      case PRIM_TRIANGLE_STRIP:
        return DrawTriangles(texture, layout, UnfoldStrip(layout, data, count), count < 3 ? 0 : (count - 2) * 3);
      case PRIM_TRIANGLE_FAN:  // the batcher unfolds fans; kept for completeness
        return false;
      case PRIM_POINT_LIST:
      case PRIM_LINE_LIST:
      case PRIM_LINE_STRIP:
        return DrawLines(kind, layout, data, count);
    }
    return false;
  }

  void SetBlend(const BlendState& blend) override {
    blend_ = blend;
    composed_ = SDL_ComposeCustomBlendMode(ToSdl(blend.source), ToSdl(blend.destination), SDL_BLENDOPERATION_ADD,
                                           ToSdl(blend.source), ToSdl(blend.destination), SDL_BLENDOPERATION_ADD);
    std::fill(textureModes_.begin(), textureModes_.end(), SDL_BLENDMODE_INVALID);
    drawModeSet_ = false;
  }

  void SetProjectionAndClear(const ViewRect& view, uint32_t clearColour, bool clear) override {
    BeginFrame();
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer_, &width, &height);
    if (view.width > 0 && view.height > 0)
      SDL_RenderSetScale(renderer_, static_cast<float>(width) / view.width, static_cast<float>(height) / view.height);
    if (clear) {
      SDL_SetRenderDrawColor(renderer_, clearColour & 0xFF, (clearColour >> 8) & 0xFF, (clearColour >> 16) & 0xFF,
                             0xFF);
      SDL_RenderClear(renderer_);
    }
  }

  void Present() override {
    if (onCanvas_) {
      CopyCanvasToArea();
      SDL_RenderPresent(renderer_);
      // Back on the canvas, which keeps the frame: a screenshot taken after
      // presenting reads it there.
      SDL_SetRenderTarget(renderer_, canvas_);
    } else {
      SDL_RenderPresent(renderer_);
    }
    frameOpen_ = false;
  }

  void SetCanvasSize(int width, int height) {
    if (width == canvasWidth_ && height == canvasHeight_) return;
    canvasWidth_ = width;
    canvasHeight_ = height;
    if (canvas_) {
      if (onCanvas_) SDL_SetRenderTarget(renderer_, nullptr);
      SDL_DestroyTexture(canvas_);
    }
    canvas_ = nullptr;
    canvasFailed_ = false;
    onCanvas_ = false;
    DropEnlarged();
  }

  void SetWindowArea(const SDL_Rect& area) {
    area_ = area;
    hasArea_ = true;
  }

  bool ReadOutput(std::vector<uint8_t>* rgba, int* width, int* height) {
    SDL_Texture* target = SDL_GetRenderTarget(renderer_);
    if (target) SDL_SetRenderTarget(renderer_, nullptr);
    float scaleX = 1, scaleY = 1;
    SDL_RenderGetScale(renderer_, &scaleX, &scaleY);
    SDL_RenderSetScale(renderer_, 1, 1);
    bool read = false;
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) == 0 && w > 0 && h > 0) {
      rgba->resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
      read = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ABGR8888, rgba->data(), w * 4) == 0;
    }
    SDL_RenderSetScale(renderer_, scaleX, scaleY);
    if (target) SDL_SetRenderTarget(renderer_, target);
    if (!read) return false;
    *width = w;
    *height = h;
    return true;
  }

  bool ReadPixels(std::vector<uint8_t>* rgba, int* width, int* height) override {
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0 || w <= 0 || h <= 0) return false;
    // Read whole pixels of the target, whatever the projection's scale.
    float scaleX = 1, scaleY = 1;
    SDL_RenderGetScale(renderer_, &scaleX, &scaleY);
    SDL_RenderSetScale(renderer_, 1, 1);
    rgba->resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    int result = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ABGR8888, rgba->data(), w * 4);
    SDL_RenderSetScale(renderer_, scaleX, scaleY);
    if (result != 0) return false;
    *width = w;
    *height = h;
    return true;
  }

  void CopyQuads(const SdlCopyQuad* quads, int count) {
    BeginFrame();
    for (int i = 0; i < count; ++i) {
      const SdlCopyQuad& q = quads[i];
      if (q.texture < 0 || static_cast<size_t>(q.texture) >= textures_.size()) continue;
      SDL_Texture* texture = textures_[static_cast<size_t>(q.texture)];
      SDL_SetTextureColorMod(texture, q.colour & 0xFF, (q.colour >> 8) & 0xFF, (q.colour >> 16) & 0xFF);
      SDL_SetTextureAlphaMod(texture, q.colour >> 24);
      SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
      SDL_Rect source{q.sourceX, q.sourceY, q.sourceWidth, q.sourceHeight};
      SDL_FRect destination{q.x, q.y, q.width, q.height};
      SDL_FPoint centre{q.centreX, q.centreY};
      SDL_RenderCopyExF(renderer_, texture, &source, &destination, q.angle, &centre, SDL_FLIP_NONE);
    }
    // Leave the textures as the batch path expects them.
    for (SDL_Texture* texture : textures_) {
      SDL_SetTextureColorMod(texture, 255, 255, 255);
      SDL_SetTextureAlphaMod(texture, 255);
    }
    std::fill(textureModes_.begin(), textureModes_.end(), SDL_BLENDMODE_INVALID);
  }

 private:
  // The output's size: the window's, or the off-screen surface's.
  void OutputSize(int* width, int* height) const {
    *width = *height = 0;
    if (surface_) {
      *width = surface_->w;
      *height = surface_->h;
    } else if (SDL_Window* window = SDL_RenderGetWindow(renderer_)) {
      SDL_GetWindowSize(window, width, height);
    }
  }

  // The canvas is needed when the area is given and is not the whole output
  // at the canvas's own size.
  bool WantsCanvas() const {
    if (!hasArea_ || canvasWidth_ <= 0 || canvasHeight_ <= 0) return false;
    int outputWidth = 0, outputHeight = 0;
    OutputSize(&outputWidth, &outputHeight);
    return !(area_.x == 0 && area_.y == 0 && area_.w == canvasWidth_ && area_.h == canvasHeight_ &&
             outputWidth == canvasWidth_ && outputHeight == canvasHeight_);
  }

  bool EnsureCanvas() {
    if (canvas_) return true;
    if (canvasFailed_) return false;
    // No alpha channel, as a window has none: blending into it reads and
    // leaves the same colours, and a read-back is opaque.
    canvas_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, canvasWidth_,
                                canvasHeight_);
    if (!canvas_) {
      canvasFailed_ = true;
      DebugConsole().Output("The room cannot be drawn scaled (%s); it is drawn straight into the window\n",
                            SDL_GetError());
      return false;
    }
    SDL_SetTextureScaleMode(canvas_, SDL_ScaleModeNearest);
    canvasMode_ = SDL_ScaleModeNearest;
    SDL_SetTextureBlendMode(canvas_, SDL_BLENDMODE_NONE);
    return true;
  }

  void SetCanvasScaleMode(SDL_ScaleMode mode) {
    if (mode == canvasMode_) return;
    SDL_SetTextureScaleMode(canvas_, mode);
    canvasMode_ = mode;
  }

  void DropEnlarged() {
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    enlarged_ = nullptr;
    enlargedFactor_ = 0;
    enlargedFailed_ = false;
  }

  // The canvas enlarged `factor` times, made (again) when the factor changes.
  bool EnsureEnlarged(int factor) {
    if (enlarged_ && enlargedFactor_ == factor) return true;
    if (enlargedFailed_ && enlargedFactor_ == factor) return false;
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    enlargedFactor_ = factor;
    enlarged_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, canvasWidth_ * factor,
                                  canvasHeight_ * factor);
    enlargedFailed_ = enlarged_ == nullptr;
    if (!enlarged_) {
      DebugConsole().Output("The room cannot be enlarged %d times before filtering (%s); it is filtered at its own "
                            "size\n", factor, SDL_GetError());
      return false;
    }
    SDL_SetTextureScaleMode(enlarged_, SDL_ScaleModeLinear);
    SDL_SetTextureBlendMode(enlarged_, SDL_BLENDMODE_NONE);
    return true;
  }

  // Puts the canvas into the window's area, the rest of the output black.
  // At a whole scale every room pixel becomes a solid block (nearest-pixel),
  // exactly as drawn. At any other scale nearest-pixel sampling would repeat
  // some room pixels and drop others, so a 1-pixel stroke of a letter comes
  // out doubled or missing. There the canvas is first enlarged nearest-pixel
  // to the next whole multiple of its size (not at all when the area is no
  // larger than the canvas), and that picture is filtered linearly down to
  // the area: every room pixel keeps its share of the window, a thin line
  // comes out slightly soft but whole.
  void CopyCanvasToArea() {
    const int factor = std::max({1, (area_.w + canvasWidth_ - 1) / canvasWidth_,
                                 (area_.h + canvasHeight_ - 1) / canvasHeight_});
    const bool whole = area_.w == factor * canvasWidth_ && area_.h == factor * canvasHeight_;
    SDL_Texture* source = canvas_;
    if (whole) {
      SetCanvasScaleMode(SDL_ScaleModeNearest);
    } else if (factor > 1 && EnsureEnlarged(factor)) {
      SetCanvasScaleMode(SDL_ScaleModeNearest);
      SDL_SetRenderTarget(renderer_, enlarged_);
      SDL_RenderSetScale(renderer_, 1, 1);
      SDL_RenderCopy(renderer_, canvas_, nullptr, nullptr);
      source = enlarged_;
    } else {
      SetCanvasScaleMode(SDL_ScaleModeLinear);
    }
    SDL_SetRenderTarget(renderer_, nullptr);
    SDL_RenderSetScale(renderer_, 1, 1);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 0xFF);
    SDL_RenderClear(renderer_);  // the bars
    SDL_RenderCopy(renderer_, source, nullptr, &area_);
  }

  // The first drawing call after a Present starts the frame: on the canvas
  // or straight on the output, as the window's area asks now. The choice
  // holds until the next Present.
  void BeginFrame() {
    if (frameOpen_) return;
    frameOpen_ = true;
    const bool useCanvas = WantsCanvas() && EnsureCanvas();
    if (useCanvas == onCanvas_) return;
    SDL_SetRenderTarget(renderer_, useCanvas ? canvas_ : nullptr);
    onCanvas_ = useCanvas;
  }

  void ApplyBlend(int textureHandle) {
    if (textureHandle == TEXTURE_NONE) {
      if (drawModeSet_) return;
      if (SDL_SetRenderDrawBlendMode(renderer_, composed_) != 0) SDL_SetRenderDrawBlendMode(renderer_, Fallback(blend_));
      drawModeSet_ = true;
      return;
    }
    size_t index = static_cast<size_t>(textureHandle);
    if (textureModes_[index] != SDL_BLENDMODE_INVALID) return;
    SDL_BlendMode mode = composed_;
    if (SDL_SetTextureBlendMode(textures_[index], mode) != 0) {
      mode = Fallback(blend_);
      SDL_SetTextureBlendMode(textures_[index], mode);
    }
    textureModes_[index] = mode;
  }

  // SDL refuses a whole call when one texture coordinate lies outside 0..1
  // (a glyph margin may reach past a page edge), so they are clamped in place.
  static void ClampUv(const VertexLayout& layout, uint8_t* data, int count) {
    for (int i = 0; i < count; ++i) {
      float uv[2];
      uint8_t* at = data + static_cast<size_t>(i) * static_cast<size_t>(layout.stride) + layout.uvOffset;
      std::memcpy(uv, at, sizeof uv);
      bool changed = false;
      for (float& c : uv) {
        if (c < 0.0f) c = 0.0f, changed = true;
        else if (c > 1.0f) c = 1.0f, changed = true;
      }
      if (changed) std::memcpy(at, uv, sizeof uv);
    }
  }

  bool DrawTriangles(SDL_Texture* texture, const VertexLayout& layout, uint8_t* data, int count) {
    if (count <= 0 || !data) return true;
    const float* uv = nullptr;
    if (texture) {
      ClampUv(layout, data, count);
      uv = reinterpret_cast<const float*>(data + layout.uvOffset);
    }
    const int* indices = software_ ? QuadIndices(layout, data, count) : nullptr;
    return SDL_RenderGeometryRaw(renderer_, texture, reinterpret_cast<const float*>(data + layout.positionOffset),
                                 layout.stride, reinterpret_cast<const SDL_Color*>(data + layout.colourOffset),
                                 layout.stride, uv, layout.stride, count, indices, indices ? count : 0,
                                 indices ? static_cast<int>(sizeof(int)) : 0) == 0;
  }

  // SDL's software renderer draws two triangles that share two vertex
  // indices and form an upright rectangle as one blit, which is much faster
  // than rasterising them. A quad of the batch repeats its bottom-right and
  // top-left corners as vertices 3 and 5; where they are equal byte for byte
  // the indices name the first copies, so SDL can see the shared corners.
  // Other triangles keep their own indices: the result is the same drawing.
  const int* QuadIndices(const VertexLayout& layout, const uint8_t* data, int count) {
    indices_.resize(static_cast<size_t>(count));
    const size_t stride = static_cast<size_t>(layout.stride);
    int i = 0;
    for (; i + 6 <= count; i += 6) {
      const uint8_t* quad = data + static_cast<size_t>(i) * stride;
      bool shared = std::memcmp(quad + 3 * stride, quad + 2 * stride, stride) == 0 &&
                    std::memcmp(quad + 5 * stride, quad, stride) == 0;
      int* out = &indices_[static_cast<size_t>(i)];
      out[0] = i;
      out[1] = i + 1;
      out[2] = i + 2;
      out[3] = shared ? i + 2 : i + 3;
      out[4] = i + 4;
      out[5] = shared ? i : i + 5;
    }
    for (; i < count; ++i) indices_[static_cast<size_t>(i)] = i;
    return indices_.data();
  }

  // A strip of n vertices as n - 2 triangles, every second one turned back.
  uint8_t* UnfoldStrip(const VertexLayout& layout, const uint8_t* data, int count) {
    if (count < 3) return nullptr;
    const size_t stride = static_cast<size_t>(layout.stride);
    scratch_.resize(static_cast<size_t>(count - 2) * 3 * stride);
    uint8_t* out = scratch_.data();
    for (int i = 0; i + 2 < count; ++i) {
      int a = i, b = i + 1, c = i + 2;
      if (i & 1) std::swap(a, b);
      for (int index : {a, b, c}) {
        std::memcpy(out, data + static_cast<size_t>(index) * stride, stride);
        out += stride;
      }
    }
    return scratch_.data();
  }

  bool DrawLines(PrimitiveKind kind, const VertexLayout& layout, const uint8_t* data, int count) {
    std::vector<SDL_FPoint> points(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
      std::memcpy(&points[static_cast<size_t>(i)], data + static_cast<size_t>(i) * layout.stride + layout.positionOffset,
                  sizeof(SDL_FPoint));
    uint8_t c[4];
    std::memcpy(c, data + layout.colourOffset, 4);
    SDL_SetRenderDrawColor(renderer_, c[0], c[1], c[2], c[3]);
    if (kind == PRIM_POINT_LIST) return SDL_RenderDrawPointsF(renderer_, points.data(), count) == 0;
    if (kind == PRIM_LINE_STRIP) return SDL_RenderDrawLinesF(renderer_, points.data(), count) == 0;
    bool ok = true;
    for (int i = 0; i + 1 < count; i += 2)
      ok = SDL_RenderDrawLineF(renderer_, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y) == 0 && ok;
    return ok;
  }

  SDL_Renderer* renderer_;
  SDL_Surface* surface_;
  bool ownsCursor_;
  std::vector<SDL_Texture*> textures_;
  std::vector<SDL_BlendMode> textureModes_;  // the mode last set on each texture
  bool drawModeSet_ = false;
  BlendState blend_;
  SDL_BlendMode composed_ = SDL_BLENDMODE_BLEND;
  std::vector<uint8_t> scratch_;
  std::vector<int> indices_;
  bool software_ = false;
  int canvasWidth_ = 0, canvasHeight_ = 0;  // 0: no canvas, frames go straight to the output
  SDL_Rect area_{0, 0, 0, 0};               // where the canvas goes in the output
  bool hasArea_ = false;
  SDL_Texture* canvas_ = nullptr;  // made when first needed
  bool canvasFailed_ = false;
  SDL_ScaleMode canvasMode_ = SDL_ScaleModeNearest;  // as last set on the canvas
  // The canvas enlarged to a whole multiple, for a window area at a scale
  // that is not whole; made when first needed.
  SDL_Texture* enlarged_ = nullptr;
  int enlargedFactor_ = 0;
  bool enlargedFailed_ = false;
  bool frameOpen_ = false;  // a drawing call came since the last Present
  bool onCanvas_ = false;   // the canvas is the render target
};

}  // namespace

Renderer* SdlRenderer_CreateForWindow(int canvasWidth, int canvasHeight, std::string* error) {
  SDL_Window* window = PlatformSdl_Window();
  const bool software = PlatformSdl_Headless();
  if (!window) {
    if (error) *error = "no window";
    return nullptr;
  }
  // With a forced driver SDL batches only when asked.
  SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
  Uint32 flags = software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags);
  if (!renderer && !software) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  Graphics_SetCursorSetter(SetSdlCursor);
  auto* result = new SdlRenderer(renderer, nullptr, true);
  result->SetCanvasSize(canvasWidth, canvasHeight);
  return result;
}

Renderer* SdlRenderer_CreateOffscreen(int width, int height, std::string* error) {
  SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(surface);
  if (!renderer) {
    if (error) *error = SDL_GetError();
    SDL_FreeSurface(surface);
    return nullptr;
  }
  return new SdlRenderer(renderer, surface, false);
}

void SdlRenderer_Destroy(Renderer* renderer) { delete renderer; }

void SdlRenderer_CopyQuads(Renderer* renderer, const SdlCopyQuad* quads, int count) {
  if (auto* sdl = dynamic_cast<SdlRenderer*>(renderer)) sdl->CopyQuads(quads, count);
}

void SdlRenderer_SetCanvasSize(Renderer* renderer, int width, int height) {
  if (auto* sdl = dynamic_cast<SdlRenderer*>(renderer)) sdl->SetCanvasSize(width, height);
}

void SdlRenderer_SetWindowArea(Renderer* renderer, int x, int y, int width, int height) {
  if (auto* sdl = dynamic_cast<SdlRenderer*>(renderer)) sdl->SetWindowArea(SDL_Rect{x, y, width, height});
}

bool SdlRenderer_ReadOutput(Renderer* renderer, std::vector<uint8_t>* rgba, int* width, int* height) {
  auto* sdl = dynamic_cast<SdlRenderer*>(renderer);
  return sdl && sdl->ReadOutput(rgba, width, height);
}
