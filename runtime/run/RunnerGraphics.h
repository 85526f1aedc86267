// SPDX-License-Identifier: Zlib
// The runner's use of the graphics subsystem: the renderer on the window,
// the resources from the game data, one drawn frame, screenshots, the splash,
// and the room's place in a window of another size.
//
// The room is drawn at the game's window size (the canvas). A window opened
// at a scale (-scale N, or Scale=N in options.ini) or resized by the user
// shows it enlarged or shrunk to the largest area of the canvas's aspect that
// fits, centred between black bars, with nearest-pixel sampling; the mouse is
// mapped back through the same area. Screenshots keep the canvas's size.
#pragma once

#include <string>

struct GameOptions;

// The area of a window that shows the canvas: the largest of the canvas's
// aspect that fits, centred. The bars on both sides of an axis are equally
// wide (the mouse mapping takes one inset for both sides), so the area keeps
// the window's parity and may be a pixel wider or taller than the exact
// aspect. The whole window when either size is not positive.
struct WindowArea {
  int x = 0, y = 0, width = 0, height = 0;
};
WindowArea RunnerGraphics_FitArea(int windowWidth, int windowHeight, int canvasWidth, int canvasHeight);

// The Scale line of an options.ini text ("Scale=N", N from 1 to 8, in any
// section; lines starting with ';' or '[' are skipped). 0 when the text has
// no such line or its value is not a whole number from 1 to 8.
int RunnerGraphics_ScaleFromOptionsIni(const std::string& text);

// width x height: the canvas, the game's window size.
bool RunnerGraphics_Init(int width, int height, const GameOptions& options);
void RunnerGraphics_BuildResources();
// Makes the textures of pages decoded since; wait: until all are decoded.
// False, after reporting it, when a page's data is damaged.
bool RunnerGraphics_UpdatePages(bool wait);
// Draws the current room, shows the cursor chosen during the frame, and
// presents the frame.
void RunnerGraphics_DrawFrame();
bool RunnerGraphics_Screenshot(const char* path);
// Frames presented whole since the start, and frames left as they were
// because they asked for exactly the drawing of the frame before.
void RunnerGraphics_FrameCounts(long* drawn, long* reused);
// Off: every frame is drawn whole, even one equal to the frame before (for
// benchmarks that measure what leaving them saves). On by default; holds
// from the next renderer made, or the current one.
void RunnerGraphics_SetFrameReuse(bool reuse);
// Shows "splash.png" while the game loads, when there is one.
void RunnerGraphics_ShowSplash(const char* path);
void RunnerGraphics_Shutdown();
