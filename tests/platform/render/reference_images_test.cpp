// Scenes rendered headless and compared with committed reference images, each also checked at a
// few pixels against the fixed-function formula computed here, so a wrong reference cannot pass.
#include <cmath>
#include <cstring>
#include <vector>

#include "tests/platform/render/render_fixture.h"

namespace zentu::test {
namespace {

constexpr float kPi = 3.14159265f;

struct ColorVertex {
  float x, y, z;
  uint32_t diffuse;
};
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

struct ScreenTexVertex {
  float x, y, z, rhw;
  float u, v;
};
constexpr DWORD kScreenTexFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

D3DCOLORVALUE rgba(float r, float g, float b, float a = 1.0f) {
  return {r, g, b, a};
}

std::vector<ScreenVertex> screenQuad(float x1, float y1, float x2, float y2, float z, uint32_t color) {
  return {{x1, y1, z, 1, color}, {x2, y1, z, 1, color}, {x2, y2, z, 1, color},
          {x1, y1, z, 1, color}, {x2, y2, z, 1, color}, {x1, y2, z, 1, color}};
}

// The 24 vertices and 36 indices of a cube of half-size 1, faces wound clockwise seen from outside.
void buildCube(std::vector<LitVertex>& vertices, std::vector<uint16_t>& indices) {
  const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (const auto& n : normals) {
    const float up[3] = {0, n[1] != 0 ? 0.0f : 1.0f, n[1] != 0 ? 1.0f : 0.0f};
    const float right[3] = {n[1] * up[2] - n[2] * up[1], n[2] * up[0] - n[0] * up[2],
                            n[0] * up[1] - n[1] * up[0]};
    const float corners[4][3] = {{-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}};  // right, up, uv
    const uint16_t base = static_cast<uint16_t>(vertices.size());
    for (const auto& c : corners) {
      LitVertex v;
      v.x = n[0] + c[0] * right[0] + c[1] * up[0];
      v.y = n[1] + c[0] * right[1] + c[1] * up[1];
      v.z = n[2] + c[0] * right[2] + c[1] * up[2];
      v.nx = n[0];
      v.ny = n[1];
      v.nz = n[2];
      v.u = c[0] > 0 ? 1.0f : 0.0f;
      v.v = c[1] > 0 ? 0.0f : 1.0f;
      vertices.push_back(v);
    }
    for (uint16_t i : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<uint16_t>(base + i));
  }
}

class ReferenceImages : public RenderTest {
 protected:
  void usePerspective() { state.projection = perspectiveFovLH(kPi / 2, 1.0f, 1.0f, 100.0f); }
  void untexturedUnlit() {
    state.renderStates[D3DRS_LIGHTING] = FALSE;
    state.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  }
  void useDiffuseAlpha() {
    state.stageStates[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    state.stageStates[0][D3DTSS_ALPHAARG1] = D3DTA_DIFFUSE;
  }
};

TEST_F(ReferenceImages, LitTexturedFoggedCube) {
  std::vector<LitVertex> vertices;
  std::vector<uint16_t> indices;
  buildCube(vertices, indices);
  std::vector<uint32_t> texels(64);
  for (int i = 0; i < 64; ++i) texels[i] = ((i / 8 + i % 8) % 2) != 0 ? 0xFFFFFFFF : 0xFFE02020;
  TextureView texture;
  texture.key = {1, 1};
  texture.format = D3DFMT_A8R8G8B8;
  texture.levelCount = 1;
  texture.levels[0] = {texels.data(), 8, 8, 32};
  BufferView vb{
      {2, 1}, vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(LitVertex)), D3DFMT_VERTEXDATA};
  BufferView ib{{3, 1}, indices.data(), static_cast<uint32_t>(indices.size() * 2), D3DFMT_INDEX16};

