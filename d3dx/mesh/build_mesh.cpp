// BuildMesh: the working records of one model-file mesh into a mesh. Vertices are split where their
// faces disagree about the normal (split copies stay in a ring with the vertex they copy and are
// shared among the faces that agree), normals are generated where the format asks for them and the
// file gives none, degenerate triangles are dropped, and adjacency comes from the file, from the
// duplication rings, or from the positions.
#include <algorithm>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

std::vector<LoadVertex> makeLoadVertices(uint32_t count) {
  std::vector<LoadVertex> vertices(count);
  for (uint32_t i = 0; i < count; ++i) vertices[i].baseVertex = vertices[i].next = vertices[i].fileIndex = i;
  return vertices;
}

namespace {

bool dropped(const LoadFace& face) {
  return face.indices[0] == kNone && face.indices[1] == kNone && face.indices[2] == kNone;
}

bool sameVec(const float* a, const float* b, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// Appends a copy of vertex `of` linked into its ring right after the base vertex; returns its index.
uint32_t appendCopy(std::vector<LoadVertex>& vertices, LoadVertex copy) {
  uint32_t index = uint32_t(vertices.size());
  LoadVertex& base = vertices[copy.baseVertex];
  copy.next = base.next;
  base.next = index;
  vertices.push_back(copy);
  return index;
}

// The first member of `v`'s ring that `fits`, or kNone. Bounded by the vertex count, so a broken
// ring cannot loop.
template <class Fits>
uint32_t findInRing(const std::vector<LoadVertex>& vertices, uint32_t v, Fits&& fits) {
  uint32_t m = v;
  for (size_t steps = 0; steps < vertices.size(); ++steps) {
    if (fits(vertices[m])) return m;
    m = vertices[m].next;
    if (m == v) break;
  }
  return kNone;
}

DWORD packColor(const float* c) {
  auto byte = [](float v) -> DWORD {
    if (!(v > 0)) return 0;
    if (v > 1) return 255;
    return DWORD(v * 255 + 0.5f);
  };
  return byte(c[3]) << 24 | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}

// DWORDs per vertex that an FVFData block of format `fvf` holds (no position, no point size).
size_t fvfDataDwords(DWORD fvf) {
  FvfLayout layout = fvfLayout(fvf);
  size_t n = layout.numBlendWeights;
  if (fvf & D3DFVF_NORMAL) n += 3;
  if (fvf & D3DFVF_DIFFUSE) n += 1;
  if (fvf & D3DFVF_SPECULAR) n += 1;
  for (UINT i = 0; i < layout.numTexSets; ++i) n += fvfTexSetSize(fvf, i) / 4;
  return n;
}

HRESULT checkRecords(const std::vector<LoadFace>& faces, const std::vector<LoadVertex>& vertices,
                     const std::vector<LoadCorner>& corners, const FvfDataRecord* fvfData,
                     const std::vector<DWORD>* fileAdjacency) {
  size_t count = vertices.size();
  // Every corner may split once: the grown vertex count must still fit the index type.
  if (count + 3 * faces.size() >= kNone) return D3DXERR_INVALIDDATA;
  for (const LoadVertex& v : vertices)
    if (v.baseVertex >= count || v.next >= count) return D3DXERR_INVALIDDATA;
  for (const LoadFace& f : faces)
    if (!dropped(f) && (f.indices[0] >= count || f.indices[1] >= count || f.indices[2] >= count))
      return D3DXERR_INVALIDDATA;
  for (const LoadCorner& c : corners)
    if (c.vertex >= count || c.face >= faces.size()) return D3DXERR_INVALIDDATA;
  if (fvfData) {
    if (!fvfHasPosition(fvfData->fvf) || (fvfData->fvf & D3DFVF_PSIZE)) return D3DXERR_INVALIDDATA;
    size_t need = fvfDataDwords(fvfData->fvf), stride = fvfData->bytesPerVertex / 4, last = 0;
    for (const LoadVertex& v : vertices) last = std::max<size_t>(last, v.fileIndex);
    if (stride < need || stride * last + need > fvfData->data.size()) return D3DXERR_INVALIDDATA;
  }
  if (fileAdjacency) {
    if (fileAdjacency->size() != 3 * faces.size()) return D3DXERR_INVALIDDATA;
    for (DWORD neighbour : *fileAdjacency)
      if (neighbour != kNone && neighbour >= faces.size()) return D3DXERR_INVALIDDATA;
  }
  return D3D_OK;
}

// Normals for triangles that need one: each vertex takes the sum of the unit normals of its faces of
// one normal group, split into copies per group. A triangle without area gives no normal.
void generateNormals(std::vector<LoadFace>& faces, std::vector<LoadVertex>& vertices) {
  for (LoadFace& face : faces) {
    if (!(face.flags & kFaceNeedsNormal) || dropped(face)) continue;
    const float* p0 = vertices[face.indices[0]].position;
    const float* p1 = vertices[face.indices[1]].position;
    const float* p2 = vertices[face.indices[2]].position;
    Vec3 e1(p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]);
    Vec3 e2(p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]);
    Vec3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
    if (!(n.x * n.x + n.y * n.y + n.z * n.z > 0)) continue;
    n = normalize(n);
    const float normal[3] = {n.x, n.y, n.z};
    uint16_t group = face.normalGroup;
    for (uint32_t& corner : face.indices) {
      uint32_t v = corner;
      if (vertices[v].normalCount == 0) {
        std::copy(normal, normal + 3, vertices[v].normal);
        vertices[v].normalCount = 1;
        vertices[v].normalGroup = group;
        continue;
      }
      uint32_t member = findInRing(vertices, v, [&](const LoadVertex& m) {
        return group != 0 ? m.normalGroup == group : m.normalGroup == 0 && sameVec(m.normal, normal, 3);
      });
      if (member != kNone) {
        LoadVertex& m = vertices[member];
        if (group != 0) {
          for (int i = 0; i < 3; ++i) m.normal[i] += normal[i];
          if (m.normalCount < 0xFFFF) ++m.normalCount;
        }
        corner = member;
        continue;
      }
      LoadVertex copy = vertices[v];
      std::copy(normal, normal + 3, copy.normal);
      copy.normalCount = 1;
      copy.normalGroup = group;
      corner = appendCopy(vertices, copy);
    }
  }
  for (LoadVertex& v : vertices) {
    if (v.normalCount <= 1) continue;
    Vec3 n(v.normal[0], v.normal[1], v.normal[2]);
    n = normalize(n);
    v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
  }
}

