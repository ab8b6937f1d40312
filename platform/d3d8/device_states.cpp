// State storage: every value is copied and kept until set again; the getters read it back.
// Bound textures and buffers are held by a reference until replaced.
#include <cstring>

#include "platform/d3d8/device.h"

namespace zentu {
namespace {

// The stored matrix of a transform state, or null for a state number that names none.
template <class State>
auto* transformSlot(State& s, D3DTRANSFORMSTATETYPE t) {
  const DWORD v = static_cast<DWORD>(t);
  using M = std::remove_reference_t<decltype(s.view)>;
  M* m = nullptr;
  if (v == D3DTS_VIEW)
    m = &s.view;
  else if (v == D3DTS_PROJECTION)
    m = &s.projection;
  else if (v >= D3DTS_TEXTURE0 && v <= D3DTS_TEXTURE7)
    m = &s.textureTransform[v - D3DTS_TEXTURE0];
  else if (v >= 256 && v < 256 + kWorldMatrices)
    m = &s.world[v - 256];
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

bool validStageState(DWORD type) {
  return type >= 1 && type < kTextureStageStates && type != 12;
}

}  // namespace

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  HRESULT hr = D3D_OK;
  D3DMATRIX* slot = transformSlot(state_, State);
  if (!slot)
    hr = invalidCall("unknown transform state");
  else if (!pMatrix)
    hr = invalidCall("null matrix");
  else
    *slot = *pMatrix;
  return finish("SetTransform", hr, TraceArgs() << State << pMatrix);
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  HRESULT hr = D3D_OK;
  const D3DMATRIX* slot = transformSlot(state_, State);
  if (!slot || !pMatrix)
    hr = invalidCall("unknown transform state or null matrix");
  else
    *pMatrix = *slot;
  return finish("GetTransform", hr, TraceArgs() << State);
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  HRESULT hr = D3D_OK;
  D3DMATRIX* slot = transformSlot(state_, State);
  if (!slot || !pMatrix)
    hr = invalidCall("unknown transform state or null matrix");
  else
    *slot = multiply(*pMatrix, *slot);
  return finish("MultiplyTransform", hr, TraceArgs() << State << pMatrix);
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* pViewport) {
  HRESULT hr = D3D_OK;
  const D3DSURFACE_DESC& target = backBuffer_->desc();
  if (!pViewport)
    hr = invalidCall("null viewport");
  else if (pViewport->Width == 0 || pViewport->Height == 0 ||
           uint64_t{pViewport->X} + pViewport->Width > target.Width ||
           uint64_t{pViewport->Y} + pViewport->Height > target.Height)
    hr = invalidCall("viewport empty or outside the render target");
  else if (!(pViewport->MinZ >= 0.0f && pViewport->MaxZ <= 1.0f && pViewport->MinZ <= pViewport->MaxZ))
    hr = invalidCall("depth range must lie within 0 to 1");
  else
    state_.viewport = *pViewport;
  return finish("SetViewport", hr, TraceArgs() << pViewport);
}

HRESULT Device::GetViewport(D3DVIEWPORT8* pViewport) {
  HRESULT hr = pViewport ? D3D_OK : invalidCall("null viewport");
  if (pViewport) *pViewport = state_.viewport;
  return finish("GetViewport", hr);
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* pMaterial) {
  HRESULT hr = pMaterial ? D3D_OK : invalidCall("null material");
  if (pMaterial) state_.material = *pMaterial;
  return finish("SetMaterial", hr, TraceArgs() << pMaterial);
}

HRESULT Device::GetMaterial(D3DMATERIAL8* pMaterial) {
  HRESULT hr = pMaterial ? D3D_OK : invalidCall("null material");
  if (pMaterial) *pMaterial = state_.material;
  return finish("GetMaterial", hr);
}

HRESULT Device::SetLight(DWORD Index, const D3DLIGHT8* pLight) {
  HRESULT hr = D3D_OK;
  if (!pLight) {
    hr = invalidCall("null light");
  } else if (pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL) {
    hr = invalidCall("unknown light type");
  } else if (pLight->Type != D3DLIGHT_DIRECTIONAL && !(pLight->Range >= 0.0f)) {
    hr = invalidCall("negative light range");
  } else {
    auto it = state_.lights.find(Index);
    if (it == state_.lights.end())
      state_.lights.emplace(Index, LightSlot{*pLight, false});
    else
      it->second.light = *pLight;
  }
  return finish("SetLight", hr, TraceArgs() << Index << pLight);
}

HRESULT Device::GetLight(DWORD Index, D3DLIGHT8* pLight) {
  HRESULT hr = D3D_OK;
  auto it = state_.lights.find(Index);
  if (!pLight || it == state_.lights.end())
    hr = invalidCall("null light or a light never set");
  else
    *pLight = it->second.light;
  return finish("GetLight", hr, TraceArgs() << Index);
}

HRESULT Device::LightEnable(DWORD Index, BOOL Enable) {
  auto it = state_.lights.find(Index);
  if (it == state_.lights.end()) it = state_.lights.emplace(Index, LightSlot{defaultLight(), false}).first;
  it->second.enabled = Enable != 0;
  return finish("LightEnable", D3D_OK, TraceArgs() << Index << Enable);
}

HRESULT Device::GetLightEnable(DWORD Index, BOOL* pEnable) {
  HRESULT hr = D3D_OK;
  auto it = state_.lights.find(Index);
  if (!pEnable || it == state_.lights.end())
    hr = invalidCall("null flag or a light never set");
  else
    *pEnable = it->second.enabled ? TRUE : FALSE;
  return finish("GetLightEnable", hr, TraceArgs() << Index);
}

HRESULT Device::SetClipPlane(DWORD Index, const float* pPlane) {
  HRESULT hr = D3D_OK;
  if (Index >= kClipPlanes || !pPlane)
    hr = invalidCall("clip plane out of range or null plane");
  else
    std::memcpy(state_.clipPlanes[Index].data(), pPlane, 4 * sizeof(float));
  return finish("SetClipPlane", hr, TraceArgs() << Index);
}

HRESULT Device::GetClipPlane(DWORD Index, float* pPlane) {
  HRESULT hr = D3D_OK;
  if (Index >= kClipPlanes || !pPlane)
    hr = invalidCall("clip plane out of range or null plane");
  else
    std::memcpy(pPlane, state_.clipPlanes[Index].data(), 4 * sizeof(float));
  return finish("GetClipPlane", hr, TraceArgs() << Index);
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  HRESULT hr = D3D_OK;
  if (!DeviceState::validRenderState(State))
    hr = invalidCall("unknown render state");
  else
    state_.renderStates[State] = Value;
  return finish("SetRenderState", hr, TraceArgs() << State << Value);
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  HRESULT hr = D3D_OK;
  if (!DeviceState::validRenderState(State) || !pValue)
    hr = invalidCall("unknown render state or null value");
  else
    *pValue = state_.renderStates[State];
  return finish("GetRenderState", hr, TraceArgs() << State);
}

HRESULT Device::SetClipStatus(const D3DCLIPSTATUS8* pClipStatus) {
  HRESULT hr = pClipStatus ? D3D_OK : invalidCall("null clip status");
  if (pClipStatus) state_.clipStatus = *pClipStatus;
  return finish("SetClipStatus", hr);
}

HRESULT Device::GetClipStatus(D3DCLIPSTATUS8* pClipStatus) {
  HRESULT hr = pClipStatus ? D3D_OK : invalidCall("null clip status");
  if (pClipStatus) *pClipStatus = state_.clipStatus;
  return finish("GetClipStatus", hr);
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
  HRESULT hr = D3D_OK;
  if (Stage >= kTextureStages || !ppTexture) {
    hr = invalidCall("stage out of range or null pointer");
  } else {
    *ppTexture = state_.textures[Stage];
    if (*ppTexture) (*ppTexture)->AddRef();
  }
  return finish("GetTexture", hr, TraceArgs() << Stage);
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
  HRESULT hr = D3D_OK;
  if (Stage >= kTextureStages) {
    hr = invalidCall("stage out of range");
  } else if (pTexture && !asTextureBase(pTexture)) {
    hr = invalidCall("texture of another origin");
  } else {
    if (pTexture) pTexture->AddRef();
    if (state_.textures[Stage]) state_.textures[Stage]->Release();
    state_.textures[Stage] = pTexture;
  }
  return finish("SetTexture", hr, TraceArgs() << Stage << static_cast<const void*>(pTexture));
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  HRESULT hr = D3D_OK;
  if (Stage >= kTextureStages || !validStageState(Type) || !pValue)
    hr = invalidCall("stage or state out of range, or null value");
  else
    *pValue = state_.stageStates[Stage][Type];
  return finish("GetTextureStageState", hr, TraceArgs() << Stage << Type);
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  HRESULT hr = D3D_OK;
  if (Stage >= kTextureStages || !validStageState(Type))
    hr = invalidCall("stage or state out of range");
  else
    state_.stageStates[Stage][Type] = Value;
  return finish("SetTextureStageState", hr, TraceArgs() << Stage << Type << Value);
}

HRESULT Device::SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) {
  HRESULT hr = D3D_OK;
  if (!pEntries || PaletteNumber > 0xFFFF) {
    hr = invalidCall("null entries or palette number out of range");
  } else {
    try {
      std::memcpy(palettes_[PaletteNumber].data(), pEntries, 256 * sizeof(PALETTEENTRY));
    } catch (const std::bad_alloc&) {
      hr = E_OUTOFMEMORY;
    }
  }
  return finish("SetPaletteEntries", hr, TraceArgs() << PaletteNumber);
}

