// Point representatives from adjacency: every vertex gets the representative shared by all vertices
// that meet at one point of a connected surface, found by walking the fan of faces around it,
// forwards and, at an open edge, backwards.
#include <algorithm>

#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

HRESULT pointRepsFromAdjacency(const FaceList& faces, const FaceOrder& order, const DWORD* adjacency,
                               DWORD* reps) {
  DWORD numFaces = faces.numFaces, numVertices = faces.numVertices;
  std::fill(reps, reps + numVertices, kNone);
  auto neighbour = [&](DWORD f, DWORD edge) {
    DWORD g = adjacency[3 * f + edge];
    return g < numFaces && faces.used(g) ? g : kNone;
  };
  // The edge of `g` that leads back to `from`, or kNone.
  auto edgeBack = [&](DWORD g, DWORD from) {
    for (DWORD e = 0; e < 3; ++e)
      if (adjacency[3 * g + e] == from) return e;
    return kNone;
  };

  HRESULT hr = D3D_OK;
  order.forEach(numFaces, [&](DWORD start) {
    if (FAILED(hr) || !faces.used(start)) return;
    for (DWORD corner = 0; corner < 3; ++corner) {
      DWORD v = faces.face(start)[corner];
      if (reps[v] != kNone) continue;
      reps[v] = v;
      DWORD walked = 1;
      bool closed = false;
      // Forwards: leave by the edge that starts at v's corner; v is at the end of the way back.
      for (DWORD face = start, at = corner;;) {
        DWORD g = neighbour(face, at);
        if (g == kNone) break;
        if (g == start) {
          closed = true;
          break;
        }
        DWORD back = edgeBack(g, face);
        if (back == kNone) break;
        if (++walked > kMaxFanWalk) {
          hr = D3DXERR_INVALIDMESH;
          return;
        }
        at = (back + 1) % 3;
        reps[faces.face(g)[at]] = v;
        face = g;
      }
      if (closed) continue;
      // Backwards: leave by the edge that ends at v's corner; v is at the start of the way back.
      for (DWORD face = start, at = corner;;) {
        DWORD g = neighbour(face, (at + 2) % 3);
        if (g == kNone || g == start) break;
        DWORD back = edgeBack(g, face);
        if (back == kNone) break;
        if (++walked > kMaxFanWalk) {
          hr = D3DXERR_INVALIDMESH;
          return;
        }
        at = back;
        reps[faces.face(g)[at]] = v;
        face = g;
      }
    }
  });
  if (FAILED(hr)) return hr;
  for (DWORD i = 0; i < numVertices; ++i)
    if (reps[i] == kNone) reps[i] = i;
  return D3D_OK;
}

}  // namespace zentu