// Normals given per face corner: a vertex is split exactly where its faces disagree, and copies
// are shared among faces that agree.
void assignCornerNormals(std::vector<LoadFace>& faces, std::vector<LoadVertex>& vertices,
                         const std::vector<LoadCorner>& corners) {
  for (const LoadCorner& record : corners) {
    LoadFace& face = faces[record.face];
    if (dropped(face) || !(record.flags & kCornerHasNormal)) continue;
    uint32_t base = vertices[record.vertex].baseVertex;
    int c = 0;
    while (c < 3 && vertices[face.indices[c]].baseVertex != base) ++c;
    if (c == 3) continue;
    uint32_t v = face.indices[c];
    if (!vertices[v].assigned) {
      std::copy(record.normal, record.normal + 3, vertices[v].normal);
      vertices[v].assigned = 1;
      continue;
    }
    if (sameVec(vertices[v].normal, record.normal, 3)) continue;
    LoadVertex candidate = vertices[v];
    std::copy(record.normal, record.normal + 3, candidate.normal);
    uint32_t member = findInRing(vertices, v, [&](const LoadVertex& m) {
      return m.assigned && sameVec(m.color, candidate.color, 4) &&
             sameVec(m.texCoord, candidate.texCoord, 2) && sameVec(m.normal, candidate.normal, 3);
    });
    if (member == kNone) {
      candidate.assigned = 1;
      member = appendCopy(vertices, candidate);
    }
    face.indices[c] = member;
  }
}

void writeVertex(const LoadVertex& v, const FvfLayout& out, const FvfDataRecord* fvfData,
                 const FvfLayout& dataLayout, BYTE* dst) {
  DWORD fvf = out.fvf;
  std::memcpy(dst, v.position, 12);
  if (fvf & D3DFVF_NORMAL) std::memcpy(dst + out.normalOffset, v.normal, 12);
  if (fvf & D3DFVF_DIFFUSE) {
    DWORD color = packColor(v.color);
    std::memcpy(dst + out.diffuseOffset, &color, 4);
  }
  if (out.numTexSets > 0)
    std::memcpy(dst + out.texOffset[0], v.texCoord, std::min<UINT>(8, fvfTexSetSize(fvf, 0)));
  if (!fvfData) return;
  const DWORD* src = fvfData->data.data() + size_t(fvfData->bytesPerVertex / 4) * v.fileIndex;
  for (UINT w = 0; w < dataLayout.numBlendWeights; ++w, ++src)
    if (w < out.numBlendWeights) std::memcpy(dst + 12 + 4 * w, src, 4);
  DWORD dataFvf = fvfData->fvf;
  if (dataFvf & D3DFVF_NORMAL) {
    if (fvf & D3DFVF_NORMAL) std::memcpy(dst + out.normalOffset, src, 12);
    src += 3;
  }
  if (dataFvf & D3DFVF_DIFFUSE) {
    if (fvf & D3DFVF_DIFFUSE) std::memcpy(dst + out.diffuseOffset, src, 4);
    ++src;
  }
  if (dataFvf & D3DFVF_SPECULAR) {
    if (fvf & D3DFVF_SPECULAR) std::memcpy(dst + out.specularOffset, src, 4);
    ++src;
  }
  UINT first = fvfData->skipFirstTexSet ? 1 : 0;
  for (UINT s = 0; s < dataLayout.numTexSets; ++s) {
    UINT size = fvfTexSetSize(dataFvf, s), set = s + first;
    if (set < out.numTexSets)
      std::memcpy(dst + out.texOffset[set], src, std::min(size, fvfTexSetSize(fvf, set)));
    src += size / 4;
  }
}

