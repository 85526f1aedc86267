// The runner's use of the graphics subsystem: the renderer on the window,
// the resources from the game data, one drawn frame, screenshots, the splash.
#pragma once

struct GameOptions;

bool RunnerGraphics_Init(int width, int height, const GameOptions& options);
void RunnerGraphics_BuildResources();
// Makes the textures of pages decoded since; wait: until all are decoded.
// False, after reporting it, when a page's data is damaged.
bool RunnerGraphics_UpdatePages(bool wait);
// Draws the current room, shows the cursor chosen during the frame, and
// presents the frame.
void RunnerGraphics_DrawFrame();
bool RunnerGraphics_Screenshot(const char* path);
// Shows "splash.png" while the game loads.
void RunnerGraphics_ShowSplash(const char* path);
void RunnerGraphics_Shutdown();
