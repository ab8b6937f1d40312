// The views of a mesh's data that the array algorithms read: faces widened to 32 bits with every
// face that could address memory outside the vertices marked unused, and positions.
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

template <class Index>
void widen(const Index* indices, DWORD numFaces, DWORD numVertices, DWORD* out) {
  for (DWORD f = 0; f < numFaces; ++f) {
    DWORD a = indices[3 * f], b = indices[3 * f + 1], c = indices[3 * f + 2];
    bool ok = a < numVertices && b < numVertices && c < numVertices;
    out[3 * f] = ok ? a : kNone;
    out[3 * f + 1] = ok ? b : kNone;
    out[3 * f + 2] = ok ? c : kNone;
  }
}

}  // namespace

void expandFaces(const void* indices, bool wide, DWORD numFaces, DWORD numVertices, FaceList& out) {
  out.numFaces = numFaces;
  out.numVertices = numVertices;
  out.corners.resize(size_t(numFaces) * 3);
  if (wide)
    widen(static_cast<const DWORD*>(indices), numFaces, numVertices, out.corners.data());
  else
    widen(static_cast<const WORD*>(indices), numFaces, numVertices, out.corners.data());
}

Positions positionsOf(const BYTE* vertices, UINT vertexSize, DWORD numVertices, std::vector<BYTE>& scratch) {
  if (vertexSize >= 12) return Positions{vertices, vertexSize};
  scratch.assign(size_t(numVertices) * 12, 0);
  for (DWORD i = 0; i < numVertices; ++i)
    std::memcpy(&scratch[size_t(i) * 12], vertices + size_t(i) * vertexSize, vertexSize);
  return Positions{scratch.data(), 12};
}

}  // namespace zentu
