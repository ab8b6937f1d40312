// Shared pieces of the renderer tests: a small headless GL renderer with its state, the vertex
// records the scenes use, matrices, and reference-image comparison against committed PNGs.
#ifndef ZENTU_TESTS_PLATFORM_RENDER_RENDER_FIXTURE_H
#define ZENTU_TESTS_PLATFORM_RENDER_RENDER_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d8/gl/renderer.h"

namespace zentu::test {

constexpr uint32_t kImageSize = 64;

// Screen-space vertex with a colour: D3DFVF_XYZRHW | D3DFVF_DIFFUSE.
struct ScreenVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// Lit, textured vertex: D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1.
struct LitVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

struct Image {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
  uint32_t at(uint32_t x, uint32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

DWORD floatBits(float value);
D3DMATRIX identity();
D3DMATRIX translation(float x, float y, float z);
D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b);  // a × b
D3DMATRIX rotationYX(float yaw, float pitch);                // rotation about y, then about x
D3DMATRIX perspectiveFovLH(float fovY, float aspect, float zn, float zf);

// A headless renderer of kImageSize square with a D24S8 depth-stencil buffer. Skips the test
// when this machine cannot make an OpenGL 3.3 context.
class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  Image capture();
  void clear(D3DCOLOR color);
  void drawScreen(D3DPRIMITIVETYPE type, const std::vector<ScreenVertex>& vertices, UINT primitives);
  // Compares with reference/<name>.png, or writes it when ZENTU_UPDATE_REFERENCES=1.
  void expectMatchesReference(const Image& image, const std::string& name);

  std::unique_ptr<Renderer> renderer;
  RenderState state;
};

// Channel c (0 blue, 1 green, 2 red, 3 alpha) of a 0xAARRGGBB pixel.
inline int channel(uint32_t pixel, int c) {
  return static_cast<int>((pixel >> (8 * c)) & 0xFF);
}
// Expects the pixel's red, green and blue within `tolerance` of the given 0-1 values.
void expectColorNear(uint32_t pixel, float r, float g, float b, int tolerance, const char* what);

}  // namespace zentu::test

#endif
