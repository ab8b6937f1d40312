// The pipeline states one by one, each checked at pixels against the value computed here:
// texture stage operations and arguments, address modes, filters, stencil, alpha test, fill
// mode, flat shading and the viewport.
#include <algorithm>
#include <vector>

#include "tests/platform/render/render_fixture.h"

namespace zentu::test {
namespace {

struct TexturedVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
constexpr DWORD kTexturedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Color {
  float r, g, b, a;
};

Color colorOf(uint32_t c) {
  return {static_cast<float>((c >> 16) & 0xFF) / 255, static_cast<float>((c >> 8) & 0xFF) / 255,
          static_cast<float>(c & 0xFF) / 255, static_cast<float>(c >> 24) / 255};
}

Color map(Color a, Color b, float (*f)(float, float)) {
  return {f(a.r, b.r), f(a.g, b.g), f(a.b, b.b), f(a.a, b.a)};
}

float saturate(float v) {
  return std::min(std::max(v, 0.0f), 1.0f);
}

class PipelineStates : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    if (IsSkipped()) return;
    state.renderStates[D3DRS_LIGHTING] = FALSE;
    state.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
    state.fvf = kTexturedFvf;
  }
  // A full-target quad with one colour and texture coordinates from (u1, v1) to (u2, v2).
  void drawQuad(uint32_t diffuse, float u1 = 0, float v1 = 0, float u2 = 1, float v2 = 1) {
    const TexturedVertex quad[4] = {{0, 0, 0.5f, 1, diffuse, u1, v1},
                                    {64, 0, 0.5f, 1, diffuse, u2, v1},
                                    {0, 64, 0.5f, 1, diffuse, u1, v2},
                                    {64, 64, 0.5f, 1, diffuse, u2, v2}};
    renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
  }
  void bind(TextureView& texture, uint64_t id, D3DFORMAT format, const void* bits, uint32_t w, uint32_t h,
            uint32_t pitch) {
    texture.key = {id, 1};
    texture.format = format;
    texture.levelCount = 1;
    texture.levels[0] = {bits, w, h, pitch};
    state.textures[0] = &texture;
  }
};

