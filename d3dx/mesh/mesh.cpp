// The mesh object: creation, reference counting, resizing, buffer access and the attribute table.
// One implementation serves both index widths.
#include <climits>
#include <new>

#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

Mesh::Mesh(IDirect3DDevice8* dev, DWORD fvf_, DWORD options_, UINT indexSize_)
    : indexSize(indexSize_), fvf(fvf_), options(options_), vertexSize(fvfLayout(fvf_).size) {
  if (options & D3DXMESH_VB_SHARE) state |= MESHSTATE_SHARED_VB;
  if (options & D3DXMESH_IB_MANAGED) ibPool = D3DPOOL_MANAGED;
  if (options & D3DXMESH_IB_SYSTEMMEM) ibPool = D3DPOOL_SYSTEMMEM;
  if (options & D3DXMESH_VB_MANAGED) vbPool = D3DPOOL_MANAGED;
  if (options & D3DXMESH_VB_SYSTEMMEM) vbPool = D3DPOOL_SYSTEMMEM;
  if (options & D3DXMESH_IB_WRITEONLY) ibUsage |= D3DUSAGE_WRITEONLY;
  if (options & D3DXMESH_VB_WRITEONLY) vbUsage |= D3DUSAGE_WRITEONLY;
  DWORD both = 0;
  if (options & D3DXMESH_DONOTCLIP) both |= D3DUSAGE_DONOTCLIP;
  if (options & D3DXMESH_POINTS) both |= D3DUSAGE_POINTS;
  if (options & D3DXMESH_RTPATCHES) both |= D3DUSAGE_RTPATCHES;
  if (options & D3DXMESH_NPATCHES) both |= D3DUSAGE_NPATCHES;
  ibUsage |= both;
  vbUsage |= both;
  if (options & D3DXMESH_IB_DYNAMIC) ibUsage |= D3DUSAGE_DYNAMIC;
  if (options & D3DXMESH_VB_DYNAMIC) vbUsage |= D3DUSAGE_DYNAMIC;
  if (options & D3DXMESH_IB_SOFTWAREPROCESSING) ibUsage |= D3DUSAGE_SOFTWAREPROCESSING;
  if (options & D3DXMESH_VB_SOFTWAREPROCESSING) vbUsage |= D3DUSAGE_SOFTWAREPROCESSING;
  device = dev;
  device->AddRef();
  if (FAILED(device->GetDirect3D(&d3d))) d3d = nullptr;
}

Mesh::~Mesh() {
  if (d3d) d3d->Release();
  if (vertexBuffer) vertexBuffer->Release();
  if (indexBuffer) indexBuffer->Release();
  device->Release();
}

Mesh* newMesh(IDirect3DDevice8* device, DWORD fvf, DWORD options) {
  if (options & D3DXMESH_32BIT) return new (std::nothrow) Mesh32(device, fvf, options);
  return new (std::nothrow) Mesh16(device, fvf, options);
}

Mesh* asMesh(ID3DXBaseMesh* mesh) {
  return dynamic_cast<Mesh*>(mesh);
}

HRESULT Mesh::QueryInterface(REFIID riid, void** ppv) {
  if (outer) return outer->QueryInterface(riid, ppv);
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_ID3DXBaseMesh && riid != IID_ID3DXMesh) return E_NOINTERFACE;
  *ppv = static_cast<ID3DXMesh*>(this);
  AddRef();
  return D3D_OK;
}

ULONG Mesh::AddRef() {
  return outer ? outer->AddRef() : ++refCount;
}

ULONG Mesh::Release() {
  if (outer) return outer->Release();
  ULONG count = --refCount;
  if (count == 0) delete this;
  return count;
}

HRESULT Mesh::GetDeclaration(DWORD Declaration[MAX_FVF_DECL_SIZE]) {
  return D3DXDeclaratorFromFVF(fvf, Declaration);
}

HRESULT Mesh::GetDevice(LPDIRECT3DDEVICE8* ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device->AddRef();
  *ppDevice = device;
  return D3D_OK;
}