HRESULT Device::GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) {
  HRESULT hr = D3D_OK;
  auto it = palettes_.find(PaletteNumber);
  if (!pEntries || it == palettes_.end())
    hr = invalidCall("null entries or a palette never set");
  else
    std::memcpy(pEntries, it->second.data(), 256 * sizeof(PALETTEENTRY));
  return finish("GetPaletteEntries", hr, TraceArgs() << PaletteNumber);
}

HRESULT Device::SetCurrentTexturePalette(UINT PaletteNumber) {
  HRESULT hr = D3D_OK;
  if (palettes_.find(PaletteNumber) == palettes_.end())
    hr = invalidCall("palette never set");
  else
    state_.currentPalette = PaletteNumber;
  return finish("SetCurrentTexturePalette", hr, TraceArgs() << PaletteNumber);
}

HRESULT Device::GetCurrentTexturePalette(UINT* PaletteNumber) {
  HRESULT hr = PaletteNumber ? D3D_OK : invalidCall("null palette number");
  if (PaletteNumber) *PaletteNumber = state_.currentPalette;
  return finish("GetCurrentTexturePalette", hr);
}

HRESULT Device::SetVertexShader(DWORD Handle) {
  HRESULT hr = D3D_OK;
  if (Handle & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2))
    hr = invalidCall("not a vertex format code (programmable shaders are not supported)");
  else if (((Handle & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) > 8)
    hr = invalidCall("more than 8 texture coordinate sets");
  else
    state_.vertexShader = Handle;
  return finish("SetVertexShader", hr, TraceArgs() << Handle);
}

