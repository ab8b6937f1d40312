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

DWORD positionHash(const Vec3& p) {
  DWORD h = bitsOf(p.x) * 0x9E3779B1u;
  h = (h ^ (h >> 15) ^ bitsOf(p.y)) * 0x85EBCA77u;
  h = (h ^ (h >> 13) ^ bitsOf(p.z)) * 0xC2B2AE3Du;
  return h ^ (h >> 16);
}

// Open addressing over (hash, vertex) slots. Among entered vertices at exactly the position of
// vertex i that share no face with it, the latest entered becomes i's representative (the first
// one a chain with entries pushed at its front would meet).
void exactReps(const FaceList& faces, const CornerLists& corners, Positions positions, DWORD* reps) {
  struct Slot {
    DWORD hash;
    DWORD vertex;
  };
  DWORD numVertices = faces.numVertices;
  size_t size = 2;
  while (size < size_t(numVertices) * 2) size <<= 1;
  std::vector<Slot> table(size, Slot{0, kNone});
  std::vector<DWORD> equal;
  for (DWORD i = 0; i < numVertices; ++i) {
    Vec3 p = positions.at(i);
    DWORD hash = positionHash(p);
    size_t at = hash & (size - 1);
    equal.clear();
    for (; table[at].vertex != kNone; at = (at + 1) & (size - 1)) {
      if (table[at].hash != hash) continue;
      Vec3 q = positions.at(table[at].vertex);
      if (q.x == p.x && q.y == p.y && q.z == p.z) equal.push_back(table[at].vertex);
    }
    reps[i] = i;
    // Slots of one position hold increasing vertex indices along the probe sequence.
    for (size_t e = equal.size(); e-- > 0;) {
      if (!corners.shareFace(faces, i, equal[e])) {
        reps[i] = equal[e];
        break;
      }
    }
    if (reps[i] == i) table[at] = Slot{hash, i};
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
    Vec3 p = positions.at(v);
    for (DWORD h = s + 1; h < w; ++h) {
      DWORD u = sorted[h];
      if (reps[u] != kNone) continue;
      Vec3 q = positions.at(u);
      float dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
      if (dx * dx + dy * dy + dz * dz < epsilon2 && !corners.shareFace(faces, v, u)) reps[u] = v;
    }
  }
}

Vec3 unitNormal(Positions positions, DWORD a, DWORD b, DWORD c) {
  Vec3 pa = positions.at(a), pb = positions.at(b), pc = positions.at(c);
  Vec3 e1(pa.x - pb.x, pa.y - pb.y, pa.z - pb.z);
  Vec3 e2(pa.x - pc.x, pa.y - pc.y, pa.z - pc.z);
  Vec3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
  n = normalize(n);
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
  // Corner representatives per face; a face that is unused or degenerate (two equal
  // representatives) starts with kNone and takes no part.
  std::vector<DWORD> fr(faces.corners.size());
  for (DWORD f = 0; f < numFaces; ++f) {
    const DWORD* c = faces.face(f);
    DWORD* r = &fr[3 * size_t(f)];
    if (c[0] == kNone) {
      r[0] = r[1] = r[2] = kNone;
      continue;
    }
    for (int k = 0; k < 3; ++k) r[k] = reps ? reps[c[k]] : c[k];
    if (r[0] == r[1] || r[1] == r[2] || r[2] == r[0]) r[0] = kNone;
  }

  // Edges grouped by their start representative, each group in the order a chain with entries
  // pushed at its front would hold them (latest first). A matched edge is taken out by setting
  // `to` to kNone.
  struct EdgeEntry {
    DWORD to;
    DWORD corner;  // 3 × face + edge
  };
  std::vector<DWORD> begin(size_t(numVertices) + 1, 0);
  order.forEach(numFaces, [&](DWORD f) {
    if (fr[3 * size_t(f)] == kNone) return;
    for (int k = 0; k < 3; ++k) ++begin[fr[3 * size_t(f) + k] + 1];
  });
  for (DWORD v = 0; v < numVertices; ++v) begin[v + 1] += begin[v];
  std::vector<DWORD> cursor(begin.begin() + 1, begin.end());
  std::vector<EdgeEntry> edges(begin[numVertices]);
  std::vector<DWORD> edgeOf(faces.corners.size(), kNone);
  order.forEach(numFaces, [&](DWORD f) {
    const DWORD* r = &fr[3 * size_t(f)];
    if (r[0] == kNone) return;
    for (DWORD k = 0; k < 3; ++k) {
      DWORD at = --cursor[r[k]];
      edges[at] = {r[(k + 1) % 3], 3 * f + k};
      edgeOf[3 * size_t(f) + k] = at;
    }
  });

  std::fill(adjacency, adjacency + size_t(numFaces) * 3, kNone);
  auto normalOf = [&](DWORD corner) {
    const DWORD* r = &fr[corner - corner % 3];
    DWORD j = corner % 3;
    return unitNormal(positions, r[j], r[(j + 1) % 3], r[(j + 2) % 3]);
  };
  order.forEach(numFaces, [&](DWORD f) {
    const DWORD* r = &fr[3 * size_t(f)];
    if (r[0] == kNone) return;
    for (DWORD k = 0; k < 3; ++k) {
      if (adjacency[3 * size_t(f) + k] != kNone) continue;
      DWORD a = r[k], b = r[(k + 1) % 3];
      DWORD winner = kNone, candidates = 0;
      float best = 0;
      Vec3 own(0, 0, 0);
      for (DWORD e = begin[b]; e < begin[b + 1]; ++e) {
        const EdgeEntry& edge = edges[e];
        if (edge.to != a || edge.corner / 3 == f) continue;
        if (++candidates == 1) {
          winner = e;
          continue;
        }
        // Several faces across one edge: the one whose normal is closest to this face's wins.
        if (candidates == 2) {
          own = normalOf(3 * f + k);
          Vec3 n = normalOf(edges[winner].corner);
          best = n.x * own.x + n.y * own.y + n.z * own.z;
        }
        Vec3 n = normalOf(edge.corner);
        float dot = n.x * own.x + n.y * own.y + n.z * own.z;
        if (dot > best) best = dot, winner = e;
      }
      if (winner == kNone) continue;
      DWORD g = edges[winner].corner / 3;
      edges[winner].to = kNone;
      edges[edgeOf[3 * size_t(f) + k]].to = kNone;
      adjacency[3 * size_t(f) + k] = g;
      const DWORD* rg = &fr[3 * size_t(g)];
      for (int j = 0; j < 3; ++j) {
        if (rg[j] == b) {
          adjacency[3 * size_t(g) + j] = f;
          break;
        }
      }
    }
  });
  return D3D_OK;
}

}  // namespace zentu
