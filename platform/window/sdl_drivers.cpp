// Driver choice for SDL: the offscreen video and dummy audio drivers are set explicitly when no
// display exists or headless running was asked for, so nothing depends on SDL's own probing.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace zentu {
namespace {

bool headlessRequested = false;
bool videoStarted = false;
bool videoFailed = false;

bool envSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

void forceDrivers() {
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
}

}  // namespace

void requestHeadless() {
  headlessRequested = true;
  prepareSdlDrivers();
}

bool displayAvailable() {
  return envSet("DISPLAY") || envSet("WAYLAND_DISPLAY");
}

bool isHeadless() {
  return headlessRequested || !displayAvailable();
}

void prepareSdlDrivers() {
  // The demo polls its events itself; closing the last window must not add a quit of its own.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (isHeadless()) forceDrivers();
}

bool startVideo() {
  if (videoStarted) return true;
  if (videoFailed) return false;
  prepareSdlDrivers();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const bool wasHeadless = isHeadless();
    std::fprintf(stderr, "zentu: cannot open the display (%s)%s\n", SDL_GetError(),
                 wasHeadless ? "" : "; running without one");
    if (!wasHeadless) {
      headlessRequested = true;
      forceDrivers();
      if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) {
        videoStarted = true;
        return true;
      }
      std::fprintf(stderr, "zentu: no offscreen video either (%s)\n", SDL_GetError());
    }
    videoFailed = true;
    return false;
  }
  videoStarted = true;
  return true;
}

}  // namespace zentu