HRESULT Device::GetVertexShader(DWORD* pHandle) {
  HRESULT hr = pHandle ? D3D_OK : invalidCall("null handle");
  if (pHandle) *pHandle = state_.vertexShader;
  return finish("GetVertexShader", hr);
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) {
  HRESULT hr = D3D_OK;
  if (StreamNumber >= profile_->caps.MaxStreams || StreamNumber >= kStreams)
    hr = invalidCall("stream out of range");
  else if (Stride > profile_->caps.MaxStreamStride)
    hr = invalidCall("stride beyond the device's limit");
  else if (pStreamData && !dynamic_cast<VertexBuffer*>(pStreamData))
    hr = invalidCall("buffer of another origin");
  else {
    StreamBinding& b = state_.streams[StreamNumber];
    if (pStreamData) pStreamData->AddRef();
    if (b.buffer) b.buffer->Release();
    b.buffer = pStreamData;
    b.stride = Stride;
  }
  return finish("SetStreamSource", hr,
                TraceArgs() << StreamNumber << static_cast<const void*>(pStreamData) << Stride);
}

HRESULT Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) {
  HRESULT hr = D3D_OK;
  if (StreamNumber >= kStreams || !ppStreamData || !pStride) {
    hr = invalidCall("stream out of range or null pointer");
  } else {
    const StreamBinding& b = state_.streams[StreamNumber];
    *ppStreamData = b.buffer;
    if (b.buffer) b.buffer->AddRef();
    *pStride = b.stride;
  }
  return finish("GetStreamSource", hr, TraceArgs() << StreamNumber);
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) {
  HRESULT hr = D3D_OK;
  if (pIndexData && !dynamic_cast<IndexBuffer*>(pIndexData)) {
    hr = invalidCall("buffer of another origin");
  } else {
    if (pIndexData) pIndexData->AddRef();
    if (state_.indices) state_.indices->Release();
    state_.indices = pIndexData;
    state_.baseVertexIndex = BaseVertexIndex;
  }
  return finish("SetIndices", hr, TraceArgs() << static_cast<const void*>(pIndexData) << BaseVertexIndex);
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) {
  HRESULT hr = D3D_OK;
  if (!ppIndexData || !pBaseVertexIndex) {
    hr = invalidCall("null pointer");
  } else {
    *ppIndexData = state_.indices;
    if (state_.indices) state_.indices->AddRef();
    *pBaseVertexIndex = state_.baseVertexIndex;
  }
  return finish("GetIndices", hr);
}

}  // namespace zentu
