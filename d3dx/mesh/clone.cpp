// Cloning: a new mesh with the faces, attributes and attribute table of the source and another
// vertex format, index width, pools or device. Vertices are converted component by component
// through a plan (VertexConverter) made once per clone.
#include <algorithm>

#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

VertexConverter::VertexConverter(DWORD srcFvf, DWORD dstFvf)
    : src_(fvfLayout(srcFvf)), dst_(fvfLayout(dstFvf)) {
  if (fvfHasPosition(srcFvf) && fvfHasPosition(dstFvf)) copy(0, 0, 12);
  bool srcUbyte4 = (srcFvf & D3DFVF_LASTBETA_UBYTE4) && src_.numBlendWeights > 0;
  bool dstUbyte4 = (dstFvf & D3DFVF_LASTBETA_UBYTE4) && dst_.numBlendWeights > 0;
  UINT srcWeights = src_.numBlendWeights - (srcUbyte4 ? 1 : 0);
  UINT dstWeights = dst_.numBlendWeights - (dstUbyte4 ? 1 : 0);
  copiedWeights_ = srcWeights < dstWeights ? srcWeights : dstWeights;
  if (copiedWeights_) copy(12, 12, 4 * copiedWeights_);
  implicitWeight_ = srcUbyte4 && dstWeights > copiedWeights_;
  if (srcUbyte4 && dstUbyte4)
    copy(12 + 4 * (src_.numBlendWeights - 1), 12 + 4 * (dst_.numBlendWeights - 1), 4);
  if ((srcFvf & dstFvf) & D3DFVF_NORMAL) copy(src_.normalOffset, dst_.normalOffset, 12);
  if ((srcFvf & dstFvf) & D3DFVF_PSIZE) copy(src_.pointSizeOffset, dst_.pointSizeOffset, 4);
  if ((srcFvf & dstFvf) & D3DFVF_DIFFUSE) copy(src_.diffuseOffset, dst_.diffuseOffset, 4);
  if ((srcFvf & dstFvf) & D3DFVF_SPECULAR) copy(src_.specularOffset, dst_.specularOffset, 4);
  UINT sets = src_.numTexSets < dst_.numTexSets ? src_.numTexSets : dst_.numTexSets;
  for (UINT i = 0; i < sets; ++i) {
    UINT a = fvfTexSetSize(srcFvf, i), b = fvfTexSetSize(dstFvf, i);
    copy(src_.texOffset[i], dst_.texOffset[i], a < b ? a : b);
  }
}

void VertexConverter::convert(const BYTE* from, BYTE* to) const {
  std::memset(to, 0, dst_.size);
  for (const Copy& c : copies_) std::memcpy(to + c.dst, from + c.src, c.size);
  if (implicitWeight_) {
    float sum = 0, w;
    for (UINT i = 0; i < copiedWeights_; ++i) std::memcpy(&w, from + 12 + 4 * i, 4), sum += w;
    w = 1.0f - sum;
    std::memcpy(to + 12 + 4 * copiedWeights_, &w, 4);
  }
}

namespace {

// Indices from one width to another; the unused marker becomes the other width's marker, and a
// 32-bit value too large for 16 bits becomes the marker rather than a wrapped, valid-looking index.
void copyIndices(const BYTE* src, UINT srcSize, BYTE* dst, UINT dstSize, size_t count) {
  if (srcSize == dstSize) {
    std::memcpy(dst, src, count * srcSize);
    return;
  }
  if (srcSize == 2) {
    const WORD* s = reinterpret_cast<const WORD*>(src);
    DWORD* d = reinterpret_cast<DWORD*>(dst);
    for (size_t i = 0; i < count; ++i) d[i] = s[i] == kUnused16 ? kUnused32 : s[i];
    return;
  }
  const DWORD* s = reinterpret_cast<const DWORD*>(src);
  WORD* d = reinterpret_cast<WORD*>(dst);
  for (size_t i = 0; i < count; ++i) d[i] = s[i] > 0xFFFF ? kUnused16 : WORD(s[i]);
}

}  // namespace

