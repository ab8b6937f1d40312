// Every texture format the renderer samples reads back with the device's channel meaning, and the
// renderer without pixels still records what it was asked to do.
#include <cstring>
#include <vector>

#include "tests/platform/render/render_fixture.h"

namespace zentu::test {
namespace {

struct ScreenTexVertex {
  float x, y, z, rhw;
  float u, v;
};

struct FormatCase {
  const char* name;
  D3DFORMAT format;
  std::vector<uint8_t> texel;  // one texel, or one 4x4 block for the DXT formats
  float r, g, b, a;
};

const std::vector<uint8_t> kRedBlock = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0};
const std::vector<uint8_t> kGreenBlock = {0xE0, 0x07, 0x00, 0x00, 0, 0, 0, 0};

std::vector<uint8_t> join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class TextureFormats : public RenderTest {};

TEST_F(TextureFormats, EachSampledFormatReadsItsChannels) {
  const float k5 = 16 / 31.0f, k6 = 32 / 63.0f, k4 = 8 / 15.0f, k8 = 128 / 255.0f;
  const FormatCase cases[] = {
      {"A8R8G8B8",
       D3DFMT_A8R8G8B8,
       {0x10, 0x20, 0x40, 0x80},
       0x40 / 255.0f,
       0x20 / 255.0f,
       0x10 / 255.0f,
       k8},
      {"X8R8G8B8", D3DFMT_X8R8G8B8, {0x10, 0x20, 0x40, 0x00}, 0x40 / 255.0f, 0x20 / 255.0f, 0x10 / 255.0f, 1},
      {"R8G8B8", D3DFMT_R8G8B8, {0x10, 0x20, 0x40}, 0x40 / 255.0f, 0x20 / 255.0f, 0x10 / 255.0f, 1},
      {"R5G6B5", D3DFMT_R5G6B5, {0x10, 0x84}, k5, k6, k5, 1},
      {"X1R5G5B5", D3DFMT_X1R5G5B5, {0x00, 0x7C}, 1, 0, 0, 1},
      {"A1R5G5B5", D3DFMT_A1R5G5B5, {0x1F, 0x00}, 0, 0, 1, 0},
      {"A4R4G4B4", D3DFMT_A4R4G4B4, {0x00, 0x8F}, 1, 0, 0, k4},
      {"X4R4G4B4", D3DFMT_X4R4G4B4, {0xF0, 0x00}, 0, 1, 0, 1},
      {"R3G3B2", D3DFMT_R3G3B2, {0xE0}, 1, 0, 0, 1},
      {"A8R3G3B2", D3DFMT_A8R3G3B2, {0x1C, 0x80}, 0, 1, 0, k8},
      {"A2B10G10R10", D3DFMT_A2B10G10R10, {0xFF, 0x03, 0x00, 0xC0}, 1, 0, 0, 1},
      {"G16R16", D3DFMT_G16R16, {0x00, 0x00, 0xFF, 0xFF}, 0, 1, 1, 1},
      {"A8", D3DFMT_A8, {0x80}, 0, 0, 0, k8},
      {"L8", D3DFMT_L8, {0x80}, k8, k8, k8, 1},
      {"A8L8", D3DFMT_A8L8, {0x80, 0x40}, k8, k8, k8, 0x40 / 255.0f},
      {"A4L4", D3DFMT_A4L4, {0x8F}, 1, 1, 1, k4},
      {"DXT1", D3DFMT_DXT1, kRedBlock, 1, 0, 0, 1},
      {"DXT2", D3DFMT_DXT2, join({0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}, kRedBlock), 1, 0, 0, k4},
      {"DXT3", D3DFMT_DXT3, join({0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}, kRedBlock), 1, 0, 0, k4},
      {"DXT4", D3DFMT_DXT4, join({0x80, 0x00, 0, 0, 0, 0, 0, 0}, kGreenBlock), 0, 1, 0, k8},
      {"DXT5", D3DFMT_DXT5, join({0x80, 0x00, 0, 0, 0, 0, 0, 0}, kGreenBlock), 0, 1, 0, k8},
  };
  const ScreenTexVertex quad[4] = {
      {0, 0, 0.5f, 1, 0, 0}, {64, 0, 0.5f, 1, 1, 0}, {0, 64, 0.5f, 1, 0, 1}, {64, 64, 0.5f, 1, 1, 1}};
  state.renderStates[D3DRS_LIGHTING] = FALSE;
  state.fvf = D3DFVF_XYZRHW | D3DFVF_TEX1;
  uint64_t id = 100;
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(rendererSamplesFormat(c.format));
    const bool block = c.texel.size() >= 8 && c.format > 0xFFFF;
    std::vector<uint8_t> bits;
    if (block) {
      bits = c.texel;
    } else {
      for (int i = 0; i < 16; ++i) bits.insert(bits.end(), c.texel.begin(), c.texel.end());
    }
    TextureView texture;
    texture.key = {++id, 1};
    texture.format = c.format;
    texture.levelCount = 1;
    texture.levels[0] = {bits.data(), 4, 4, static_cast<uint32_t>(block ? bits.size() : 4 * c.texel.size())};
    state.textures[0] = &texture;
    for (DWORD replicate : {0u, static_cast<DWORD>(D3DTA_ALPHAREPLICATE)}) {
      state.stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
      state.stageStates[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE | replicate;
      clear(0xFF000000);
      renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex));
      const uint32_t pixel = capture().at(32, 32);
      if (replicate == 0)
        expectColorNear(pixel, c.r, c.g, c.b, 2, "colour");
      else
        expectColorNear(pixel, c.a, c.a, c.a, 2, "alpha");
    }
    renderer->forget(texture.key.id);
  }
  EXPECT_FALSE(rendererSamplesFormat(D3DFMT_P8));
  EXPECT_FALSE(rendererSamplesFormat(D3DFMT_V8U8));
}

