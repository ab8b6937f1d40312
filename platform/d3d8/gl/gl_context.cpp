// OpenGL context creation through SDL2. Headless runs use SDL's offscreen video driver, which
// gives an EGL context on Mesa without any display.
#include "platform/d3d8/gl/gl_context.h"

#include <SDL.h>

namespace zentu {
namespace {

// Video and the GL library stay up once started, for the life of the process: every context
// after the first then costs no driver load, and the driver is never unloaded under allocations
// it still holds.
bool startVideo(std::string& error) {
  static bool started = false;
  if (started) return true;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    // A renderer without a window never needs a display: ask for the offscreen driver unless the
    // user chose one, and fall back to it when the chosen one cannot start.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return false;
      }
    }
  } else if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  if (SDL_GL_LoadLibrary(nullptr) != 0) {
    error = SDL_GetError();
    return false;
  }
  started = true;
  return true;
}

void askForCore33() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

}  // namespace

GlContext::~GlContext() {
  if (context_ != nullptr) {
    if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
  }
  if (ownWindow_ && window_ != nullptr) SDL_DestroyWindow(window_);
}

bool GlContext::create(SDL_Window* window, std::string& error) {
  if (!startVideo(error)) return false;
  if (window == nullptr) {
    askForCore33();
    window_ = SDL_CreateWindow("zentu", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_ == nullptr) {
      error = SDL_GetError();
      return false;
    }
    ownWindow_ = true;
  } else {
    window_ = window;
    askForCore33();
  }
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    error = SDL_GetError();
    return false;
  }
  return true;
}

void GlContext::makeCurrent() {
  if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
}

void GlContext::swap() {
  if (!ownWindow_) SDL_GL_SwapWindow(window_);
}

void GlContext::setSwapInterval(int interval) {
  if (!ownWindow_) SDL_GL_SetSwapInterval(interval);
}

bool GlContext::windowSize(int& width, int& height) const {
  if (ownWindow_ || window_ == nullptr) return false;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  return true;
}

}  // namespace zentu
