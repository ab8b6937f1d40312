// Present shows the back buffer in the window: full screen keeps its aspect between black bars,
// a window shows it stretched over the drawable. The window here is one of SDL's offscreen
// driver, whose surface keeps its pixels after the swap so they can be read back.
#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/d3d8/gl/renderer.h"

namespace zentu::test {
namespace {

struct PresentCase {
  const char* name;
  bool fullScreen;
  int redFrom, redTo;  // columns of the 128 × 64 window that show the 64 × 64 back buffer
};

TEST(Present, BlitsTheBackBufferIntoTheWindow) {
  const PresentCase cases[] = {{"full screen keeps the aspect", true, 32, 96},
                               {"windowed fills the drawable", false, 0, 128}};
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_Window* window = SDL_CreateWindow("present", 0, 0, 128, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    GTEST_SKIP() << "no OpenGL window: " << SDL_GetError();
  }
  for (const PresentCase& c : cases) {
    SCOPED_TRACE(c.name);
    RendererConfig config;
    config.width = config.height = 64;
    config.fullScreen = c.fullScreen;
    config.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    config.window = window;
    std::unique_ptr<Renderer> renderer = makeGlRenderer(config);
    RenderState state;
    resetRenderState(state, 64, 64);
    renderer->clear(state, 0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    if (!renderer->hasPixels()) {
      ADD_FAILURE() << "a window with OpenGL but no context";
      break;
    }
    renderer->present();
    std::vector<uint32_t> pixels(128 * 64);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(0, 0, 128, 64, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    for (int x : {0, c.redFrom - 1, c.redFrom, c.redTo - 1, c.redTo, 127}) {
      if (x < 0 || x > 127) continue;
      const bool red = x >= c.redFrom && x < c.redTo;
      EXPECT_EQ(pixels[32 * 128 + x] & 0xFFFFFF, red ? 0xFF0000u : 0u) << "column " << x;
    }
  }
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace zentu::test

namespace zentu::test {
namespace {

TEST(ReadBack, ConvertsToTheBackBufferFormat) {
  struct Case {
    const char* name;
    D3DFORMAT format;
    uint32_t bytes;
    uint32_t expected;  // the top-left pixel after clearing to 0x80FF8040 and the bottom half to 0
  };
  const Case cases[] = {{"A8R8G8B8", D3DFMT_A8R8G8B8, 4, 0x80FF8040},
                        {"X8R8G8B8", D3DFMT_X8R8G8B8, 4, 0x80FF8040},
                        {"R5G6B5", D3DFMT_R5G6B5, 2, 0xFC08},
                        {"X1R5G5B5", D3DFMT_X1R5G5B5, 2, 0xFE08},
                        {"A1R5G5B5", D3DFMT_A1R5G5B5, 2, 0xFE08}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RendererConfig config;
    config.width = 8;
    config.height = 4;
    config.backBufferFormat = c.format;
    std::unique_ptr<Renderer> renderer = makeGlRenderer(config);
    RenderState state;
    resetRenderState(state, 8, 4);
    renderer->clear(state, 0, nullptr, D3DCLEAR_TARGET, 0x80FF8040, 1.0f, 0);
    if (!renderer->hasPixels()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
    const D3DRECT bottom = {0, 2, 8, 4};
    renderer->clear(state, 1, &bottom, D3DCLEAR_TARGET, 0, 1.0f, 0);
    const uint32_t pitch = 8 * c.bytes + 4;  // a pitch wider than the row is kept
    std::vector<uint8_t> bits(pitch * 4, 0xEE);
    ASSERT_TRUE(renderer->readBackBuffer(bits.data(), pitch));
    uint32_t top = 0, last = 0;
    std::memcpy(&top, bits.data(), c.bytes);
    std::memcpy(&last, bits.data() + 3 * pitch + 7 * c.bytes, c.bytes);
    EXPECT_EQ(top, c.expected) << "top row first";
    EXPECT_EQ(last & (c.format == D3DFMT_A1R5G5B5 || c.format == D3DFMT_X1R5G5B5 ? 0x7FFF : 0xFFFFFF), 0u);
    EXPECT_EQ(bits[8 * c.bytes], 0xEE) << "padding untouched";
  }
}

}  // namespace
}  // namespace zentu::test
