// Vertex normals from triangles: each vertex gets the normalised sum of the unnormalised normals of
// the faces that use it (so larger faces weigh more); with adjacency, vertices of one point
// representative share one normal so that seams of duplicated vertices do not show.
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

Vec3 readVec3(const BYTE* p) {
  Vec3 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
void writeVec3(BYTE* p, const Vec3& v) {
  std::memcpy(p, &v, sizeof v);
}

// Releases a buffer's lock and reference when the call ends, whatever way it ends.
template <class Buffer>
struct LockedBuffer {
  Buffer* buffer = nullptr;
  BYTE* data = nullptr;
  ~LockedBuffer() {
    if (!buffer) return;
    if (data) buffer->Unlock();
    buffer->Release();
  }
};

}  // namespace

void computeVertexNormals(const FaceList& faces, BYTE* vertices, UINT vertexSize, UINT normalOffset,
                          const DWORD* reps) {
  DWORD numVertices = faces.numVertices;
  auto normalAt = [&](DWORD v) { return vertices + size_t(v) * vertexSize + normalOffset; };
  auto target = [&](DWORD v) { return reps && reps[v] < numVertices ? reps[v] : v; };
  const Vec3 zero(0, 0, 0);
  for (DWORD v = 0; v < numVertices; ++v) writeVec3(normalAt(v), zero);
  for (DWORD f = 0; f < faces.numFaces; ++f) {
    if (!faces.used(f)) continue;
    const DWORD* c = faces.face(f);
    Vec3 p0 = readVec3(vertices + size_t(c[0]) * vertexSize);
    Vec3 p1 = readVec3(vertices + size_t(c[1]) * vertexSize);
    Vec3 p2 = readVec3(vertices + size_t(c[2]) * vertexSize);
    Vec3 e1(p0.x - p1.x, p0.y - p1.y, p0.z - p1.z);
    Vec3 e2(p0.x - p2.x, p0.y - p2.y, p0.z - p2.z);
    Vec3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
    for (int k = 0; k < 3; ++k) {
      BYTE* at = normalAt(target(c[k]));
      Vec3 sum = readVec3(at);
      sum.x += n.x, sum.y += n.y, sum.z += n.z;
      writeVec3(at, sum);
    }
  }
  if (reps)
    for (DWORD v = 0; v < numVertices; ++v)
      if (target(v) != v) std::memmove(normalAt(v), normalAt(target(v)), 12);
  for (DWORD v = 0; v < numVertices; ++v) {
    Vec3 n = readVec3(normalAt(v));
    n = normalize(n);
    writeVec3(normalAt(v), n);
  }
}

}  // namespace zentu

HRESULT D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* pAdjacency) {
  using namespace zentu;
  if (!pMesh) return D3DERR_INVALIDCALL;
  DWORD fvf = pMesh->GetFVF(), options = pMesh->GetOptions();
  // Positions are the first three floats of a vertex: a format without them has nothing to work from.
  if (!(fvf & D3DFVF_NORMAL) || !fvfHasPosition(fvf) || (options & D3DXMESH_WRITEONLY))
    return D3DERR_INVALIDCALL;
  DWORD numFaces = pMesh->GetNumFaces(), numVertices = pMesh->GetNumVertices();
  FvfLayout layout = fvfLayout(fvf);
  bool wide = (options & D3DXMESH_32BIT) != 0;

  std::vector<DWORD> reps;
  if (pAdjacency) {
    reps.resize(numVertices);
    HRESULT hr = pMesh->ConvertAdjacencyToPointReps(pAdjacency, reps.data());
    if (FAILED(hr)) return hr;
  }
  LockedBuffer<IDirect3DIndexBuffer8> ib;
  LockedBuffer<IDirect3DVertexBuffer8> vb;
  HRESULT hr = pMesh->GetIndexBuffer(&ib.buffer);
  if (FAILED(hr)) return hr;
  if (FAILED(hr = ib.buffer->Lock(0, 0, &ib.data, D3DLOCK_NOSYSLOCK))) return hr;
  if (FAILED(hr = pMesh->GetVertexBuffer(&vb.buffer))) return hr;
  if (FAILED(hr = vb.buffer->Lock(0, 0, &vb.data, D3DLOCK_NOSYSLOCK))) return hr;

  // Never trust the counts beyond what the buffers hold.
  D3DINDEXBUFFER_DESC ibDesc;
  D3DVERTEXBUFFER_DESC vbDesc;
  if (FAILED(hr = ib.buffer->GetDesc(&ibDesc)) || FAILED(hr = vb.buffer->GetDesc(&vbDesc))) return hr;
  if (size_t(numFaces) * 3 * (wide ? 4 : 2) > ibDesc.Size || size_t(numVertices) * layout.size > vbDesc.Size)
    return D3DERR_INVALIDCALL;

  FaceList faces;
  expandFaces(ib.data, wide, numFaces, numVertices, faces);
  computeVertexNormals(faces, vb.data, layout.size, layout.normalOffset, pAdjacency ? reps.data() : nullptr);
  return D3D_OK;
}
