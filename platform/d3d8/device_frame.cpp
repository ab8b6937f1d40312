// The frame and the draws: scene brackets, Clear, the four draw calls and Present. Each call
// is checked against the bound state first, so a renderer never reads outside a buffer; the
// renderer then does the work.
#include <cstring>

#include "platform/d3d8/device.h"

namespace zentu {

uint64_t primitiveVertexCount(D3DPRIMITIVETYPE type, UINT n) {
  switch (type) {
    case D3DPT_POINTLIST:
      return n;
    case D3DPT_LINELIST:
      return uint64_t{n} * 2;
    case D3DPT_LINESTRIP:
      return uint64_t{n} + 1;
    case D3DPT_TRIANGLELIST:
      return uint64_t{n} * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return uint64_t{n} + 2;
    default:
      return 0;
  }
}

HRESULT Device::BeginScene() {
  HRESULT hr = inScene_ ? invalidCall("already inside BeginScene") : D3D_OK;
  inScene_ = true;
  return finish("BeginScene", hr);
}

HRESULT Device::EndScene() {
  HRESULT hr = inScene_ ? D3D_OK : invalidCall("EndScene without BeginScene");
  inScene_ = false;
  return finish("EndScene", hr);
}

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                      DWORD Stencil) {
  HRESULT hr = D3D_OK;
  const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  if (Flags == 0 || (Flags & ~known)) {
    hr = invalidCall("no or unknown clear flags");
  } else if (Count && !pRects) {
    hr = invalidCall("a rectangle count without rectangles");
  } else if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_) {
    hr = invalidCall("no depth buffer to clear");
  } else if ((Flags & D3DCLEAR_STENCIL) &&
             !(depthStencil_->desc().Format == D3DFMT_D24S8 || depthStencil_->desc().Format == D3DFMT_D15S1 ||
               depthStencil_->desc().Format == D3DFMT_D24X4S4)) {
    hr = invalidCall("the depth buffer has no stencil");
  } else if ((Flags & D3DCLEAR_ZBUFFER) && !(Z >= 0.0f && Z <= 1.0f)) {
    hr = invalidCall("depth value outside 0 to 1");
  } else {
    renderer_->clear(renderState(), pRects ? Count : 0, pRects, Flags, Color, Z, Stencil);
  }
  return finish("Clear", hr,
                TraceArgs() << Count << static_cast<const void*>(pRects) << Flags << Color << Z << Stencil);
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion) {
  HRESULT hr = D3D_OK;
  if (inScene_)
    hr = invalidCall("Present inside BeginScene and EndScene");
  else if ((pSourceRect || pDestRect || pDirtyRegion) && present_.SwapEffect != D3DSWAPEFFECT_COPY &&
           present_.SwapEffect != D3DSWAPEFFECT_COPY_VSYNC)
    hr = invalidCall("rectangles and regions need a copy swap effect");
  else
    renderer_->present();
  return finish("Present", hr,
                TraceArgs() << pSourceRect << pDestRect << static_cast<const void*>(hDestWindowOverride)
                            << static_cast<const void*>(pDirtyRegion));
}

HRESULT Device::checkDrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount) {
  if (!inScene_) return invalidCall("drawing outside BeginScene and EndScene");
  if (primitiveVertexCount(type, 1) == 0) return invalidCall("unknown primitive type");
  if (primitiveCount == 0) return invalidCall("zero primitives");
  if (primitiveCount > profile_->caps.MaxPrimitiveCount)
    return invalidCall("more primitives than the device draws at once");
  if ((state_.vertexShader & D3DFVF_POSITION_MASK) == 0)
    return invalidCall("no vertex format with a position is set");
  if (fvfVertexSize(state_.vertexShader) == 0) return invalidCall("a vertex format the renderer cannot draw");
  return D3D_OK;
}

HRESULT Device::checkIndices(const void* indices, D3DFORMAT format, uint64_t count, uint64_t lowest,
                             uint64_t end) {
  const bool wide = format == D3DFMT_INDEX32;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t v;
    if (wide) {
      uint32_t x;
      std::memcpy(&x, static_cast<const BYTE*>(indices) + i * 4, 4);
      v = x;
    } else {
      uint16_t x;
      std::memcpy(&x, static_cast<const BYTE*>(indices) + i * 2, 2);
      v = x;
    }
    v += lowest;
    if (v >= end) return invalidCall("an index points past the vertices");
  }
  return D3D_OK;
}

