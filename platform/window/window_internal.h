// What the other stand-ins (the graphics device, the sound) share with the window module: the
// SDL window behind a handle and the driver choice for headless running.
#pragma once

#include "zentu/wintypes.h"

struct SDL_Window;

namespace zentu {

// The SDL window behind a handle made by createWindow, also after destroyWindow (hidden then);
// null for any other value. Windows are made with SDL_WINDOW_OPENGL where the system has OpenGL.
SDL_Window* sdlWindowOf(HWND window);

// Sets SDL's video and audio driver hints for headless running (offscreen video, dummy audio)
// when no display exists or headless running was asked for. Every start of an SDL subsystem in
// the program goes after it; it is cheap to call again.
void prepareSdlDrivers();

// Starts SDL's video and event subsystems once. When a display is named but cannot be reached,
// falls back to the offscreen driver with one line on stderr. False when no video driver starts.
bool startVideo();

}  // namespace zentu