HRESULT Mesh::GetVertexBuffer(LPDIRECT3DVERTEXBUFFER8* ppVB) {
  if (!ppVB || !vertexBuffer) return D3DERR_INVALIDCALL;
  vertexBuffer->AddRef();
  *ppVB = vertexBuffer;
  return D3D_OK;
}

HRESULT Mesh::GetIndexBuffer(LPDIRECT3DINDEXBUFFER8* ppIB) {
  if (!ppIB || !indexBuffer) return D3DERR_INVALIDCALL;
  indexBuffer->AddRef();
  *ppIB = indexBuffer;
  return D3D_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD Flags, BYTE** ppData) {
  if (!vertexBuffer || !ppData) return D3DERR_INVALIDCALL;
  return vertexBuffer->Lock(0, 0, ppData, Flags | D3DLOCK_NOSYSLOCK);
}

HRESULT Mesh::UnlockVertexBuffer() {
  return vertexBuffer ? vertexBuffer->Unlock() : D3DERR_INVALIDCALL;
}

HRESULT Mesh::LockIndexBuffer(DWORD Flags, BYTE** ppData) {
  if (!indexBuffer || !ppData) return D3DERR_INVALIDCALL;
  return indexBuffer->Lock(0, 0, ppData, Flags | D3DLOCK_NOSYSLOCK);
}

HRESULT Mesh::UnlockIndexBuffer() {
  return indexBuffer ? indexBuffer->Unlock() : D3DERR_INVALIDCALL;
}

HRESULT Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) {
  if (pAttribTableSize) *pAttribTableSize = attributeTableSize();
  if (pAttribTable && !attributeTable.empty())
    std::memcpy(pAttribTable, attributeTable.data(), attributeTable.size() * sizeof(D3DXATTRIBUTERANGE));
  return D3D_OK;
}

void Mesh::dropAttributeTable() {
  std::vector<D3DXATTRIBUTERANGE>().swap(attributeTable);
  state &= ~MESHSTATE_ATTRIBUTE_TABLE;
}

FaceOrder Mesh::faceOrder() const {
  FaceOrder order;
  if (hasAttributeTable()) order.table = attributeTable.data(), order.tableSize = attributeTableSize();
  return order;
}

HRESULT Mesh::LockAttributeBuffer(DWORD Flags, DWORD** ppData) {
  if (!ppData) return D3DERR_INVALIDCALL;
  if (!(Flags & D3DLOCK_READONLY)) dropAttributeTable();
  *ppData = attributeBuffer.data();
  return D3D_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() {
  return D3D_OK;
}

// Optimisation is built separately; until then the mesh says so.
HRESULT Mesh::Optimize(DWORD, const DWORD*, DWORD*, DWORD*, LPD3DXBUFFER*, LPD3DXMESH*) {
  return E_NOTIMPL;
}
HRESULT Mesh::OptimizeInplace(DWORD, const DWORD*, DWORD*, DWORD*, LPD3DXBUFFER*) {
  return E_NOTIMPL;
}

namespace {

// A new buffer's bytes: the old buffer's first `keep` bytes, zeros after them.
template <class Buffer>
HRESULT fillNew(Buffer* fresh, Buffer* old, size_t keep, size_t total) {
  BYTE* dst = nullptr;
  HRESULT hr = fresh->Lock(0, 0, &dst, D3DLOCK_NOSYSLOCK);
  if (FAILED(hr)) return hr;
  if (old && keep) {
    BYTE* src = nullptr;
    hr = old->Lock(0, 0, &src, D3DLOCK_NOSYSLOCK);
    if (FAILED(hr)) {
      fresh->Unlock();
      return hr;
    }
    std::memcpy(dst, src, keep);
    old->Unlock();
  }
  std::memset(dst + keep, 0, total - keep);
  return fresh->Unlock();
}

}  // namespace

HRESULT Mesh::Resize(DWORD newFaces, DWORD newVertices) {
  DWORD limit = wide() ? 0xFFFFFFFF : 0xFFFF;
  if (newFaces >= limit || newVertices >= limit) return D3DERR_INVALIDCALL;
  HRESULT hr;
  if (faceCapacity < newFaces) {
    size_t bytes;
    if (!checkedMul(newFaces, 3 * indexSize, bytes) || bytes > UINT_MAX) return E_OUTOFMEMORY;
    Ref<IDirect3DIndexBuffer8> fresh;
    hr = device->CreateIndexBuffer(UINT(bytes), ibUsage, wide() ? D3DFMT_INDEX32 : D3DFMT_INDEX16, ibPool,
                                   fresh.put());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = fillNew(fresh.get(), indexBuffer, size_t(numFaces) * 3 * indexSize, bytes))) return hr;
    try {
      attributeBuffer.resize(newFaces, 0);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (indexBuffer) indexBuffer->Release();
    indexBuffer = fresh.detach();
    faceCapacity = newFaces;
  }
  if (vertexCapacity < newVertices && !(state & MESHSTATE_SHARED_VB)) {
    size_t bytes;
    if (!checkedMul(newVertices, vertexSize, bytes) || bytes > UINT_MAX) return E_OUTOFMEMORY;
    Ref<IDirect3DVertexBuffer8> fresh;
    hr = device->CreateVertexBuffer(UINT(bytes), vbUsage, fvf, vbPool, fresh.put());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = fillNew(fresh.get(), vertexBuffer, size_t(numVertices) * vertexSize, bytes))) return hr;
    if (vertexBuffer) vertexBuffer->Release();
    vertexBuffer = fresh.detach();
    vertexCapacity = newVertices;
  }
  numVertices = newVertices;
  numFaces = newFaces;
  return queryDevice();
}

