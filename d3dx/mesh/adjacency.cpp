// Face adjacency: vertices are first joined into point representatives (exact position hashing, or a
// sweep along x for a distance epsilon), then every edge is matched with the reverse edge of another
// face through a table of edges keyed by their start representative.
#include <algorithm>
#include <cmath>
#include <limits>

#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

// Every corner that uses a vertex, pushed in face order (so a list runs from the last use to the first).
struct CornerLists {
  std::vector<DWORD> first;
  std::vector<DWORD> next;

  explicit CornerLists(const FaceList& faces)
      : first(faces.numVertices, kNone), next(faces.corners.size(), kNone) {
    for (DWORD c = 0; c < faces.corners.size(); ++c) {
      DWORD v = faces.corners[c];
      if (v == kNone) continue;
      next[c] = first[v];
      first[v] = c;
    }
  }

  // True when some face on `v`'s corner list also uses `other`.
  bool shareFace(const FaceList& faces, DWORD v, DWORD other) const {
    for (DWORD c = first[v]; c != kNone; c = next[c]) {
      const DWORD* f = faces.face(c / 3);
      if (f[0] == other || f[1] == other || f[2] == other) return true;
    }
    return false;
  }
};

DWORD bitsOf(float value) {
  if (value == 0.0f) value = 0.0f;  // -0 and +0 are one position: hash them alike
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

DWORD positionHash(const D3DXVECTOR3& p) {
  DWORD h = bitsOf(p.x) * 0x9E3779B1u;
  h = (h ^ (h >> 15) ^ bitsOf(p.y)) * 0x85EBCA77u;
  h = (h ^ (h >> 13) ^ bitsOf(p.z)) * 0xC2B2AE3Du;
  return h ^ (h >> 16);
}

void exactReps(const FaceList& faces, const CornerLists& corners, Positions positions, DWORD* reps) {
  struct PositionEntry {
    float x, y, z;
    DWORD vertex;
    DWORD next;
  };
  DWORD numVertices = faces.numVertices;
  size_t buckets = 1;
  while (buckets < numVertices) buckets <<= 1;
  std::vector<DWORD> heads(buckets, kNone);
  std::vector<PositionEntry> entries;
  entries.reserve(numVertices);
  for (DWORD i = 0; i < numVertices; ++i) {
    D3DXVECTOR3 p = positions.at(i);
    DWORD& head = heads[positionHash(p) & (buckets - 1)];
    reps[i] = i;
    for (DWORD e = head; e != kNone; e = entries[e].next) {
      const PositionEntry& entry = entries[e];
      if (entry.x == p.x && entry.y == p.y && entry.z == p.z && !corners.shareFace(faces, i, entry.vertex)) {
        reps[i] = entry.vertex;
        break;
      }
    }
    if (reps[i] != i) continue;
    entries.push_back({p.x, p.y, p.z, i, head});
    head = DWORD(entries.size() - 1);
  }
}

void sweepReps(const FaceList& faces, const CornerLists& corners, Positions positions, float epsilon,
               DWORD* reps) {
  DWORD numVertices = faces.numVertices;
  std::vector<float> key(numVertices);
  for (DWORD i = 0; i < numVertices; ++i) {
    float x = positions.at(i).x;
    key[i] = std::isnan(x) ? -std::numeric_limits<float>::infinity() : x;  // a total order for the sort
  }
  std::vector<DWORD> sorted(numVertices);
  for (DWORD i = 0; i < numVertices; ++i) sorted[i] = i;
  std::sort(sorted.begin(), sorted.end(), [&](DWORD a, DWORD b) { return key[a] > key[b]; });
  std::fill(reps, reps + numVertices, kNone);
  float epsilon2 = epsilon * epsilon;
  DWORD w = 0;
  for (DWORD s = 0; s < numVertices; ++s) {
    DWORD v = sorted[s];
    while (w < numVertices && key[v] - key[sorted[w]] <= epsilon) ++w;
    if (reps[v] != kNone) continue;
    reps[v] = v;
    D3DXVECTOR3 p = positions.at(v);
    for (DWORD h = s + 1; h < w; ++h) {
      DWORD u = sorted[h];
      if (reps[u] != kNone) continue;
      D3DXVECTOR3 q = positions.at(u);
      float dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
      if (dx * dx + dy * dy + dz * dz < epsilon2 && !corners.shareFace(faces, v, u)) reps[u] = v;
    }
  }
}

D3DXVECTOR3 unitNormal(Positions positions, DWORD a, DWORD b, DWORD c) {
  D3DXVECTOR3 pa = positions.at(a), pb = positions.at(b), pc = positions.at(c);
  D3DXVECTOR3 e1(pa.x - pb.x, pa.y - pb.y, pa.z - pb.z);
  D3DXVECTOR3 e2(pa.x - pc.x, pa.y - pc.y, pa.z - pc.z);
  D3DXVECTOR3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
  D3DXVec3Normalize(&n, &n);
  return n;
}

}  // namespace

