// The renderer on a scene like the demo's, headless on this machine's OpenGL: a background quad,
// four logo meshes and 400 separate draws of a 12-triangle star, each with its own world matrix
// and material, linear fog and one directional light, into an 800×600 back buffer.
//
// DemoFrame is the whole frame as the calling thread pays for it (the renderer and the GL
// driver's work on that thread; the rasterizer's own threads are not counted). StateTranslation
// is the renderer's own share alone: the per-draw translation of the device state into the
// program's uniform blocks and the change checks, with no GL call. "allocs/frame" counts heap
// allocations made during the measured frames.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/d3d8/gl/gl_state.h"
#include "platform/d3d8/gl/renderer.h"

namespace {

std::atomic<uint64_t> allocations{0};

}  // namespace

// Counting replacements of the global allocation functions. GCC cannot see that the pair
// matches once both are inlined, hence the pragma.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using namespace zentu;

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

DWORD floatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void identity(D3DMATRIX& m) {
  std::memset(&m, 0, sizeof m);
  m._11 = m._22 = m._33 = m._44 = 1.0f;
}

struct Scene {
  std::vector<Vertex> vertices;
  std::vector<uint16_t> indices;
  std::vector<uint32_t> texels;
  BufferView vb, ib;
  TextureView texture;
  uint32_t starFirstIndex = 0, logoFirstIndex = 0, logoTriangles = 0, starBase = 0, logoBase = 0;
  RenderState state;

  Scene() {
    // Background quad.
    vertices.push_back({-80, 60, 150, 0, 0, -1, 0, 0});
    vertices.push_back({80, 60, 150, 0, 0, -1, 1, 0});
    vertices.push_back({80, -60, 150, 0, 0, -1, 1, 1});
    vertices.push_back({-80, -60, 150, 0, 0, -1, 0, 1});
    for (uint16_t i : {0, 1, 2, 0, 2, 3}) indices.push_back(i);
    // A star: a 12-triangle fan of two rings.
    starBase = static_cast<uint32_t>(vertices.size());
    starFirstIndex = static_cast<uint32_t>(indices.size());
    vertices.push_back({0, 0, 0, 0, 0, -1, 0.5f, 0.5f});
    for (int i = 0; i < 12; ++i) {
      const float a = 6.2831853f * static_cast<float>(i) / 12, r = i % 2 != 0 ? 0.4f : 1.0f;
      vertices.push_back({r * std::cos(a), r * std::sin(a), 0, 0, 0, -1, 0.5f + 0.5f * std::cos(a), 0.5f});
    }
    for (uint16_t i = 0; i < 12; ++i)
      for (uint16_t v : {uint16_t{0}, static_cast<uint16_t>(1 + (i + 1) % 12), static_cast<uint16_t>(1 + i)})
        indices.push_back(v);
    // A logo: a 40 × 12 grid, 960 triangles.
    logoBase = static_cast<uint32_t>(vertices.size());
    logoFirstIndex = static_cast<uint32_t>(indices.size());
    for (int j = 0; j <= 12; ++j)
      for (int i = 0; i <= 40; ++i)
        vertices.push_back(
            {i * 0.2f - 4, j * 0.2f - 1.2f, std::sin(i * 0.3f) * 0.2f, 0, 0, -1, i / 40.0f, j / 12.0f});
    for (int j = 0; j < 12; ++j)
      for (int i = 0; i < 40; ++i) {
        const uint16_t a = static_cast<uint16_t>(j * 41 + i), b = static_cast<uint16_t>(a + 1),
                       c = static_cast<uint16_t>(a + 41), d = static_cast<uint16_t>(c + 1);
        for (uint16_t v : {a, b, d, a, d, c}) indices.push_back(v);
      }
    logoTriangles = 960;
    texels.assign(256 * 256, 0xFFC08040);
    vb = {
        {1, 1}, vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(Vertex)), D3DFMT_VERTEXDATA};
    ib = {{2, 1}, indices.data(), static_cast<uint32_t>(indices.size() * 2), D3DFMT_INDEX16};
    texture.key = {3, 1};
    texture.format = D3DFMT_A8R8G8B8;
    texture.levelCount = 1;
    texture.levels[0] = {texels.data(), 256, 256, 1024};

