// Merging two meshes into one (A's faces and vertices, then B's), as the model loader combines the
// meshes of a file; both are first cloned to a common vertex format and options where they differ.
#include <algorithm>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

// The buffers of one mesh, locked for the life of a scope.
class MeshLocks {
 public:
  explicit MeshLocks(ID3DXMesh* mesh) : mesh_(mesh) {}
  ~MeshLocks() {
    if (vertices) mesh_->UnlockVertexBuffer();
    if (indices) mesh_->UnlockIndexBuffer();
    if (attributes) mesh_->UnlockAttributeBuffer();
  }
  HRESULT lock(DWORD flags) {
    HRESULT hr;
    if (FAILED(hr = mesh_->LockAttributeBuffer(flags, &attributes))) return attributes = nullptr, hr;
    if (FAILED(hr = mesh_->LockIndexBuffer(flags, &indices))) return indices = nullptr, hr;
    if (FAILED(hr = mesh_->LockVertexBuffer(flags, &vertices))) return vertices = nullptr, hr;
    return D3D_OK;
  }
  DWORD* attributes = nullptr;
  BYTE* indices = nullptr;
  BYTE* vertices = nullptr;

 private:
  ID3DXMesh* mesh_;
};

// Copies `count` indices raised by `offset`; an unused marker, or an index past the `vertices` of
// its own mesh, becomes the marker (it must not come to name a vertex of the other mesh).
template <class Index>
void copyIndices(const Index* src, Index* dst, size_t count, DWORD vertices, DWORD offset) {
  for (size_t i = 0; i < count; ++i) dst[i] = src[i] >= vertices ? Index(~Index(0)) : Index(src[i] + offset);
}

void copyAdjacency(const DWORD* src, DWORD* dst, size_t count, DWORD offset) {
  if (!src) {
    std::fill(dst, dst + count, kNone);
    return;
  }
  for (size_t i = 0; i < count; ++i) dst[i] = src[i] == kNone ? kNone : src[i] + offset;
}

}  // namespace

DWORD CombineFVF(DWORD fvfA, DWORD fvfB) {
  UINT weights = std::max(fvfBlendSlots(fvfA), fvfBlendSlots(fvfB));
  DWORD fvf = weights == 0 ? D3DFVF_XYZ : 2 * weights + 4;
  fvf |= (fvfA | fvfB) & (D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
  UINT sets = std::max(fvfLayout(fvfA).numTexSets, fvfLayout(fvfB).numTexSets);
  return fvf | sets << D3DFVF_TEXCOUNT_SHIFT;
}

HRESULT MergeMeshes(ID3DXMesh* meshA, const DWORD* adjacencyA, ID3DXBuffer* materialsA, DWORD countA,
                    ID3DXMesh* meshB, const DWORD* adjacencyB, ID3DXBuffer* materialsB, DWORD countB,
                    IDirect3DDevice8* device, ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency,
                    ID3DXBuffer** ppMaterials, DWORD* pNumMaterials) {
  if (!meshA || !meshB || !ppMesh) return D3DXERR_INVALIDDATA;
  *ppMesh = nullptr;
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (ppMaterials) *ppMaterials = nullptr;
  DWORD facesA = meshA->GetNumFaces(), facesB = meshB->GetNumFaces();
  DWORD vertsA = meshA->GetNumVertices(), vertsB = meshB->GetNumVertices();
  size_t faces = size_t(facesA) + facesB, verts = size_t(vertsA) + vertsB;
  if (faces >= 0xFFFFFFFF || verts >= 0xFFFFFFFF) return D3DXERR_INVALIDDATA;
  // The merged mesh owns its vertex buffer, whatever A shares.
  DWORD options = meshA->GetOptions() & ~DWORD(D3DXMESH_VB_SHARE);
  if (faces > 0xFFFE || verts > 0xFFFE || (meshB->GetOptions() & D3DXMESH_32BIT)) options |= D3DXMESH_32BIT;
  DWORD fvf =
      meshA->GetFVF() == meshB->GetFVF() ? meshA->GetFVF() : CombineFVF(meshA->GetFVF(), meshB->GetFVF());

  HRESULT hr;
  Ref<ID3DXMesh> cloneA, cloneB;
  ID3DXMesh* a = meshA;
  ID3DXMesh* b = meshB;
  if (a->GetOptions() != options || a->GetFVF() != fvf) {
    if (FAILED(hr = meshA->CloneMeshFVF(options, fvf, device, cloneA.put()))) return hr;
    a = cloneA.get();
  }
  if (b->GetOptions() != options || b->GetFVF() != fvf) {
    if (FAILED(hr = meshB->CloneMeshFVF(options, fvf, device, cloneB.put()))) return hr;
    b = cloneB.get();
  }
  MeshLocks lockA(a), lockB(b);
  if (FAILED(hr = lockA.lock(D3DLOCK_READONLY)) || FAILED(hr = lockB.lock(D3DLOCK_READONLY))) return hr;
  Ref<ID3DXBuffer> materials;
  if (ppMaterials && FAILED(hr = MergeMaterials(materialsA, countA, materialsB, countB, materials.put())))
    return hr;
  Ref<ID3DXMesh> merged;
  if (FAILED(hr = D3DXCreateMeshFVF(DWORD(faces), DWORD(verts), options, fvf, device, merged.put())))
    return hr;
  Ref<ID3DXBuffer> adjacency;
  if (ppAdjacency && FAILED(hr = D3DXCreateBuffer(DWORD(faces * 12), adjacency.put()))) return hr;
  {
    MeshLocks out(merged.get());
    if (FAILED(hr = out.lock(0))) return hr;
    size_t cornersA = size_t(facesA) * 3, cornersB = size_t(facesB) * 3;
    if (options & D3DXMESH_32BIT) {
      DWORD* dst = reinterpret_cast<DWORD*>(out.indices);
      copyIndices(reinterpret_cast<const DWORD*>(lockA.indices), dst, cornersA, vertsA, 0);
      copyIndices(reinterpret_cast<const DWORD*>(lockB.indices), dst + cornersA, cornersB, vertsB, vertsA);
    } else {
      WORD* dst = reinterpret_cast<WORD*>(out.indices);
      copyIndices(reinterpret_cast<const WORD*>(lockA.indices), dst, cornersA, vertsA, 0);
      copyIndices(reinterpret_cast<const WORD*>(lockB.indices), dst + cornersA, cornersB, vertsB, vertsA);
    }
    std::copy(lockA.attributes, lockA.attributes + facesA, out.attributes);
    for (DWORD f = 0; f < facesB; ++f) out.attributes[facesA + f] = lockB.attributes[f] + countA;
    UINT vertexSize = D3DXGetFVFVertexSize(fvf);
    std::memcpy(out.vertices, lockA.vertices, size_t(vertsA) * vertexSize);
    std::memcpy(out.vertices + size_t(vertsA) * vertexSize, lockB.vertices, size_t(vertsB) * vertexSize);
  }
  if (adjacency.get()) {
    DWORD* dst = static_cast<DWORD*>(adjacency->GetBufferPointer());
    copyAdjacency(adjacencyA, dst, size_t(facesA) * 3, 0);
    copyAdjacency(adjacencyB, dst + size_t(facesA) * 3, size_t(facesB) * 3, facesA);
  }
  *ppMesh = merged.detach();
  if (ppAdjacency) *ppAdjacency = adjacency.detach();
  if (ppMaterials) *ppMaterials = materials.detach();
  if (pNumMaterials) *pNumMaterials = countA + countB;
  return D3D_OK;
}

}  // namespace zentu