HRESULT Mesh::copyFacesTo(Mesh& clone) {
  HRESULT hr = clone.Resize(numFaces, numVertices);
  if (FAILED(hr)) return hr;
  BYTE* dstIndices = nullptr;
  BYTE* srcIndices = lockedIndices;
  if (FAILED(hr = clone.LockIndexBuffer(0, &dstIndices))) return hr;
  bool lockSource = !srcIndices;
  if (lockSource && FAILED(hr = LockIndexBuffer(D3DLOCK_READONLY, &srcIndices))) {
    clone.UnlockIndexBuffer();
    return hr;
  }
  std::copy(attributeBuffer.begin(), attributeBuffer.begin() + numFaces, clone.attributeBuffer.begin());
  try {
    clone.attributeTable = attributeTable;
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  if (SUCCEEDED(hr)) copyIndices(srcIndices, indexSize, dstIndices, clone.indexSize, size_t(numFaces) * 3);
  if (lockSource) UnlockIndexBuffer();
  clone.UnlockIndexBuffer();
  if (FAILED(hr)) return hr;
  // The table and its validity follow the source; how the clone's own device draws it was settled
  // by its resize and stays.
  const DWORD fromSource = MESHSTATE_ATTRIBUTES | MESHSTATE_ATTRIBUTE_TABLE;
  clone.state = (clone.state & ~fromSource) | (state & fromSource);
  return D3D_OK;
}

HRESULT Mesh::CloneMeshFVF(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE8 pDevice, LPD3DXMESH* ppCloneMesh) {
  if ((FVF & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW || FVF == 0 || (FVF & D3DFVF_RESERVED0) ||
      (Options & 0xFFFE2000) || !pDevice || !ppCloneMesh || (options & D3DXMESH_WRITEONLY))
    return D3DERR_INVALIDCALL;
  if ((Options & D3DXMESH_VB_SHARE) && (FVF != fvf || pDevice != device)) return D3DERR_INVALIDCALL;
  if (!(Options & D3DXMESH_32BIT) && (numFaces > 0xFFFF || numVertices > 0xFFFF)) return D3DERR_INVALIDCALL;
  Ref<Mesh> clone(newMesh(pDevice, FVF, Options));
  if (!clone.get()) return E_OUTOFMEMORY;

  HRESULT hr = copyFacesTo(*clone.get());
  if (FAILED(hr)) return hr;

  if (Options & D3DXMESH_VB_SHARE) {
    if (vertexBuffer) vertexBuffer->AddRef();
    clone->vertexBuffer = vertexBuffer;
    clone->vertexCapacity = vertexCapacity;
    state |= MESHSTATE_SHARED_VB;
  } else if (numVertices) {
    BYTE* dst = nullptr;
    BYTE* src = nullptr;
    if (FAILED(hr = clone->LockVertexBuffer(0, &dst))) return hr;
    if (FAILED(hr = LockVertexBuffer(D3DLOCK_READONLY, &src))) {
      clone->UnlockVertexBuffer();
      return hr;
    }
    if (FVF == fvf) {
      std::memcpy(dst, src, size_t(numVertices) * vertexSize);
    } else {
      try {
        VertexConverter converter(fvf, FVF);
        for (DWORD i = 0; i < numVertices; ++i)
          converter.convert(src + size_t(i) * converter.srcSize(), dst + size_t(i) * converter.dstSize());
      } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
      }
    }
    UnlockVertexBuffer();
    clone->UnlockVertexBuffer();
    if (FAILED(hr)) return hr;
  }
  *ppCloneMesh = clone.detach();
  return D3D_OK;
}

HRESULT Mesh::CloneMesh(DWORD Options, const DWORD* pDeclaration, LPDIRECT3DDEVICE8 pDevice,
                        LPD3DXMESH* ppCloneMesh) {
  DWORD cloneFvf = fvf;
  if (pDeclaration) {
    HRESULT hr = D3DXFVFFromDeclarator(pDeclaration, &cloneFvf);
    if (FAILED(hr)) return hr;
  }
  return CloneMeshFVF(Options, cloneFvf, pDevice, ppCloneMesh);
}

}  // namespace zentu