TEST_F(TextureFormats, ChangedContentsAreUploadedAgain) {
  uint32_t texel = 0xFFFF0000;
  TextureView texture;
  texture.key = {500, 1};
  texture.format = D3DFMT_A8R8G8B8;
  texture.levelCount = 1;
  texture.levels[0] = {&texel, 1, 1, 4};
  state.textures[0] = &texture;
  state.renderStates[D3DRS_LIGHTING] = FALSE;
  state.fvf = D3DFVF_XYZRHW | D3DFVF_TEX1;
  const ScreenTexVertex quad[4] = {
      {0, 0, 0.5f, 1, 0, 0}, {64, 0, 0.5f, 1, 1, 0}, {0, 64, 0.5f, 1, 0, 1}, {64, 64, 0.5f, 1, 1, 1}};
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex));
  expectColorNear(capture().at(5, 5), 1, 0, 0, 0, "first contents");
  texel = 0xFF00FF00;  // written without a change: the renderer keeps its copy
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex));
  expectColorNear(capture().at(5, 5), 1, 0, 0, 0, "unchanged counter");
  texture.key.changeCount = 2;
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex));
  expectColorNear(capture().at(5, 5), 0, 1, 0, 0, "moved counter");
  EXPECT_EQ(renderer->stats().textureUploads, 2u);
}

TEST_F(TextureFormats, ClearRectanglesStayInsideTheViewport) {
  clear(0xFF000000);
  state.viewport = {0, 0, 32, 64, 0.0f, 1.0f};
  const D3DRECT rects[2] = {{0, 0, 48, 16}, {8, 40, 16, 48}};
  renderer->clear(state, 2, rects, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  const Image image = capture();
  expectColorNear(image.at(4, 4), 1, 0, 0, 0, "first rectangle, top left");
  expectColorNear(image.at(40, 4), 0, 0, 0, 0, "first rectangle beyond the viewport");
  expectColorNear(image.at(12, 44), 1, 0, 0, 0, "second rectangle");
  expectColorNear(image.at(4, 30), 0, 0, 0, 0, "between the rectangles");
}

TEST(RendererWithoutPixels, RecordsCallsAndSaysSoOnce) {
  RendererConfig config;  // an empty back buffer: no context can serve it
  std::unique_ptr<Renderer> renderer = makeGlRenderer(config);
  RenderState state;
  resetRenderState(state, 0, 0);
  ::testing::internal::CaptureStderr();
  renderer->clear(state, 0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLELIST, 1, nullptr, 0);
  renderer->present();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(renderer->hasPixels());
  uint32_t pixel = 0x12345678;
  EXPECT_FALSE(renderer->readBackBuffer(&pixel, 4));
  EXPECT_EQ(pixel, 0x12345678u);
  EXPECT_EQ(renderer->stats().clears, 1u);
  EXPECT_EQ(renderer->stats().draws, 1u);
  EXPECT_EQ(renderer->stats().presents, 1u);
  EXPECT_NE(err.find("no OpenGL"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
}

TEST(FvfVertexSize, CountsEveryComponent) {
  struct Case {
    const char* name;
    DWORD fvf;
    uint32_t size;
  };
  const Case cases[] = {
      {"position", D3DFVF_XYZ, 12},
      {"pre-transformed, colour", D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 20},
      {"position, normal, one set", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32},
      {"blend weights skipped in size", D3DFVF_XYZB3 | D3DFVF_NORMAL, 36},
      {"everything",
       D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
           D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE4(1),
       12 + 12 + 4 + 4 + 4 + 4 + 16},
      {"eight sets of three", D3DFVF_XYZ | D3DFVF_TEX8 | 0x5555 << 16, 12 + 8 * 12},
      {"no position", D3DFVF_NORMAL, 0},
      {"nine sets", D3DFVF_XYZ | 0x900, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(fvfVertexSize(c.fvf), c.size) << c.name;
}

}  // namespace
}  // namespace zentu::test