HRESULT fillMesh(ID3DXMesh* mesh, const std::vector<LoadFace>& faces, const std::vector<LoadVertex>& vertices,
                 const FvfDataRecord* fvfData) {
  FvfLayout out = fvfLayout(mesh->GetFVF());
  FvfLayout dataLayout = fvfData ? fvfLayout(fvfData->fvf) : FvfLayout{};
  BYTE* vb = nullptr;
  HRESULT hr = mesh->LockVertexBuffer(0, &vb);
  if (FAILED(hr)) return hr;
  for (size_t i = 0; i < vertices.size(); ++i)
    writeVertex(vertices[i], out, fvfData, dataLayout, vb + i * out.size);
  BYTE* ib = nullptr;
  DWORD* attributes = nullptr;
  if (SUCCEEDED(hr = mesh->LockIndexBuffer(0, &ib))) {
    if (SUCCEEDED(hr = mesh->LockAttributeBuffer(0, &attributes))) {
      bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
      size_t kept = 0;
      for (const LoadFace& face : faces) {
        if (dropped(face)) continue;
        attributes[kept] = (face.flags & kFaceHasMaterial) ? face.attribId : 0;
        for (int k = 0; k < 3; ++k) {
          if (wide)
            reinterpret_cast<DWORD*>(ib)[3 * kept + k] = face.indices[k];
          else
            reinterpret_cast<WORD*>(ib)[3 * kept + k] = WORD(face.indices[k]);
        }
        ++kept;
      }
      mesh->UnlockAttributeBuffer();
    }
    mesh->UnlockIndexBuffer();
  }
  mesh->UnlockVertexBuffer();
  return hr;
}

}  // namespace

HRESULT BuildMesh(std::vector<LoadFace>& faces, std::vector<LoadVertex>& vertices,
                  const std::vector<LoadCorner>& corners, const FvfDataRecord* fvfData,
                  bool hasDuplicationIndices, const std::vector<DWORD>* fileAdjacency, DWORD options,
                  DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency) {
  if (!ppMesh) return D3DERR_INVALIDCALL;
  *ppMesh = nullptr;
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (!fvfHasPosition(fvf)) return D3DXERR_INVALIDDATA;
  HRESULT hr = checkRecords(faces, vertices, corners, fvfData, fileAdjacency);
  if (FAILED(hr)) return hr;
  try {
    if (fvf & D3DFVF_NORMAL) {
      bool generate = std::any_of(faces.begin(), faces.end(),
                                  [](const LoadFace& f) { return f.flags & kFaceNeedsNormal; });
      if (generate) generateNormals(faces, vertices);
    }
    for (LoadVertex& v : vertices) v.assigned = 0;
    if (fvf & D3DFVF_NORMAL) assignCornerNormals(faces, vertices, corners);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }

  size_t triangles = faces.size();
  if (triangles >= 0xFFFF || vertices.size() >= 0xFFFF) options |= D3DXMESH_32BIT;
  std::vector<DWORD> newIndex;
  try {
    newIndex.assign(triangles, kNone);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  DWORD kept = 0;
  for (size_t t = 0; t < triangles; ++t) {
    LoadFace& face = faces[t];
    if (dropped(face)) continue;
    const uint32_t* i = face.indices;
    if (i[0] == i[1] || i[1] == i[2] || i[2] == i[0]) {
      face.indices[0] = face.indices[1] = face.indices[2] = kNone;
      continue;
    }
    newIndex[t] = kept++;
  }
  if (kept == 0 || vertices.empty()) return D3DXERR_LOADEDMESHASNODATA;

  Ref<ID3DXMesh> mesh;
  if (FAILED(hr = D3DXCreateMeshFVF(kept, DWORD(vertices.size()), options, fvf, device, mesh.put())))
    return hr;
  if (FAILED(hr = fillMesh(mesh.get(), faces, vertices, fvfData))) return hr;

  if (ppAdjacency) {
    Ref<ID3DXBuffer> adjacency;
    if (FAILED(hr = D3DXCreateBuffer(kept * 12, adjacency.put()))) return hr;
    DWORD* out = static_cast<DWORD*>(adjacency->GetBufferPointer());
    if (fileAdjacency) {
      const std::vector<DWORD>& in = *fileAdjacency;
      for (size_t t = 0; t < triangles; ++t) {
        if (newIndex[t] == kNone) continue;
        for (int k = 0; k < 3; ++k) {
          DWORD n = in[3 * t + k];
          out[3 * size_t(newIndex[t]) + k] = n == kNone ? kNone : newIndex[n];
        }
      }
    } else if (hasDuplicationIndices) {
      std::vector<DWORD> reps;
      try {
        reps.resize(vertices.size());
      } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
      }
      for (size_t i = 0; i < vertices.size(); ++i) reps[i] = vertices[i].baseVertex;
      if (FAILED(hr = mesh->ConvertPointRepsToAdjacency(reps.data(), out))) return hr;
    } else if (FAILED(hr = mesh->GenerateAdjacency(0.0f, out))) {
      return hr;
    }
    *ppAdjacency = adjacency.detach();
  }
  *ppMesh = mesh.detach();
  return D3D_OK;
}

}  // namespace zentu
