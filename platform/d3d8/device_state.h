// Everything the device keeps between calls: transforms, render and texture-stage states,
// material, lights, viewport, bound texture, streams and indices, the vertex format.
#pragma once

#include <array>
#include <map>

#include "zentu/d3d8.h"

namespace zentu {

constexpr DWORD kMaxRenderState = 256;
constexpr DWORD kTextureStages = 8;
constexpr DWORD kTextureStageStates = 29;
constexpr DWORD kWorldMatrices = 256;
constexpr DWORD kStreams = 16;
constexpr DWORD kClipPlanes = 6;

struct LightSlot {
  D3DLIGHT8 light;
  bool enabled;
};

struct StreamBinding {
  IDirect3DVertexBuffer8* buffer = nullptr;  // holds a reference
  UINT stride = 0;
};

struct DeviceState {
  std::array<D3DMATRIX, kWorldMatrices> world;
  D3DMATRIX view;
  D3DMATRIX projection;
  std::array<D3DMATRIX, kTextureStages> textureTransform;
  std::array<DWORD, kMaxRenderState> renderStates;
  std::array<std::array<DWORD, kTextureStageStates>, kTextureStages> stageStates;
  D3DMATERIAL8 material;
  std::map<DWORD, LightSlot> lights;
  D3DVIEWPORT8 viewport;
  std::array<std::array<float, 4>, kClipPlanes> clipPlanes;
  D3DCLIPSTATUS8 clipStatus;
  std::array<IDirect3DBaseTexture8*, kTextureStages> textures{};  // each holds a reference
  std::array<StreamBinding, kStreams> streams;
  IDirect3DIndexBuffer8* indices = nullptr;  // holds a reference
  UINT baseVertexIndex = 0;
  DWORD vertexShader = 0;  // a flexible vertex format code
  UINT currentPalette = 0;

  // Whether a render state number names a state.
  static bool validRenderState(DWORD state);
  // The documented defaults; `depthBuffer` decides D3DRS_ZENABLE.
  void reset(bool depthBuffer, UINT width, UINT height);
};

// The light that LightEnable makes for an index that was never set.
D3DLIGHT8 defaultLight();
D3DMATRIX identityMatrix();

}  // namespace zentu