TEST_F(PipelineStates, TextureStageOperations) {
  const uint32_t texel = 0x804080C0, diffuseBits = 0x40FF8020, factorBits = 0xC0204060;
  const Color tex = colorOf(texel), dif = colorOf(diffuseBits), tf = colorOf(factorBits);
  auto blend = [](Color a, Color b, float t) {
    return Color{a.r * t + b.r * (1 - t), a.g * t + b.g * (1 - t), a.b * t + b.b * (1 - t), 0};
  };
  struct Case {
    const char* name;
    DWORD op, arg1, arg2;
    DWORD op1, arg11, arg12;  // stage 1
    Color expected;
  };
  const Case cases[] = {
      {"SELECTARG1 texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0, tex},
      {"SELECTARG2 diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0, dif},
      {"SELECTARG1 factor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0, tf},
      {"MODULATE", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       map(tex, dif, [](float a, float b) { return a * b; })},
      {"MODULATE2X", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       map(tex, dif, [](float a, float b) { return saturate(2 * a * b); })},
      {"MODULATE4X", D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       map(tex, dif, [](float a, float b) { return saturate(4 * a * b); })},
      {"ADD", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       map(tex, dif, [](float a, float b) { return saturate(a + b); })},
      {"BLENDTEXTUREALPHA", D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       blend(tex, dif, tex.a)},
      {"BLENDDIFFUSEALPHA", D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       blend(tex, dif, dif.a)},
      {"complement", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       map(tex, tex, [](float a, float) { return 1 - a; })},
      {"stage 1 modulates current by factor", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TFACTOR, map(tex, tf, [](float a, float b) { return a * b; })},
      {"stage 1 shows stage 0 alpha",
       D3DTOP_SELECTARG1,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       D3DTOP_SELECTARG1,
       D3DTA_CURRENT | D3DTA_ALPHAREPLICATE,
       0,
       {tex.a, tex.a, tex.a, 0}},
      {"stage 0 off leaves diffuse", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
       D3DTA_TEXTURE, 0, dif},
  };
  TextureView texture;
  bind(texture, 1, D3DFMT_A8R8G8B8, &texel, 1, 1, 4);
  state.renderStates[D3DRS_TEXTUREFACTOR] = factorBits;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD* s0 = state.stageStates[0];
    DWORD* s1 = state.stageStates[1];
    s0[D3DTSS_COLOROP] = c.op;
    s0[D3DTSS_COLORARG1] = c.arg1;
    s0[D3DTSS_COLORARG2] = c.arg2;
    s1[D3DTSS_COLOROP] = c.op1;
    s1[D3DTSS_COLORARG1] = c.arg11;
    s1[D3DTSS_COLORARG2] = c.arg12;
    clear(0xFF000000);
    drawQuad(diffuseBits);
    expectColorNear(capture().at(32, 32), c.expected.r, c.expected.g, c.expected.b, 1, c.name);
  }
}

TEST_F(PipelineStates, AddressModes) {
  const uint32_t texels[2] = {0xFFFF0000, 0xFF00FF00};  // red, green
  struct Case {
    const char* name;
    DWORD mode;
    Color left, right;  // at u = -0.53 and u = 1.72
  };
  const Color red{1, 0, 0, 1}, green{0, 1, 0, 1}, blue{0, 0, 1, 1};
  const Case cases[] = {{"wrap", D3DTADDRESS_WRAP, red, green},
                        {"mirror", D3DTADDRESS_MIRROR, green, red},
                        {"clamp", D3DTADDRESS_CLAMP, red, green},
                        {"border", D3DTADDRESS_BORDER, blue, blue}};
  TextureView texture;
  bind(texture, 2, D3DFMT_A8R8G8B8, texels, 2, 1, 8);
  state.stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
  state.stageStates[0][D3DTSS_BORDERCOLOR] = 0xFF0000FF;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state.stageStates[0][D3DTSS_ADDRESSU] = c.mode;
    state.stageStates[0][D3DTSS_ADDRESSV] = D3DTADDRESS_CLAMP;
    clear(0xFF000000);
    drawQuad(0xFFFFFFFF, -1, 0.5f, 2, 0.5f);  // u = -1 + 3x / 64 at pixel x
    const Image image = capture();
    expectColorNear(image.at(10, 32), c.left.r, c.left.g, c.left.b, 0, "u = -0.53");
    expectColorNear(image.at(58, 32), c.right.r, c.right.g, c.right.b, 0, "u = 1.72");
  }
}

TEST_F(PipelineStates, MagnificationAndMipFilters) {
  const uint32_t texels[2] = {0xFFFF0000, 0xFF00FF00};
  TextureView texture;
  bind(texture, 3, D3DFMT_A8R8G8B8, texels, 2, 1, 8);
  state.stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
  state.stageStates[0][D3DTSS_ADDRESSU] = D3DTADDRESS_CLAMP;
  state.stageStates[0][D3DTSS_ADDRESSV] = D3DTADDRESS_CLAMP;
  // At pixel 24, u = 0.375: a quarter of the way from the red texel's centre to the green one's.
  state.stageStates[0][D3DTSS_MAGFILTER] = D3DTEXF_POINT;
  drawQuad(0xFFFFFFFF);
  expectColorNear(capture().at(24, 32), 1, 0, 0, 0, "point");
  state.stageStates[0][D3DTSS_MAGFILTER] = D3DTEXF_LINEAR;
  drawQuad(0xFFFFFFFF);
  expectColorNear(capture().at(24, 32), 0.75f, 0.25f, 0, 2, "linear");

  // A 128-texel red level 0 over a green level 1, drawn at 64 pixels: level 1 is the one to use.
  std::vector<uint32_t> level0(128 * 128, 0xFFFF0000), level1(64 * 64, 0xFF00FF00);
  TextureView mipmapped;
  mipmapped.key = {4, 1};
  mipmapped.format = D3DFMT_A8R8G8B8;
  mipmapped.levelCount = 2;
  mipmapped.levels[0] = {level0.data(), 128, 128, 512};
  mipmapped.levels[1] = {level1.data(), 64, 64, 256};
  state.textures[0] = &mipmapped;
  const struct {
    const char* name;
    DWORD mip;
    Color expected;
  } cases[] = {{"no mip filter", D3DTEXF_NONE, {1, 0, 0, 1}},
               {"point mip filter", D3DTEXF_POINT, {0, 1, 0, 1}},
               {"linear mip filter", D3DTEXF_LINEAR, {0, 1, 0, 1}}};
  for (const auto& c : cases) {
    state.stageStates[0][D3DTSS_MIPFILTER] = c.mip;
    drawQuad(0xFFFFFFFF);
    expectColorNear(capture().at(32, 32), c.expected.r, c.expected.g, c.expected.b, 1, c.name);
  }
}

TEST_F(PipelineStates, TextureTransformsAndGeneratedCoordinates) {
  const uint32_t texels[2] = {0xFFFF0000, 0xFF00FF00};  // red for u in [0, 0.5), green above
  TextureView texture;
  bind(texture, 5, D3DFMT_A8R8G8B8, texels, 2, 1, 8);
  state.stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
  // A two-float set reads as (u, v, 1): the third row translates it.
  state.textureTransforms[0]._31 = 0.5f;
  state.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
  drawQuad(0xFFFFFFFF);
  Image image = capture();
  expectColorNear(image.at(8, 32), 0, 1, 0, 0, "u 0.125 moved to 0.625");
  expectColorNear(image.at(40, 32), 1, 0, 0, 0, "u 0.625 moved to 1.125");

  // Camera-space position as coordinates: u is the view-space x, wrapped.
  state.textureTransforms[0]._31 = 0.0f;
  state.stageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACEPOSITION;
  struct ColorVertex {
    float x, y, z;
    uint32_t diffuse;
  };
  state.fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
  const ColorVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFFFF},
                               {1, 1, 0.5f, 0xFFFFFFFF},
                               {-1, -1, 0.5f, 0xFFFFFFFF},
                               {1, -1, 0.5f, 0xFFFFFFFF}};
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex));
  image = capture();
  const struct {
    uint32_t x;
    bool green;
  } columns[] = {{8, false}, {24, true}, {40, false}, {56, true}};  // x = -0.75, -0.25, 0.25, 0.75
  for (const auto& c : columns)
    expectColorNear(image.at(c.x, 32), c.green ? 0.0f : 1.0f, c.green ? 1.0f : 0.0f, 0, 0, "generated u");
}

