// The OpenGL 3.3 core context a GL renderer draws with: the window's own, or one on a hidden
// window of SDL's offscreen video driver (EGL, no display needed).
#ifndef ZENTU_PLATFORM_D3D8_GL_GL_CONTEXT_H
#define ZENTU_PLATFORM_D3D8_GL_GL_CONTEXT_H

#include <string>

struct SDL_Window;

namespace zentu {

class GlContext {
 public:
  GlContext() = default;
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;
  ~GlContext();

  // Makes the context for `window` (not owned), or an offscreen one when `window` is null.
  // False with `error` set when no context can be had.
  bool create(SDL_Window* window, std::string& error);
  void makeCurrent();
  void swap();
  void setSwapInterval(int interval);
  // The drawable size of the window in pixels; false when offscreen.
  bool windowSize(int& width, int& height) const;
  bool offscreen() const { return ownWindow_; }

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  bool ownWindow_ = false;
};

}  // namespace zentu

#endif