    resetRenderState(state, 800, 600);
    const float fov = 90 * 3.1415f / 180, ys = 1 / std::tan(fov / 2), xs = ys / 1.3333333f, zn = 0.1f,
                zf = 120;
    std::memset(&state.projection, 0, sizeof state.projection);
    state.projection._11 = xs;
    state.projection._22 = ys;
    state.projection._33 = zf / (zf - zn);
    state.projection._34 = 1;
    state.projection._43 = -zn * zf / (zf - zn);
    state.lights[0].Type = D3DLIGHT_DIRECTIONAL;
    state.lights[0].Diffuse = {1, 1, 1, 1};
    state.lights[0].Direction = {0, 0, 1};
    state.lightEnabled[0] = true;
    state.renderStates[D3DRS_COLORVERTEX] = FALSE;
    state.renderStates[D3DRS_STENCILENABLE] = TRUE;
    state.renderStates[D3DRS_FOGENABLE] = TRUE;
    state.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
    state.renderStates[D3DRS_FOGSTART] = floatBits(100);
    state.renderStates[D3DRS_FOGEND] = floatBits(160);
    state.stageStates[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    state.stageStates[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    state.stageStates[0][D3DTSS_ALPHAOP] = D3DTOP_DISABLE;
    state.stageStates[0][D3DTSS_MAGFILTER] = D3DTEXF_ANISOTROPIC;
    state.stageStates[0][D3DTSS_MINFILTER] = D3DTEXF_ANISOTROPIC;
    state.stageStates[0][D3DTSS_MIPFILTER] = D3DTEXF_LINEAR;
    state.stream = &vb;
    state.streamStride = sizeof(Vertex);
    state.indices = &ib;
    state.fvf = kFvf;
  }

  void setMaterial(float r, float g, float b) {
    state.material.Diffuse = {r, g, b, 1};
    state.material.Ambient = {r, g, b, 1};
  }

  // Calls `draw(first index, triangles, base vertex)` for each draw of one frame, with the state
  // set as the demo sets it before each.
  template <typename Draw>
  void frame(int frameIndex, Draw&& draw) {
    state.textures[0] = nullptr;
    for (int logo = 0; logo < 4; ++logo) {
      identity(state.world);
      state.world._41 = static_cast<float>(logo * 3 - 4);
      state.world._43 = 10;
      setMaterial(1, 1, 1);
      draw(logoFirstIndex, logoTriangles, logoBase);
    }
    state.textures[0] = &texture;
    for (int star = 0; star < 400; ++star) {
      identity(state.world);
      state.world._11 = state.world._22 = state.world._33 = 0.3f;
      state.world._41 = static_cast<float>(star % 60 - 30);
      state.world._42 = static_cast<float>(star % 20 - 10);
      state.world._43 = static_cast<float>((star * 37 + frameIndex) % 200) - 20;
      setMaterial(1, 1, 0.5f + static_cast<float>(star % 7) / 14);
      draw(starFirstIndex, 12u, starBase);
    }
    identity(state.world);
    setMaterial(1, 1, 1);
    draw(0u, 2u, 0u);
  }
};

void DemoFrame(benchmark::State& bench) {
  Scene scene;
  RendererConfig config;
  config.width = 800;
  config.height = 600;
  config.depthStencilFormat = D3DFMT_D24S8;
  std::unique_ptr<Renderer> renderer = makeGlRenderer(config);
  renderer->clear(scene.state, 0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
  if (!renderer->hasPixels()) {
    bench.SkipWithError("no OpenGL context");
    return;
  }
  std::vector<uint32_t> pixels(800 * 600);
  int frameIndex = 0;
  auto oneFrame = [&] {
    renderer->clear(scene.state, 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                    0xFF000000, 1, 0);
    scene.frame(frameIndex++, [&](uint32_t first, uint32_t triangles, uint32_t base) {
      scene.state.baseVertexIndex = base;
      renderer->drawIndexedPrimitive(scene.state, D3DPT_TRIANGLELIST, 0, 1, first, triangles);
    });
    renderer->present();
  };
  for (int i = 0; i < 3; ++i) oneFrame();  // first uploads and the driver's warm-up
  renderer->readBackBuffer(pixels.data(), 800 * 4);
  const uint64_t before = allocations.load();
  uint64_t frames = 0;
  for (auto _ : bench) {
    oneFrame();
    ++frames;
    // Keep the rasterizer from falling ever further behind the calls.
    if (frames % 30 == 0) renderer->readBackBuffer(pixels.data(), 800 * 4);
  }
  bench.counters["allocs/frame"] =
      static_cast<double>(allocations.load() - before) / static_cast<double>(frames);
  bench.counters["draws/frame"] = 405;
}
BENCHMARK(DemoFrame)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void StateTranslation(benchmark::State& bench) {
  Scene scene;
  DrawBlock block = {}, uploaded = {};
  LightBlock lights = {}, uploadedLights = {};
  int frameIndex = 0;
  uint64_t uploads = 0;
  const uint64_t before = allocations.load();
  uint64_t frames = 0;
  for (auto _ : bench) {
    scene.frame(frameIndex++, [&](uint32_t, uint32_t, uint32_t) {
      fillDrawBlock(scene.state, scene.state.fvf, block);
      block.alphaTest[3] = fillLightBlock(scene.state, lights);
      if (std::memcmp(&block, &uploaded, sizeof block) != 0) {
        uploaded = block;
        ++uploads;
      }
      if (std::memcmp(&lights, &uploadedLights, sizeof lights) != 0) uploadedLights = lights;
    });
    benchmark::DoNotOptimize(uploads);
    ++frames;
  }
  bench.counters["allocs/frame"] =
      static_cast<double>(allocations.load() - before) / static_cast<double>(frames);
}
BENCHMARK(StateTranslation)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
