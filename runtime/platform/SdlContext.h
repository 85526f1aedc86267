// SPDX-License-Identifier: Zlib
// Inside the platform layer only: the SDL objects that its files share. The
// window file owns them; the renderer file draws into the window.
#pragma once

struct SDL_Window;

// The program's window, or null before it is made (or when none is made).
SDL_Window* PlatformSdl_Window();
// True when SDL runs on its dummy video driver (-headless): no real window,
// the renderer must be the software one.
bool PlatformSdl_Headless();
