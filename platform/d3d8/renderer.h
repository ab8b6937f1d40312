// The seam between the device and whatever draws its pixels. The device validates every call,
// keeps the states and resources, then hands Clear, the draws and Present to its Renderer. A
// renderer reads the device's current state (Device::state()) and resource memory; each
// resource carries a change counter, bumped on every write, so a renderer refreshes its own copy
// only when the counter moved.
#pragma once

#include <memory>

#include "zentu/d3d8.h"

namespace zentu {

class Device;
class Surface;

struct DrawCall {
  D3DPRIMITIVETYPE primitiveType;
  UINT primitiveCount;
  UINT vertexCount;  // vertices the primitives take (non-indexed) or indices (indexed)
  bool indexed;
  // From the bound streams: the first vertex (DrawPrimitive) or, indexed, the index range.
  UINT startVertex;
  UINT minIndex;
  UINT numVertices;
  UINT startIndex;
  // From user memory (the *UP draws); null otherwise.
  const void* userVertices;
  UINT userStride;
  const void* userIndices;
  D3DFORMAT userIndexFormat;
};

class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual void clear(Device& device, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                     DWORD stencil) = 0;
  virtual void draw(Device& device, const DrawCall& call) = 0;
  virtual HRESULT present(Device& device, const RECT* sourceRect, const RECT* destRect,
                          HWND destWindowOverride) = 0;
  // Before the back buffer or a render target is locked: bring its pixels into its memory.
  virtual void readBack(Device& device, Surface& surface) = 0;
  // A resource (texture, surface, volume texture, buffer) is going away.
  virtual void resourceDestroyed(const void* resource) = 0;
};

// Records nothing and draws nothing.
std::unique_ptr<Renderer> makeNullRenderer();

// Makes the renderer of a new device (null: the null renderer). The drawing renderer installs
// itself here.
using RendererFactory = std::unique_ptr<Renderer> (*)(Device& device);
void setRendererFactory(RendererFactory factory);
RendererFactory rendererFactory();

}  // namespace zentu