HRESULT pointRepsFromPositions(const FaceList& faces, Positions positions, float epsilon, DWORD* reps) {
  CornerLists corners(faces);
  if (epsilon == 0.0f)
    exactReps(faces, corners, positions, reps);
  else
    sweepReps(faces, corners, positions, epsilon, reps);
  return D3D_OK;
}

HRESULT adjacencyFromPointReps(const FaceList& faces, const FaceOrder& order, Positions positions,
                               const DWORD* reps, DWORD* adjacency) {
  DWORD numFaces = faces.numFaces, numVertices = faces.numVertices;
  if (reps)
    for (DWORD i = 0; i < numVertices; ++i)
      if (reps[i] >= numVertices) return D3DERR_INVALIDCALL;
  auto rep = [&](DWORD v) { return reps ? reps[v] : v; };
  auto repsOf = [&](DWORD f, DWORD r[3]) {
    const DWORD* c = faces.face(f);
    r[0] = rep(c[0]), r[1] = rep(c[1]), r[2] = rep(c[2]);
    return r[0] != r[1] && r[1] != r[2] && r[2] != r[0];
  };

  // Edges chained by their start representative; a matched edge is taken out by setting `to` to kNone.
  struct EdgeEntry {
    DWORD from, to, opposite, face, next;
  };
  std::vector<DWORD> heads(numVertices, kNone);
  std::vector<EdgeEntry> edges;
  edges.reserve(size_t(numFaces) * 3);
  std::vector<DWORD> edgeOf(size_t(numFaces) * 3, kNone);
  order.forEach(numFaces, [&](DWORD f) {
    DWORD r[3];
    if (!faces.used(f) || !repsOf(f, r)) return;
    for (int k = 0; k < 3; ++k) {
      edges.push_back({r[k], r[(k + 1) % 3], r[(k + 2) % 3], f, heads[r[k]]});
      heads[r[k]] = edgeOf[3 * f + k] = DWORD(edges.size() - 1);
    }
  });

  std::fill(adjacency, adjacency + size_t(numFaces) * 3, kNone);
  order.forEach(numFaces, [&](DWORD f) {
    DWORD r[3];
    if (!faces.used(f) || !repsOf(f, r)) return;
    for (int k = 0; k < 3; ++k) {
      if (adjacency[3 * f + k] != kNone) continue;
      DWORD a = r[k], b = r[(k + 1) % 3];
      DWORD winner = kNone, candidates = 0;
      float best = 0;
      D3DXVECTOR3 own(0, 0, 0);
      for (DWORD e = heads[b]; e != kNone; e = edges[e].next) {
        const EdgeEntry& edge = edges[e];
        if (edge.to != a || edge.face == f) continue;
        if (++candidates == 1) {
          winner = e;
          continue;
        }
        // Several faces across one edge: the one whose normal is closest to this face's wins.
        if (candidates == 2) {
          own = unitNormal(positions, a, b, r[(k + 2) % 3]);
          const EdgeEntry& first = edges[winner];
          D3DXVECTOR3 n = unitNormal(positions, first.from, first.to, first.opposite);
          best = n.x * own.x + n.y * own.y + n.z * own.z;
        }
        D3DXVECTOR3 n = unitNormal(positions, edge.from, edge.to, edge.opposite);
        float dot = n.x * own.x + n.y * own.y + n.z * own.z;
        if (dot > best) best = dot, winner = e;
      }
      if (winner == kNone) continue;
      DWORD g = edges[winner].face;
      edges[winner].to = kNone;
      if (edgeOf[3 * f + k] != kNone) edges[edgeOf[3 * f + k]].to = kNone;
      adjacency[3 * f + k] = g;
      const DWORD* cg = faces.face(g);
      for (int j = 0; j < 3; ++j) {
        if (rep(cg[j]) == b) {
          adjacency[3 * g + j] = f;
          break;
        }
      }
    }
  });
  return D3D_OK;
}

}  // namespace zentu