void Device::resetStreamZero() {
  // The user-pointer draws leave stream 0 and the indices unbound.
  StreamBinding& b = state_.streams[0];
  if (b.buffer) b.buffer->Release();
  b = {};
  if (state_.indices) state_.indices->Release();
  state_.indices = nullptr;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  HRESULT hr = checkDrawCommon(PrimitiveType, PrimitiveCount);
  const StreamBinding& s = state_.streams[0];
  const uint64_t n = primitiveVertexCount(PrimitiveType, PrimitiveCount);
  if (SUCCEEDED(hr)) {
    auto* vb = static_cast<VertexBuffer*>(s.buffer);
    if (!vb || s.stride == 0)
      hr = invalidCall("no vertex buffer on stream 0");
    else if (s.stride < fvfVertexSize(state_.vertexShader))
      hr = invalidCall("stride smaller than the vertex format");
    else if (vb->storage().locked())
      hr = invalidCall("vertex buffer is locked");
    else if (uint64_t{StartVertex} + n > vb->desc().Size / s.stride)
      hr = invalidCall("vertices past the end of the buffer");
  }
  if (SUCCEEDED(hr)) renderer_->drawPrimitive(renderState(), PrimitiveType, StartVertex, PrimitiveCount);
  return finish("DrawPrimitive", hr, TraceArgs() << PrimitiveType << StartVertex << PrimitiveCount);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT minIndex, UINT NumVertices,
                                     UINT startIndex, UINT primCount) {
  HRESULT hr = checkDrawCommon(PrimitiveType, primCount);
  const StreamBinding& s = state_.streams[0];
  const uint64_t n = primitiveVertexCount(PrimitiveType, primCount);
  auto* vb = static_cast<VertexBuffer*>(s.buffer);
  auto* ib = static_cast<IndexBuffer*>(state_.indices);
  if (SUCCEEDED(hr)) {
    if (!vb || s.stride == 0)
      hr = invalidCall("no vertex buffer on stream 0");
    else if (!ib)
      hr = invalidCall("no index buffer");
    else if (s.stride < fvfVertexSize(state_.vertexShader))
      hr = invalidCall("stride smaller than the vertex format");
    else if (vb->storage().locked() || ib->storage().locked())
      hr = invalidCall("a buffer is locked");
    else if (NumVertices == 0)
      hr = invalidCall("zero vertices");
    else if (uint64_t{minIndex} + NumVertices - 1 > profile_->caps.MaxVertexIndex)
      hr = invalidCall("index range beyond the device's MaxVertexIndex");
    else if (uint64_t{startIndex} + n > ib->desc().Size / ib->indexSize())
      hr = invalidCall("indices past the end of the index buffer");
    else
      hr = checkIndices(ib->storage().data() + uint64_t{startIndex} * ib->indexSize(), ib->desc().Format, n,
                        state_.baseVertexIndex, vb->desc().Size / s.stride);
  }
  if (SUCCEEDED(hr))
    renderer_->drawIndexedPrimitive(renderState(), PrimitiveType, minIndex, NumVertices, startIndex,
                                    primCount);
  return finish("DrawIndexedPrimitive", hr,
                TraceArgs() << PrimitiveType << minIndex << NumVertices << startIndex << primCount);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  HRESULT hr = checkDrawCommon(PrimitiveType, PrimitiveCount);
  if (SUCCEEDED(hr)) {
    if (!pVertexStreamZeroData)
      hr = invalidCall("null vertex data");
    else if (VertexStreamZeroStride < fvfVertexSize(state_.vertexShader) || VertexStreamZeroStride == 0)
      hr = invalidCall("stride smaller than the vertex format");
  }
  if (SUCCEEDED(hr)) {
    renderer_->drawPrimitiveUp(renderState(), PrimitiveType, PrimitiveCount, pVertexStreamZeroData,
                               VertexStreamZeroStride);
    resetStreamZero();
  }
  return finish(
      "DrawPrimitiveUP", hr,
      TraceArgs() << PrimitiveType << PrimitiveCount << pVertexStreamZeroData << VertexStreamZeroStride);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                       UINT NumVertexIndices, UINT PrimitiveCount, const void* pIndexData,
                                       D3DFORMAT IndexDataFormat, const void* pVertexStreamZeroData,
                                       UINT VertexStreamZeroStride) {
  HRESULT hr = checkDrawCommon(PrimitiveType, PrimitiveCount);
  const uint64_t n = primitiveVertexCount(PrimitiveType, PrimitiveCount);
  if (SUCCEEDED(hr)) {
    if (!pIndexData || !pVertexStreamZeroData)
      hr = invalidCall("null index or vertex data");
    else if (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32)
      hr = invalidCall("index format must be D3DFMT_INDEX16 or D3DFMT_INDEX32");
    else if (VertexStreamZeroStride < fvfVertexSize(state_.vertexShader) || VertexStreamZeroStride == 0)
      hr = invalidCall("stride smaller than the vertex format");
    else if (NumVertexIndices == 0)
      hr = invalidCall("zero vertices");
    else
      // The vertices the caller vouches for are MinVertexIndex to MinVertexIndex + count.
      hr = checkIndices(pIndexData, IndexDataFormat, n, 0, uint64_t{MinVertexIndex} + NumVertexIndices);
  }
  if (SUCCEEDED(hr)) {
    renderer_->drawIndexedPrimitiveUp(renderState(), PrimitiveType, MinVertexIndex, NumVertexIndices,
                                      PrimitiveCount, pIndexData, IndexDataFormat, pVertexStreamZeroData,
                                      VertexStreamZeroStride);
    resetStreamZero();
  }
  return finish("DrawIndexedPrimitiveUP", hr,
                TraceArgs() << PrimitiveType << MinVertexIndex << NumVertexIndices << PrimitiveCount
                            << pIndexData << IndexDataFormat << pVertexStreamZeroData
                            << VertexStreamZeroStride);
}

}  // namespace zentu
