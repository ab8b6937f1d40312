// The mesh's adjacency operations: they read the locked buffers into the views of this module and
// run the array algorithms of adjacency.cpp and point_reps.cpp.
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

// The vertex buffer locked read-only for one call.
class ReadLock {
 public:
  explicit ReadLock(Mesh& mesh) : mesh_(mesh) { hr_ = mesh.LockVertexBuffer(D3DLOCK_READONLY, &data_); }
  ~ReadLock() {
    if (SUCCEEDED(hr_)) mesh_.UnlockVertexBuffer();
  }
  HRESULT result() const { return hr_; }
  const BYTE* data() const { return data_; }

 private:
  Mesh& mesh_;
  BYTE* data_ = nullptr;
  HRESULT hr_;
};

}  // namespace

HRESULT Mesh::GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) {
  if (!pAdjacency || (options & D3DXMESH_IB_WRITEONLY)) return D3DERR_INVALIDCALL;
  try {
    FaceList faces;
    HRESULT hr = readFaces(faces);
    if (FAILED(hr)) return hr;
    ReadLock vertices(*this);
    if (FAILED(vertices.result())) return vertices.result();
    std::vector<BYTE> scratch;
    Positions positions = positionsOf(vertices.data(), vertexSize, numVertices, scratch);
    std::vector<DWORD> reps(numVertices);
    if (FAILED(hr = pointRepsFromPositions(faces, positions, Epsilon, reps.data()))) return hr;
    return adjacencyFromPointReps(faces, faceOrder(), positions, reps.data(), pAdjacency);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT Mesh::ConvertPointRepsToAdjacency(const DWORD* pPRep, DWORD* pAdjacency) {
  if (!pAdjacency || (options & D3DXMESH_IB_WRITEONLY)) return D3DERR_INVALIDCALL;
  try {
    FaceList faces;
    HRESULT hr = readFaces(faces);
    if (FAILED(hr)) return hr;
    ReadLock vertices(*this);
    if (FAILED(vertices.result())) return vertices.result();
    std::vector<BYTE> scratch;
    Positions positions = positionsOf(vertices.data(), vertexSize, numVertices, scratch);
    return adjacencyFromPointReps(faces, faceOrder(), positions, pPRep, pAdjacency);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT Mesh::ConvertAdjacencyToPointReps(const DWORD* pAdjacency, DWORD* pPRep) {
  if (!pAdjacency || !pPRep || (options & D3DXMESH_IB_WRITEONLY)) return D3DERR_INVALIDCALL;
  BYTE* indices = nullptr;
  HRESULT hr = LockIndexBuffer(D3DLOCK_READONLY, &indices);
  if (FAILED(hr)) return hr;
  lockedIndices = indices;
  try {
    FaceList faces;
    expandFaces(indices, wide(), numFaces, numVertices, faces);
    hr = pointRepsFromAdjacency(faces, faceOrder(), pAdjacency, pPRep);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  lockedIndices = nullptr;
  UnlockIndexBuffer();
  return hr;
}

}  // namespace zentu