HRESULT Mesh::readFaces(FaceList& out) {
  const BYTE* data = lockedIndices;
  BYTE* locked = nullptr;
  if (!data) {
    HRESULT hr = LockIndexBuffer(D3DLOCK_READONLY, &locked);
    if (FAILED(hr)) return hr;
    data = locked;
  }
  expandFaces(data, wide(), numFaces, numVertices, out);
  if (locked) UnlockIndexBuffer();
  return D3D_OK;
}

bool Mesh::Validate(const void* indices) {
  const BYTE* data = static_cast<const BYTE*>(indices);
  BYTE* locked = nullptr;
  if (!data) data = lockedIndices;
  if (!data) {
    if (FAILED(LockIndexBuffer(D3DLOCK_READONLY, &locked))) return false;
    data = locked;
  }
  auto at = [&](size_t i) -> DWORD {
    if (wide()) return reinterpret_cast<const DWORD*>(data)[i];
    return reinterpret_cast<const WORD*>(data)[i];
  };
  DWORD marker = wide() ? kUnused32 : kUnused16;
  bool valid = true;
  for (DWORD f = 0; f < numFaces && valid; ++f)
    if (at(3 * size_t(f)) == marker && (at(3 * size_t(f) + 1) != marker || at(3 * size_t(f) + 2) != marker))
      valid = false;
  if (locked) UnlockIndexBuffer();
  if (valid && hasAttributeTable()) {
    for (const D3DXATTRIBUTERANGE& range : attributeTable) {
      FaceOrder one{&range, 1};
      one.forEach(numFaces, [&](DWORD f) {
        if (attributeBuffer[f] != range.AttribId) valid = false;
      });
    }
  }
  return valid;
}

}  // namespace zentu

HRESULT D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF,
                          LPDIRECT3DDEVICE8 pDevice, LPD3DXMESH* ppMesh) {
  if ((Options & 0xFFFE3000) || !pDevice || !ppMesh || FVF == 0 || (FVF & D3DFVF_RESERVED0) ||
      (FVF & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW || NumFaces == 0 || NumVertices == 0)
    return D3DERR_INVALIDCALL;
  *ppMesh = nullptr;
  if (!(Options & D3DXMESH_32BIT) && (NumFaces > 0xFFFF || NumVertices > 0xFFFF)) return D3DERR_INVALIDCALL;
  zentu::Mesh* mesh = zentu::newMesh(pDevice, FVF, Options);
  if (!mesh) return E_OUTOFMEMORY;
  HRESULT hr = mesh->Resize(NumFaces, NumVertices);
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  *ppMesh = mesh;
  return D3D_OK;
}
