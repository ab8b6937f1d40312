// The seam between the graphics device and whatever draws its pixels. The device keeps every
// state it is given in a `RenderState`, describes its bound resources with the views below, and
// calls a `Renderer` on Clear, the draw calls and Present. The views point into the device's own
// system-memory copies; the renderer refreshes its copy of a resource when the resource's change
// counter has moved since it last saw it.
//
// How a device uses it: one renderer per device, made from the present parameters (back buffer
// size and format, the auto depth-stencil format or D3DFMT_UNKNOWN, interval, full screen, the
// window if any); Clear, DrawPrimitive, DrawIndexedPrimitive and DrawPrimitiveUP pass their
// arguments on after validating them; Present calls present(); locking the back buffer fills the
// surface's memory with readBackBuffer(); a resource's last release calls forget(its id).
// Lights 0 to 7 and their enables are passed as set; a device that takes higher light indices
// passes its enabled lights in index order instead, at most eight.
#ifndef ZENTU_PLATFORM_D3D8_GL_RENDERER_H
#define ZENTU_PLATFORM_D3D8_GL_RENDERER_H

#include <cstdint>
#include <memory>

#include "zentu/d3d8types.h"

struct SDL_Window;

namespace zentu {

constexpr int kRenderLights = 8;
constexpr int kRenderStages = 2;
constexpr int kRenderStageStates = 29;  // D3DTSS_RESULTARG + 1
constexpr int kRenderStates = 256;
constexpr int kRenderMaxLevels = 16;

// One resource as the renderer sees it. `id` is unique for the life of the process (never reused,
// 0 means none); `changeCount` moves whenever the contents change (bumped on write-unlock).
struct ResourceKey {
  uint64_t id = 0;
  uint64_t changeCount = 0;
};

struct TextureLevelView {
  const void* bits = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t pitch = 0;  // bytes per row, or per row of 4x4 blocks for DXT formats
};

// A plain two-dimensional texture. Cube and volume textures are not sampled (they read as white).
struct TextureView {
  ResourceKey key;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  uint32_t levelCount = 0;
  TextureLevelView levels[kRenderMaxLevels];
};

struct BufferView {
  ResourceKey key;
  const void* bits = nullptr;
  uint32_t size = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;  // index buffers: D3DFMT_INDEX16 or D3DFMT_INDEX32
};

// Everything the device stores that drawing reads, each value as last set.
struct RenderState {
  D3DMATRIX world;
  D3DMATRIX view;
  D3DMATRIX projection;
  D3DMATRIX textureTransforms[kRenderStages];  // D3DTS_TEXTURE0 and D3DTS_TEXTURE1
  D3DMATERIAL8 material;
  D3DLIGHT8 lights[kRenderLights];
  bool lightEnabled[kRenderLights];
  DWORD renderStates[kRenderStates];
  DWORD stageStates[kRenderStages][kRenderStageStates];
  const TextureView* textures[kRenderStages];  // null: no texture bound (reads as white)
  const BufferView* stream = nullptr;          // stream 0
  uint32_t streamStride = 0;
  const BufferView* indices = nullptr;
  uint32_t baseVertexIndex = 0;
  DWORD fvf = 0;
  D3DVIEWPORT8 viewport;
};

// Fills `state` with the device defaults for a back buffer of the given size.
void resetRenderState(RenderState& state, uint32_t width, uint32_t height);

struct RendererConfig {
  uint32_t width = 0;
  uint32_t height = 0;
  D3DFORMAT backBufferFormat = D3DFMT_A8R8G8B8;
  D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;  // unknown: no depth-stencil buffer
  DWORD presentationInterval = D3DPRESENT_INTERVAL_ONE;
  bool fullScreen = false;
  SDL_Window* window = nullptr;  // not owned; null renders offscreen
};

// What a renderer did, so that tests and tools can tell a frame without pixels from a frame.
struct RendererStats {
  uint64_t draws = 0;
  uint64_t clears = 0;
  uint64_t presents = 0;
  uint64_t textureUploads = 0;
  uint64_t bufferUploads = 0;
};

class Renderer {
 public:
  virtual ~Renderer() = default;
  // Draw and clear calls are validated by the device before they arrive here.
  virtual void clear(const RenderState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                     float z, DWORD stencil) = 0;
  virtual void drawPrimitive(const RenderState& state, D3DPRIMITIVETYPE type, UINT startVertex,
                             UINT primitiveCount) = 0;
  virtual void drawIndexedPrimitive(const RenderState& state, D3DPRIMITIVETYPE type, UINT minIndex,
                                    UINT vertexCount, UINT startIndex, UINT primitiveCount) = 0;
  virtual void drawPrimitiveUp(const RenderState& state, D3DPRIMITIVETYPE type, UINT primitiveCount,
                               const void* vertices, UINT stride) = 0;
  // Vertices minIndex to minIndex + vertexCount - 1 of `vertices` are read; a draw whose indices
  // leave that range is dropped.
  virtual void drawIndexedPrimitiveUp(const RenderState& state, D3DPRIMITIVETYPE type, UINT minIndex,
                                      UINT vertexCount, UINT primitiveCount, const void* indices,
                                      D3DFORMAT indexFormat, const void* vertices, UINT stride) = 0;
  virtual void present() = 0;
  // Copies the back buffer into `bits` in the back buffer's format, top row first. False when
  // there are no pixels (no OpenGL), leaving `bits` untouched.
  virtual bool readBackBuffer(void* bits, uint32_t pitch) = 0;
  // The device calls this when a resource dies, so its copy can go.
  virtual void forget(uint64_t id) = 0;
  // True once drawing produces pixels; false for the null renderer and when no OpenGL exists.
  virtual bool hasPixels() = 0;
  virtual const RendererStats& stats() const = 0;
};

// Records the calls and draws nothing.
std::unique_ptr<Renderer> makeNullRenderer(const RendererConfig& config);
// Draws with OpenGL; the context starts at the first clear, draw, present or read-back. When no
// context can be made it says so once on stderr and behaves like the null renderer.
std::unique_ptr<Renderer> makeGlRenderer(const RendererConfig& config);

// True for the texture formats the GL renderer samples: what the default profile should offer.
bool rendererSamplesFormat(D3DFORMAT format);

// Vertex size in bytes of a flexible vertex format; 0 for a code the renderer cannot draw.
uint32_t fvfVertexSize(DWORD fvf);

}  // namespace zentu

#endif
