// Reference images: rendered headless, stored as 8-bit RGB PNGs, compared channel by channel.
// Tolerance: a pixel differs when any of its red, green or blue channels is more than
// kChannelTolerance away; an image matches when at most kDifferingShare of its pixels differ.
// The same Mesa build renders bit for bit the same; the slack absorbs other Mesa versions.
#include "tests/platform/render/render_fixture.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zentu::test {
namespace {

constexpr int kChannelTolerance = 3;
constexpr double kDifferingShare = 0.01;

bool updating() {
  const char* value = std::getenv("ZENTU_UPDATE_REFERENCES");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

bool writePng(const std::string& path, const Image& image) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
  bool ok = false;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < image.height; ++y) {
      for (uint32_t x = 0; x < image.width; ++x) {
        const uint32_t p = image.at(x, y);
        row[3 * x] = static_cast<uint8_t>(p >> 16);
        row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(p);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return ok;
}

bool readPng(const std::string& path, Image& image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_BGRA;
  image.width = png.width;
  image.height = png.height;
  image.pixels.assign(static_cast<size_t>(png.width) * png.height, 0);
  const bool ok = png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) != 0;
  png_image_free(&png);
  return ok;
}

}  // namespace

DWORD floatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

D3DMATRIX identity() {
  D3DMATRIX m;
  std::memset(&m, 0, sizeof m);
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DMATRIX translation(float x, float y, float z) {
  D3DMATRIX m = identity();
  m._41 = x;
  m._42 = y;
  m._43 = z;
  return m;
}

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] =
          a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

D3DMATRIX rotationYX(float yaw, float pitch) {
  const float cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
  // Ry × Rx in the row-vector convention.
  D3DMATRIX m = identity();
  m._11 = cy;
  m._12 = sy * sp;
  m._13 = -sy * cp;
  m._22 = cp;
  m._23 = sp;
  m._31 = sy;
  m._32 = -cy * sp;
  m._33 = cy * cp;
  return m;
}

D3DMATRIX perspectiveFovLH(float fovY, float aspect, float zn, float zf) {
  const float ys = 1.0f / std::tan(fovY / 2), xs = ys / aspect;
  D3DMATRIX m;
  std::memset(&m, 0, sizeof m);
  m._11 = xs;
  m._22 = ys;
  m._33 = zf / (zf - zn);
  m._34 = 1.0f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

void RenderTest::SetUp() {
  RendererConfig config;
  config.width = config.height = kImageSize;
  config.depthStencilFormat = D3DFMT_D24S8;
  renderer = makeGlRenderer(config);
  resetRenderState(state, kImageSize, kImageSize);
  renderer->clear(state, 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f,
                  0);
  if (!renderer->hasPixels()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
}

Image RenderTest::capture() {
  Image image;
  image.width = image.height = kImageSize;
  image.pixels.assign(static_cast<size_t>(kImageSize) * kImageSize, 0);
  EXPECT_TRUE(renderer->readBackBuffer(image.pixels.data(), kImageSize * 4));
  return image;
}

void RenderTest::clear(D3DCOLOR color) {
  renderer->clear(state, 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, color, 1.0f, 0);
}

void RenderTest::drawScreen(D3DPRIMITIVETYPE type, const std::vector<ScreenVertex>& vertices,
                            UINT primitives) {
  state.fvf = kScreenFvf;
  renderer->drawPrimitiveUp(state, type, primitives, vertices.data(), sizeof(ScreenVertex));
}

void RenderTest::expectMatchesReference(const Image& image, const std::string& name) {
  const std::string path = "reference/" + name + ".png";
  if (updating()) {
    ASSERT_TRUE(writePng(path, image)) << path;
    return;
  }
  Image reference;
  ASSERT_TRUE(readPng(path, reference)) << path << " is missing; run with ZENTU_UPDATE_REFERENCES=1";
  ASSERT_EQ(reference.width, image.width);
  ASSERT_EQ(reference.height, image.height);
  size_t differing = 0;
  int worst = 0;
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    int d = 0;
    for (int c = 0; c < 3; ++c)
      d = std::max(d, std::abs(channel(image.pixels[i], c) - channel(reference.pixels[i], c)));
    worst = std::max(worst, d);
    if (d > kChannelTolerance) ++differing;
  }
  const double share = static_cast<double>(differing) / static_cast<double>(image.pixels.size());
  EXPECT_LE(share, kDifferingShare) << name << ": " << differing << " pixels differ, worst channel by "
                                    << worst;
  if (share > kDifferingShare) writePng(::testing::TempDir() + name + ".actual.png", image);
}

void expectColorNear(uint32_t pixel, float r, float g, float b, int tolerance, const char* what) {
  const float want[3] = {b, g, r};
  for (int c = 0; c < 3; ++c) {
    const int expected = static_cast<int>(std::lround(std::fmin(std::fmax(want[c], 0.0f), 1.0f) * 255.0f));
    EXPECT_NEAR(channel(pixel, c), expected, tolerance) << what << ", channel "
                                                        << "bgr"[c];
  }
}

}  // namespace zentu::test