TEST_F(PipelineStates, StencilMasksTheSecondDraw) {
  state.stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
  state.stageStates[0][D3DTSS_COLORARG1] = D3DTA_DIFFUSE;
  state.fvf = kScreenFvf;
  state.renderStates[D3DRS_STENCILENABLE] = TRUE;
  state.renderStates[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  state.renderStates[D3DRS_STENCILPASS] = D3DSTENCILOP_REPLACE;
  state.renderStates[D3DRS_STENCILREF] = 1;
  const std::vector<ScreenVertex> left = {{0, 0, 0.5f, 1, 0xFFFF0000},   {32, 0, 0.5f, 1, 0xFFFF0000},
                                          {32, 64, 0.5f, 1, 0xFFFF0000}, {0, 0, 0.5f, 1, 0xFFFF0000},
                                          {32, 64, 0.5f, 1, 0xFFFF0000}, {0, 64, 0.5f, 1, 0xFFFF0000}};
  drawScreen(D3DPT_TRIANGLELIST, left, 2);
  state.renderStates[D3DRS_STENCILFUNC] = D3DCMP_EQUAL;
  state.renderStates[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  std::vector<ScreenVertex> all = {{0, 0, 0.2f, 1, 0xFF00FF00},   {64, 0, 0.2f, 1, 0xFF00FF00},
                                   {64, 64, 0.2f, 1, 0xFF00FF00}, {0, 0, 0.2f, 1, 0xFF00FF00},
                                   {64, 64, 0.2f, 1, 0xFF00FF00}, {0, 64, 0.2f, 1, 0xFF00FF00}};
  drawScreen(D3DPT_TRIANGLELIST, all, 2);
  const Image image = capture();
  expectColorNear(image.at(16, 32), 0, 1, 0, 0, "stencil 1: drawn over");
  expectColorNear(image.at(48, 32), 0, 0, 0, 0, "stencil 0: kept clear");
}

TEST_F(PipelineStates, AlphaTestComparesWithTheReference) {
  state.stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
  state.stageStates[0][D3DTSS_COLORARG1] = D3DTA_DIFFUSE;
  state.stageStates[0][D3DTSS_ALPHAARG1] = D3DTA_DIFFUSE;
  state.renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  state.renderStates[D3DRS_ALPHAREF] = 0x80;
  state.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
  const TexturedVertex low[3] = {{0, 0, 0.5f, 1, 0x40FF0000, 0, 0},
                                 {64, 0, 0.5f, 1, 0x40FF0000, 0, 0},
                                 {0, 64, 0.5f, 1, 0x40FF0000, 0, 0}};
  const TexturedVertex high[3] = {{64, 0, 0.5f, 1, 0xC000FF00, 0, 0},
                                  {64, 64, 0.5f, 1, 0xC000FF00, 0, 0},
                                  {0, 64, 0.5f, 1, 0xC000FF00, 0, 0}};
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLELIST, 1, low, sizeof(TexturedVertex));
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLELIST, 1, high, sizeof(TexturedVertex));
  const Image image = capture();
  expectColorNear(image.at(8, 8), 0, 0, 0, 0, "alpha 0x40 rejected");
  expectColorNear(image.at(56, 56), 0, 1, 0, 0, "alpha 0xC0 kept");
}