  clear(0xFF101010);
  usePerspective();
  state.world = multiply(rotationYX(0.6f, 0.5f), translation(0, 0, 4.2f));
  state.material.Diffuse = rgba(1, 1, 1);
  state.material.Ambient = rgba(1, 1, 1);
  state.lights[0].Type = D3DLIGHT_DIRECTIONAL;
  state.lights[0].Diffuse = rgba(1, 1, 1);
  state.lights[0].Direction = {0.4f, -0.5f, 1.0f};
  state.lightEnabled[0] = true;
  state.renderStates[D3DRS_AMBIENT] = 0x00303030;
  state.renderStates[D3DRS_FOGENABLE] = TRUE;
  state.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
  state.renderStates[D3DRS_FOGSTART] = floatBits(3.0f);
  state.renderStates[D3DRS_FOGEND] = floatBits(6.5f);
  state.renderStates[D3DRS_FOGCOLOR] = 0x00304080;
  state.textures[0] = &texture;
  state.stream = &vb;
  state.streamStride = sizeof(LitVertex);
  state.indices = &ib;
  state.fvf = kLitFvf;
  renderer->drawIndexedPrimitive(state, D3DPT_TRIANGLELIST, 0, 24, 0, 12);
  const Image image = capture();
  expectMatchesReference(image, "lit_textured_fogged_cube");
  expectColorNear(image.at(1, 1), 0x10 / 255.0f, 0x10 / 255.0f, 0x10 / 255.0f, 0, "background");
  EXPECT_NE(image.at(32, 32), image.at(1, 1)) << "the cube covers the centre";
  // A closed cube culled counter-clockwise shows exactly what the depth test shows unculled; with
  // the winding taken the wrong way round it would show its inside.
  clear(0xFF101010);
  state.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  renderer->drawIndexedPrimitive(state, D3DPT_TRIANGLELIST, 0, 24, 0, 12);
  const Image unculled = capture();
  size_t differing = 0;
  for (size_t i = 0; i < image.pixels.size(); ++i) differing += image.pixels[i] != unculled.pixels[i];
  EXPECT_LE(differing, 8u) << "pixels where culling and depth testing disagree";
}

struct CullCase {
  const char* name;
  DWORD mode;
  bool clockwiseDrawn;
  bool counterClockwiseDrawn;
};

TEST_F(ReferenceImages, EachCullMode) {
  const CullCase cases[] = {{"cull_none", D3DCULL_NONE, true, true},
                            {"cull_cw", D3DCULL_CW, false, true},
                            {"cull_ccw", D3DCULL_CCW, true, false}};
  // On screen (y down) the left triangle runs clockwise, the right one counter-clockwise.
  const std::vector<ScreenVertex> triangles = {{4, 8, 0.5f, 1, 0xFF00FF00},   {28, 8, 0.5f, 1, 0xFF00FF00},
                                               {4, 56, 0.5f, 1, 0xFF00FF00},  {36, 8, 0.5f, 1, 0xFFFF0000},
                                               {36, 56, 0.5f, 1, 0xFFFF0000}, {60, 8, 0.5f, 1, 0xFFFF0000}};
  for (const CullCase& c : cases) {
    SCOPED_TRACE(c.name);
    clear(0xFF000000);
    state.renderStates[D3DRS_LIGHTING] = FALSE;
    state.renderStates[D3DRS_CULLMODE] = c.mode;
    drawScreen(D3DPT_TRIANGLELIST, triangles, 2);
    const Image image = capture();
    expectMatchesReference(image, c.name);
    expectColorNear(image.at(10, 16), 0, c.clockwiseDrawn ? 1.0f : 0.0f, 0, 0, "clockwise triangle");
    expectColorNear(image.at(40, 16), c.counterClockwiseDrawn ? 1.0f : 0.0f, 0, 0, 0,
                    "counter-clockwise triangle");
  }
}

TEST_F(ReferenceImages, DepthTest) {
  // A near red quad (z 0.3) first, then a far green one (z 0.7) overlapping it.
  struct Case {
    const char* name;
    DWORD zenable;
    DWORD zfunc;
    bool overlapGreen;   // the far quad wins where both lie
    bool farAloneShown;  // the far quad passes against the cleared depth 1.0
  };
  const Case cases[] = {{"depth_less", D3DZB_TRUE, D3DCMP_LESS, false, true},
                        {"depth_greater", D3DZB_TRUE, D3DCMP_GREATER, true, false},
                        {"depth_off", D3DZB_FALSE, D3DCMP_LESS, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clear(0xFF000000);
    untexturedUnlit();
    state.renderStates[D3DRS_ZENABLE] = c.zenable;
    state.renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    drawScreen(D3DPT_TRIANGLELIST, screenQuad(8, 8, 40, 40, 0.3f, 0xFFFF0000), 2);
    state.renderStates[D3DRS_ZFUNC] = c.zfunc;
    drawScreen(D3DPT_TRIANGLELIST, screenQuad(24, 24, 56, 56, 0.7f, 0xFF00FF00), 2);
    const Image image = capture();
    expectMatchesReference(image, c.name);
    expectColorNear(image.at(12, 12), 1, 0, 0, 0, "near quad alone");
    expectColorNear(image.at(50, 50), 0, c.farAloneShown ? 1.0f : 0.0f, 0, 0, "far quad alone");
    expectColorNear(image.at(32, 32), c.overlapGreen ? 0.0f : 1.0f, c.overlapGreen ? 1.0f : 0.0f, 0, 0,
                    "overlap");
  }
}

TEST_F(ReferenceImages, LinearFogAtThreeDepths) {
  clear(0xFF000000);
  usePerspective();
  untexturedUnlit();
  const float fogStart = 5.0f, fogEnd = 35.0f;
  state.renderStates[D3DRS_FOGENABLE] = TRUE;
  state.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
  state.renderStates[D3DRS_FOGSTART] = floatBits(fogStart);
  state.renderStates[D3DRS_FOGEND] = floatBits(fogEnd);
  state.renderStates[D3DRS_FOGCOLOR] = 0x00FF0000;
  state.fvf = kColorFvf;
  const float depths[3] = {10.0f, 20.0f, 30.0f};
  const float columns[3][2] = {{-0.9f, -0.4f}, {-0.25f, 0.25f}, {0.4f, 0.9f}};
  for (int i = 0; i < 3; ++i) {
    const float z = depths[i], x1 = columns[i][0] * z, x2 = columns[i][1] * z, y = 0.5f * z;
    const ColorVertex quad[6] = {{x1, y, z, 0xFFFFFFFF}, {x2, y, z, 0xFFFFFFFF},  {x2, -y, z, 0xFFFFFFFF},
                                 {x1, y, z, 0xFFFFFFFF}, {x2, -y, z, 0xFFFFFFFF}, {x1, -y, z, 0xFFFFFFFF}};
    renderer->drawPrimitiveUp(state, D3DPT_TRIANGLELIST, 2, quad, sizeof(ColorVertex));
  }
  const Image image = capture();
  expectMatchesReference(image, "fog_linear_three_depths");
  const uint32_t columnPixels[3] = {11, 32, 52};
  for (int i = 0; i < 3; ++i) {
    const float f = (fogEnd - depths[i]) / (fogEnd - fogStart);
    // white × f + red × (1 − f)
    expectColorNear(image.at(columnPixels[i], 32), 1.0f, f, f, 1, "fogged quad");
  }
}

TEST_F(ReferenceImages, UntexturedMaterialColour) {
  clear(0xFF000000);
  usePerspective();
  state.renderStates[D3DRS_AMBIENT] = 0x00404040;
  state.material.Diffuse = rgba(0.8f, 0.4f, 0.2f);
  state.material.Ambient = rgba(0.5f, 0.5f, 0.5f);
  state.lights[0].Type = D3DLIGHT_DIRECTIONAL;
  state.lights[0].Diffuse = rgba(1, 1, 1);
  state.lights[0].Direction = {0.0f, -0.6f, 0.8f};
  state.lightEnabled[0] = true;
  state.fvf = kLitFvf;
  // A quad facing the viewer, drawn clockwise, with texture coordinates but no texture bound.
  const LitVertex quad[6] = {{-2, 2, 4, 0, 0, -1, 0, 0}, {2, 2, 4, 0, 0, -1, 1, 0},
                             {2, -2, 4, 0, 0, -1, 1, 1}, {-2, 2, 4, 0, 0, -1, 0, 0},
                             {2, -2, 4, 0, 0, -1, 1, 1}, {-2, -2, 4, 0, 0, -1, 0, 1}};
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLELIST, 2, quad, sizeof(LitVertex));
  const Image image = capture();
  expectMatchesReference(image, "untextured_material");
  // ambient × global ambient + diffuse × (N·L), N·L = 0.8; the unbound texture multiplies by 1.
  const float global = 0x40 / 255.0f, nDotL = 0.8f;
  expectColorNear(image.at(32, 32), 0.5f * global + 0.8f * nDotL, 0.5f * global + 0.4f * nDotL,
                  0.5f * global + 0.2f * nDotL, 1, "lit material");
}

TEST_F(ReferenceImages, AlphaBlending) {
  struct Case {
    const char* name;
    DWORD alphaOp;
  };
  // DISABLE on stage 0 passes the diffuse alpha through, as SELECTARG1 of DIFFUSE does.
  const Case cases[] = {{"alpha_blend", D3DTOP_SELECTARG1}, {"alpha_blend_alphaop_disable", D3DTOP_DISABLE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clear(0xFF0000FF);
    untexturedUnlit();
    useDiffuseAlpha();
    state.stageStates[0][D3DTSS_ALPHAOP] = c.alphaOp;
    state.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
    state.renderStates[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    state.renderStates[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    drawScreen(D3DPT_TRIANGLELIST, screenQuad(8, 8, 56, 40, 0.5f, 0x80FF0000), 2);
    state.renderStates[D3DRS_ALPHABLENDENABLE] = FALSE;
    const Image image = capture();
    if (c.alphaOp == D3DTOP_SELECTARG1) expectMatchesReference(image, c.name);
    const float a = 128 / 255.0f;
    expectColorNear(image.at(32, 20), a, 0, 1 - a, 1, "blended");
    expectColorNear(image.at(32, 50), 0, 0, 1, 0, "untouched");
  }
}

TEST_F(ReferenceImages, Dxt1Texture) {
  // Four blocks: red; black (second colour); two thirds of white; half grey (three-colour mode).
  struct Block {
    uint16_t c0, c1;
    uint32_t indices;
  };
  const Block blocks[4] = {{0xF800, 0x001F, 0x00000000},
                           {0x07E0, 0x0000, 0x55555555},
                           {0xFFFF, 0x0000, 0xAAAAAAAA},
                           {0x0000, 0xFFFF, 0xAAAAAAAA}};
  TextureView texture;
  texture.key = {10, 1};
  texture.format = D3DFMT_DXT1;
  texture.levelCount = 1;
  texture.levels[0] = {blocks, 8, 8, 16};
  state.textures[0] = &texture;
  state.renderStates[D3DRS_LIGHTING] = FALSE;
  state.stageStates[0][D3DTSS_ADDRESSU] = D3DTADDRESS_CLAMP;
  state.stageStates[0][D3DTSS_ADDRESSV] = D3DTADDRESS_CLAMP;
  const ScreenTexVertex quad[4] = {
      {0, 0, 0.5f, 1, 0, 0}, {64, 0, 0.5f, 1, 1, 0}, {0, 64, 0.5f, 1, 0, 1}, {64, 64, 0.5f, 1, 1, 1}};
  state.fvf = kScreenTexFvf;
  renderer->drawPrimitiveUp(state, D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex));
  const Image image = capture();
  expectMatchesReference(image, "dxt1_texture");
  expectColorNear(image.at(16, 16), 1, 0, 0, 0, "red block");
  expectColorNear(image.at(48, 16), 0, 0, 0, 0, "black block");
  expectColorNear(image.at(16, 48), 2 / 3.0f, 2 / 3.0f, 2 / 3.0f, 2, "two-thirds block");
  expectColorNear(image.at(48, 48), 0.5f, 0.5f, 0.5f, 2, "half block");
}

TEST_F(ReferenceImages, PointLight) {
  clear(0xFF000000);
  usePerspective();
  state.material.Diffuse = rgba(1, 1, 1);
  D3DLIGHT8& light = state.lights[0];
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = rgba(0.6f, 0.6f, 0.6f);
  light.Position = {0, 0, 3};
  light.Range = 7;  // the grid's corners lie just beyond it
  light.Attenuation1 = 0.5f;
  state.lightEnabled[0] = true;
  // A 16 × 16 grid on the plane z = 5 facing the viewer: lighting is per vertex.
  std::vector<LitVertex> vertices;
  std::vector<uint16_t> indices;
  const int cells = 16;
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i)
      vertices.push_back({-5.0f + 10.0f * i / cells, 5.0f - 10.0f * j / cells, 5.0f, 0, 0, -1, 0, 0});
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const uint16_t a = static_cast<uint16_t>(j * (cells + 1) + i), b = static_cast<uint16_t>(a + 1),
                     c = static_cast<uint16_t>(a + cells + 1), d = static_cast<uint16_t>(c + 1);
      for (uint16_t v : {a, b, d, a, d, c}) indices.push_back(v);
    }
  BufferView vb{{20, 1},
                vertices.data(),
                static_cast<uint32_t>(vertices.size() * sizeof(LitVertex)),
                D3DFMT_VERTEXDATA};
  BufferView ib{{21, 1}, indices.data(), static_cast<uint32_t>(indices.size() * 2), D3DFMT_INDEX16};
  state.stream = &vb;
  state.streamStride = sizeof(LitVertex);
  state.indices = &ib;
  state.fvf = kLitFvf;
  renderer->drawIndexedPrimitive(state, D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size()), 0,
                                 static_cast<UINT>(indices.size() / 3));
  const Image image = capture();
  expectMatchesReference(image, "point_light");
  // At a vertex the pixel is the vertex's own colour: 0.6 × (N·L) / (0.5 d).
  auto lit = [](float x) {
    const float d = std::sqrt(x * x + 4.0f);
    return 0.6f * (2.0f / d) / (0.5f * d);
  };
  expectColorNear(image.at(32, 32), lit(0), lit(0), lit(0), 1, "vertex in front of the light");
  expectColorNear(image.at(40, 32), lit(1.25f), lit(1.25f), lit(1.25f), 1, "vertex 1.25 to the side");
  expectColorNear(image.at(0, 0), 0, 0, 0, 1, "corner, beyond the range");
}

}  // namespace
}  // namespace zentu::test
