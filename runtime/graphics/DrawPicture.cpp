// SPDX-License-Identifier: Zlib
#include "graphics/DrawPicture.h"

#include "graphics/Batch.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"

bool Graphics_DrawPicture(uint32_t clearColour, void (*draw)(void* context), void* context,
                          std::vector<uint8_t>* rgba, int* width, int* height) {
  GraphicsState& state = Graphics_State();
  if (!state.renderer || !draw) return false;
  // What the room drew before belongs to its own projection.
  Batch_Flush();
  int targetWidth = 0, targetHeight = 0;
  std::vector<uint8_t> probe;
  if (!state.renderer->ReadPixels(&probe, &targetWidth, &targetHeight)) return false;
  const ViewRect view{0, 0, static_cast<float>(targetWidth), static_cast<float>(targetHeight)};
  Graphics_SetView(view.x, view.y, view.width, view.height);
  state.renderer->SetProjectionAndClear(view, clearColour | 0xFF000000u, true);
  state.projectedView = view;
  state.reservedAtProjection = state.batch.reservedTotal;
  draw(context);
  Batch_Flush();
  return state.renderer->ReadPixels(rgba, width, height);
}