TEST_F(PipelineStates, FillModesAndFlatShading) {
  state.fvf = kScreenFvf;
  const std::vector<ScreenVertex> triangle = {
      {8, 8, 0.5f, 1, 0xFFFF0000}, {56, 8, 0.5f, 1, 0xFF00FF00}, {8, 56, 0.5f, 1, 0xFF0000FF}};
  state.renderStates[D3DRS_FILLMODE] = D3DFILL_WIREFRAME;
  drawScreen(D3DPT_TRIANGLELIST, triangle, 1);
  Image image = capture();
  EXPECT_EQ(image.at(20, 20) & 0xFFFFFF, 0u) << "wireframe leaves the inside";
  EXPECT_NE(image.at(20, 8) & 0xFFFFFF, 0u) << "wireframe draws the top edge";

  clear(0xFF000000);
  state.renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
  state.renderStates[D3DRS_SHADEMODE] = D3DSHADE_FLAT;
  drawScreen(D3DPT_TRIANGLELIST, triangle, 1);
  image = capture();
  expectColorNear(image.at(20, 20), 1, 0, 0, 0, "flat: the first vertex's colour");
  expectColorNear(image.at(40, 12), 1, 0, 0, 0, "flat, near the second vertex");
}

TEST_F(PipelineStates, ViewportPlacesClipSpace) {
  struct ColorVertex {
    float x, y, z;
    uint32_t diffuse;
  };
  state.fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
  state.viewport = {32, 0, 32, 32, 0.0f, 1.0f};
  const ColorVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFFFF},
                               {1, 1, 0.5f, 0xFFFFFFFF},
                               {-1, -1, 0.5f, 0xFFFFFFFF},
                               {1, -1, 0.5f, 0xFFFFFFFF}};
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex));
  const Image image = capture();
  expectColorNear(image.at(48, 16), 1, 1, 1, 0, "inside the viewport (top right)");
  expectColorNear(image.at(16, 16), 0, 0, 0, 0, "left of it");
  expectColorNear(image.at(48, 48), 0, 0, 0, 0, "below it");
}

}  // namespace
}  // namespace zentu::test

namespace zentu::test {
namespace {

struct PlainVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};

class PrimitiveTypes : public RenderTest {};

TEST_F(PrimitiveTypes, IndexedDrawsOfEveryType) {
  // Four padding vertices first: every draw uses a base vertex index of 4.
  std::vector<PlainVertex> vertices(4, {0, 0, 0, 1, 0});
  const PlainVertex used[] = {{8, 8, 0.5f, 1, 0xFFFFFFFF},        {56, 8, 0.5f, 1, 0xFFFFFFFF},
                              {56, 24, 0.5f, 1, 0xFFFFFFFF},      {8, 24, 0.5f, 1, 0xFFFFFFFF},
                              {8, 40, 0.5f, 1, 0xFFFFFFFF},       {56, 40, 0.5f, 1, 0xFFFFFFFF},
                              {20.0f, 52.0f, 0.5f, 1, 0xFFFFFFFF}};
  vertices.insert(vertices.end(), std::begin(used), std::end(used));
  struct Case {
    const char* name;
    D3DPRIMITIVETYPE type;
    std::vector<uint32_t> indices;
    UINT primitives;
    uint32_t litX, litY, darkX, darkY;
  };
  const Case cases[] = {
      {"triangle list", D3DPT_TRIANGLELIST, {0, 1, 2, 0, 2, 3}, 2, 32, 16, 32, 32},
      {"triangle strip", D3DPT_TRIANGLESTRIP, {0, 1, 3, 2}, 2, 32, 16, 32, 32},
      {"triangle fan", D3DPT_TRIANGLEFAN, {0, 1, 2, 3}, 2, 32, 16, 32, 32},
      {"line list", D3DPT_LINELIST, {4, 5}, 1, 32, 40, 32, 16},
      {"line strip", D3DPT_LINESTRIP, {4, 5, 2}, 2, 32, 40, 32, 16},
      {"point list", D3DPT_POINTLIST, {6}, 1, 20, 52, 32, 16},
  };
  BufferView vb{{30, 1},
                vertices.data(),
                static_cast<uint32_t>(vertices.size() * sizeof(PlainVertex)),
                D3DFMT_VERTEXDATA};
  state.renderStates[D3DRS_LIGHTING] = FALSE;
  state.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  state.stream = &vb;
  state.streamStride = sizeof(PlainVertex);
  state.baseVertexIndex = 4;
  state.fvf = kScreenFvf;
  uint64_t id = 31;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BufferView ib{{++id, 1}, c.indices.data(), static_cast<uint32_t>(c.indices.size() * 4), D3DFMT_INDEX32};
    state.indices = &ib;
    clear(0xFF000000);
    renderer->drawIndexedPrimitive(state, c.type, 0, 7, 0, c.primitives);
    const Image image = capture();
    expectColorNear(image.at(c.litX, c.litY), 1, 1, 1, 0, "covered pixel");
    expectColorNear(image.at(c.darkX, c.darkY), 0, 0, 0, 0, "pixel outside");
    renderer->forget(ib.key.id);
  }
  state.indices = nullptr;
}

TEST_F(PrimitiveTypes, DrawsReachingPastTheirBuffersAreDropped) {
  const PlainVertex quad[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF},
                               {64, 0, 0.5f, 1, 0xFFFFFFFF},
                               {0, 64, 0.5f, 1, 0xFFFFFFFF},
                               {64, 64, 0.5f, 1, 0xFFFFFFFF}};
  BufferView vb{{40, 1}, quad, sizeof quad, D3DFMT_VERTEXDATA};
  const uint16_t indices[6] = {0, 1, 2, 1, 3, 1000};
  BufferView ib{{41, 1}, indices, sizeof indices, D3DFMT_INDEX16};
  state.renderStates[D3DRS_LIGHTING] = FALSE;
  state.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  state.stream = &vb;
  state.streamStride = sizeof(PlainVertex);
  state.indices = &ib;
  state.fvf = kScreenFvf;
  const struct {
    const char* name;
    bool indexed;
    UINT start, primitives;
  } cases[] = {{"index beyond the vertex buffer", true, 0, 2},
               {"indices beyond the index buffer", true, 3, 2},
               {"vertices beyond the vertex buffer", false, 2, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    clear(0xFF000000);
    if (c.indexed)
      renderer->drawIndexedPrimitive(state, D3DPT_TRIANGLELIST, 0, 4, c.start, c.primitives);
    else
      renderer->drawPrimitive(state, D3DPT_TRIANGLESTRIP, c.start, c.primitives);
    expectColorNear(capture().at(32, 32), 0, 0, 0, 0, "nothing drawn");
  }
  clear(0xFF000000);
  renderer->drawIndexedPrimitive(state, D3DPT_TRIANGLELIST, 0, 4, 0, 1);
  renderer->drawPrimitive(state, D3DPT_TRIANGLESTRIP, 0, 2);
  expectColorNear(capture().at(32, 32), 1, 1, 1, 0, "the ranges that fit are drawn");
}

TEST_F(PrimitiveTypes, IndexedDrawFromClientMemory) {
  // Only vertices 2 to 5 are the caller's to read; the indices name them directly.
  const PlainVertex vertices[6] = {{0, 0, 0, 1, 0},
                                   {0, 0, 0, 1, 0},
                                   {8, 8, 0.5f, 1, 0xFF00FF00},
                                   {56, 8, 0.5f, 1, 0xFF00FF00},
                                   {56, 56, 0.5f, 1, 0xFF00FF00},
                                   {8, 56, 0.5f, 1, 0xFF00FF00}};
  const uint16_t indices[6] = {2, 3, 4, 2, 4, 5};
  state.renderStates[D3DRS_LIGHTING] = FALSE;
  state.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  state.fvf = kScreenFvf;
  renderer->drawIndexedPrimitiveUp(state, D3DPT_TRIANGLELIST, 2, 4, 2, indices, D3DFMT_INDEX16, vertices,
                                   sizeof(PlainVertex));
  expectColorNear(capture().at(32, 32), 0, 1, 0, 0, "drawn");
  clear(0xFF000000);
  const uint32_t outside[3] = {2, 3, 6};
  renderer->drawIndexedPrimitiveUp(state, D3DPT_TRIANGLELIST, 2, 4, 1, outside, D3DFMT_INDEX32, vertices,
                                   sizeof(PlainVertex));
  expectColorNear(capture().at(40, 16), 0, 0, 0, 0, "an index past the range drops the draw");
}

}  // namespace
}  // namespace zentu::test
