// ReadMeshObject: one Mesh object of a .x file into the builder's working records and then into a
// mesh. Polygons are triangulated as fans around their first corner; the children add texture
// coordinates, colours, per-corner normals, duplication rings, adjacency, materials and further
// vertex components. Every count is checked against the bytes the reader handed out.
#include <clocale>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/load_x.h"
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

// A data object's member block; every read is bounds-checked.
struct Block {
  const BYTE* bytes = nullptr;
  size_t size = 0;

  bool has(size_t offset, size_t count, size_t width) const {
    size_t n = 0, end = 0;
    return checkedMul(count, width, n) && checkedAdd(offset, n, end) && end <= size;
  }
  DWORD dword(size_t offset) const {
    DWORD v;
    std::memcpy(&v, bytes + offset, 4);
    return v;
  }
  float real(size_t offset) const {
    float v;
    std::memcpy(&v, bytes + offset, 4);
    return v;
  }
};

HRESULT blockOf(IDirectXFileData* object, Block& block) {
  DWORD size = 0;
  void* data = nullptr;
  HRESULT hr = object->GetData(nullptr, &size, &data);
  if (FAILED(hr)) return hr;
  block.bytes = static_cast<const BYTE*>(data);
  block.size = data ? size : 0;
  return D3D_OK;
}

// LC_NUMERIC is "C" while a mesh is read and restored afterwards, whatever the path out.
class NumericLocaleC {
 public:
  NumericLocaleC() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current && std::strcmp(current, "C") != 0) {
      saved_ = current;
      switched_ = std::setlocale(LC_NUMERIC, "C") != nullptr;
    }
  }
  ~NumericLocaleC() {
    if (switched_) std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  NumericLocaleC(const NumericLocaleC&) = delete;
  NumericLocaleC& operator=(const NumericLocaleC&) = delete;

 private:
  std::string saved_;
  bool switched_ = false;
};

// A child of a data object as a data object: directly, or (when `followReferences`) through a
// resolved reference. `skip` is set for a child of another kind when references are not followed.
HRESULT childAsData(IDirectXFileObject* child, bool followReferences, Ref<IDirectXFileData>& out,
                    bool& skip) {
  skip = false;
  HRESULT hr = child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(out.put()));
  if (SUCCEEDED(hr)) return hr;
  if (!followReferences) {
    skip = true;
    return D3D_OK;
  }
  Ref<IDirectXFileDataReference> reference;
  hr = child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(reference.put()));
  if (FAILED(hr)) return hr;
  return reference->Resolve(out.put());
}

// Calls `visit` with each child of `object` taken as data (see childAsData), in file order.
template <class Visit>
HRESULT forEachChild(IDirectXFileData* object, bool followReferences, Visit&& visit) {
  for (;;) {
    Ref<IDirectXFileObject> child;
    HRESULT hr = object->GetNextObject(child.put());
    if (hr == DXFILEERR_NOMOREOBJECTS) return D3D_OK;
    if (FAILED(hr)) return hr;
    Ref<IDirectXFileData> data;
    bool skip = false;
    hr = childAsData(child.get(), followReferences, data, skip);
    if (FAILED(hr)) return hr;
    if (skip) continue;
    hr = visit(data.get());
    if (FAILED(hr)) return hr;
  }
}

// Everything one mesh read gathers before the build.
struct MeshRead {
  DWORD numFileVertices = 0;
  DWORD numFileFaces = 0;
  std::vector<DWORD> faceFirstTriangle;  // per file face, plus the total at the end
  std::vector<DWORD> faceCorners;        // offset of each face's index count in the Mesh block
  std::vector<LoadVertex> vertices;
  std::vector<LoadFace> faces;
  std::vector<LoadCorner> corners;
  FvfDataRecord fvfData;
  std::vector<DWORD> adjacency;
  std::vector<D3DXMATERIAL> materials;
  std::vector<std::string> textureNames;  // one per material
  std::vector<char> hasTextureName;
  bool hasFvfData = false, hasAdjacency = false, hasDuplication = false;
  bool hasNormals = false, hasColors = false, hasTexCoords = false;
};

// The Mesh block: vertices and polygons, triangulated.
HRESULT readGeometry(const Block& b, MeshRead& m) {
  if (!b.has(0, 1, 4)) return E_FAIL;
  DWORD nV = b.dword(0);
  if (nV == 0) return D3DXERR_LOADEDMESHASNODATA;
  size_t at = 0;
  if (!b.has(4, nV, 12) || !checkedAdd(4, size_t(nV) * 12, at) || !b.has(at, 1, 4)) return E_FAIL;
  DWORD nF = b.dword(at);
  if (nF == 0) return D3DXERR_LOADEDMESHASNODATA;
  at += 4;
  if (!b.has(at, nF, 4)) return E_FAIL;

  m.faceFirstTriangle.resize(size_t(nF) + 1);
  m.faceCorners.resize(nF);
  size_t scan = at, triangles = 0;
  for (DWORD f = 0; f < nF; ++f) {
    if (!b.has(scan, 1, 4)) return E_FAIL;
    DWORD n = b.dword(scan);
    if (n < 3 || !b.has(scan + 4, n, 4)) return E_FAIL;
    m.faceCorners[f] = DWORD(scan);
    m.faceFirstTriangle[f] = DWORD(triangles);
    triangles += n - 2;
    scan += 4 + size_t(n) * 4;
  }
  if (scan != b.size || triangles >= kNone) return E_FAIL;
  m.faceFirstTriangle[nF] = DWORD(triangles);
  m.numFileVertices = nV;
  m.numFileFaces = nF;

  m.vertices = makeLoadVertices(nV);
  for (DWORD i = 0; i < nV; ++i) std::memcpy(m.vertices[i].position, b.bytes + 4 + size_t(i) * 12, 12);
  m.faces.resize(triangles);
  for (DWORD f = 0; f < nF; ++f) {
    size_t corners = m.faceCorners[f];
    DWORD n = b.dword(corners);
    DWORD first = b.dword(corners + 4);
    LoadFace* out = &m.faces[m.faceFirstTriangle[f]];
    for (DWORD k = 1; k + 1 < n; ++k, ++out) {
      DWORD second = b.dword(corners + 4 + 4 * size_t(k)), third = b.dword(corners + 8 + 4 * size_t(k));
      if (first >= nV || second >= nV || third >= nV) return E_FAIL;
      out->indices[0] = first, out->indices[1] = second, out->indices[2] = third;
    }
  }
  return D3D_OK;
}

HRESULT readTexCoords(const Block& b, MeshRead& m) {
  if (!b.has(0, 1, 4)) return E_FAIL;
  DWORD n = b.dword(0);
  if (n != m.numFileVertices || !b.has(4, n, 8)) return E_FAIL;
  for (DWORD i = 0; i < n; ++i) std::memcpy(m.vertices[i].texCoord, b.bytes + 4 + size_t(i) * 8, 8);
  m.hasTexCoords = true;
  return D3D_OK;
}

// A colour component as the 8 bits the mesh will hold, kept as a float.
float quantize(float c) {
  if (c >= 1) return 1;
  if (!(c > 0)) return 0;
  return float(int(c * 255 + 0.5f)) / 255;
}

HRESULT readColors(const Block& b, MeshRead& m) {
  if (!b.has(0, 1, 4)) return E_FAIL;
  DWORD n = b.dword(0);
  if (!b.has(4, n, 20)) return E_FAIL;
  for (DWORD i = 0; i < n; ++i) {
    size_t entry = 4 + size_t(i) * 20;
    DWORD index = b.dword(entry);
    if (index >= m.numFileVertices) return E_FAIL;
    for (int c = 0; c < 4; ++c) m.vertices[index].color[c] = quantize(b.real(entry + 4 + 4 * size_t(c)));
  }
  m.hasColors = true;
  return D3D_OK;
}

HRESULT readNormals(const Block& b, const Block& mesh, MeshRead& m) {
  if (!b.has(0, 1, 4)) return E_FAIL;
  DWORD nNormals = b.dword(0);
  size_t at = 0;
  if (!b.has(4, nNormals, 12) || !checkedAdd(4, size_t(nNormals) * 12, at) || !b.has(at, 1, 4)) return E_FAIL;
  const size_t normalsAt = 4;
  if (b.dword(at) != m.numFileFaces) return E_FAIL;
  at += 4;
  std::vector<LoadCorner> corners(size_t(m.faces.size()) * 3);
  LoadCorner* out = corners.data();
  for (DWORD f = 0; f < m.numFileFaces; ++f) {
    if (!b.has(at, 1, 4)) return E_FAIL;
    DWORD n = b.dword(at);
    size_t meshCorners = m.faceCorners[f];
    if (n < 3 || n != mesh.dword(meshCorners) || !b.has(at + 4, n, 4)) return E_FAIL;
    DWORD triangle = m.faceFirstTriangle[f];
    for (DWORD k = 1; k + 1 < n; ++k, ++triangle) {
      const DWORD fan[3] = {0, k, k + 1};
      for (DWORD corner : fan) {
        DWORD normal = b.dword(at + 4 + 4 * size_t(corner));
        if (normal >= nNormals) return E_FAIL;
        out->vertex = mesh.dword(meshCorners + 4 + 4 * size_t(corner));
        out->face = triangle;
        out->flags = kCornerHasNormal;
        std::memcpy(out->normal, b.bytes + normalsAt + size_t(normal) * 12, 12);
        ++out;
      }
    }
    at += 4 + size_t(n) * 4;
  }
  m.corners.swap(corners);
  m.hasNormals = true;
  return D3D_OK;
}

HRESULT readDuplication(const Block& b, MeshRead& m) {
  if (!b.has(0, 2, 4)) return E_FAIL;
  DWORD nIndices = b.dword(0), nOriginal = b.dword(4);
  if (nIndices != m.numFileVertices || nOriginal > nIndices) return D3DERR_INVALIDCALL;
  if (!b.has(8, nIndices, 4)) return E_FAIL;
  std::vector<LoadVertex>& v = m.vertices;
  // A later object replaces the rings of an earlier one.
  for (DWORD i = 0; i < nIndices; ++i) v[i].baseVertex = v[i].next = i;
  for (DWORD i = 0; i < nIndices; ++i) {
    DWORD base = b.dword(8 + 4 * size_t(i));
    if (base >= nIndices) return E_FAIL;
    v[i].baseVertex = base;
    if (base != i) {
      v[i].next = v[base].next;
      v[base].next = i;
    }
  }
  for (DWORD i = 0; i < nIndices; ++i)
    if (v[v[i].baseVertex].baseVertex != v[i].baseVertex) return D3DERR_INVALIDCALL;
  m.hasDuplication = true;
  return D3D_OK;
}

HRESULT readAdjacency(const Block& b, MeshRead& m) {
  if (!b.has(0, 1, 4)) return E_FAIL;
  DWORD n = b.dword(0);
  if (size_t(n) != 3 * m.faces.size()) return D3DERR_INVALIDCALL;
  if (!b.has(4, n, 4)) return E_FAIL;
  m.adjacency.resize(n);
  if (n) std::memcpy(m.adjacency.data(), b.bytes + 4, size_t(n) * 4);
  m.hasAdjacency = true;
  return D3D_OK;
}

HRESULT readFvfData(const Block& b, MeshRead& m) {
  if (!b.has(0, 2, 4)) return E_FAIL;
  DWORD nDWords = b.dword(4);
  if (!b.has(8, nDWords, 4)) return E_FAIL;
  m.fvfData = FvfDataRecord();
  m.fvfData.fvf = b.dword(0);
  m.fvfData.bytesPerVertex = UINT(size_t(nDWords) * 4 / m.numFileVertices);
  m.fvfData.data.resize(nDWords);
  if (nDWords) std::memcpy(m.fvfData.data.data(), b.bytes + 8, size_t(nDWords) * 4);
  m.hasFvfData = true;
  return D3D_OK;
}

constexpr size_t kMaterialBytes = 44;  // ColorRGBA, power, ColorRGB specular, ColorRGB emissive

// One material child: its colours and the name of its texture (a later name replaces an earlier one).
HRESULT readMaterial(IDirectXFileData* object, D3DXMATERIAL& material, std::string& textureName,
                     char& hasTextureName) {
  const GUID* type = nullptr;
  HRESULT hr = object->GetType(&type);
  if (FAILED(hr)) return hr;
  Block b;
  hr = blockOf(object, b);
  if (FAILED(hr)) return hr;
  // A reference may name an object of any type; only a Material can be read as one.
  if (!type || *type != TID_D3DRMMaterial || !b.has(0, kMaterialBytes, 1)) return E_FAIL;
  D3DMATERIAL8& mat = material.MatD3D;
  mat.Diffuse = {b.real(0), b.real(4), b.real(8), b.real(12)};
  mat.Power = b.real(16);
  mat.Specular = {b.real(20), b.real(24), b.real(28), 1};
  mat.Emissive = {b.real(32), b.real(36), b.real(40), 1};
  mat.Ambient = {0, 0, 0, 1};
  return forEachChild(object, true, [&](IDirectXFileData* child) -> HRESULT {
    const GUID* childType = nullptr;
    HRESULT childHr = child->GetType(&childType);
    if (FAILED(childHr)) return childHr;
    if (!childType || *childType != TID_D3DRMTextureFilename) return D3D_OK;
    Block name;
    childHr = blockOf(child, name);
    if (FAILED(childHr)) return childHr;
    if (!name.has(0, 1, sizeof(const char*))) return E_FAIL;
    const char* text = nullptr;
    std::memcpy(&text, name.bytes, sizeof text);
    hasTextureName = text != nullptr;
    textureName = text ? text : "";
    return D3D_OK;
  });
}

HRESULT readMaterialList(IDirectXFileData* object, const Block& b, MeshRead& m) {
  if (!b.has(0, 2, 4)) return E_FAIL;
  DWORD nMaterials = b.dword(0), nFaceIndexes = b.dword(4);
  if (nMaterials == 0) return D3D_OK;
  // More face indexes than faces cannot be meant for this mesh.
  if (nFaceIndexes > m.numFileFaces) return D3DXERR_INVALIDDATA;
  if (!b.has(8, nFaceIndexes, 4)) return E_FAIL;
  for (DWORD f = 0; f < m.numFileFaces; ++f) {
    DWORD material = f < nFaceIndexes ? b.dword(8 + 4 * size_t(f)) : 0;
    if (material >= nMaterials) return E_FAIL;
    for (DWORD t = m.faceFirstTriangle[f]; t < m.faceFirstTriangle[f + 1]; ++t)
      m.faces[t].materialIndex = material;
  }
  // Records grow with the children, so a count the file does not back is never allocated.
  std::vector<D3DXMATERIAL> materials;
  std::vector<std::string> names;
  std::vector<char> hasNames;
  HRESULT hr = forEachChild(object, true, [&](IDirectXFileData* child) -> HRESULT {
    if (materials.size() == nMaterials) return E_FAIL;
    materials.push_back(D3DXMATERIAL());
    names.emplace_back();
    hasNames.push_back(0);
    return readMaterial(child, materials.back(), names.back(), hasNames.back());
  });
  if (FAILED(hr)) return hr;
  if (materials.size() != nMaterials) return E_FAIL;
  m.materials.swap(materials);
  m.textureNames.swap(names);
  m.hasTextureName.swap(hasNames);
  for (LoadFace& face : m.faces) {
    face.attribId = face.materialIndex;
    face.flags |= kFaceHasMaterial;
  }
  return D3D_OK;
}

HRESULT readChild(IDirectXFileData* child, const Block& mesh, MeshRead& m) {
  const GUID* type = nullptr;
  HRESULT hr = child->GetType(&type);
  if (FAILED(hr)) return hr;
  Block b;
  hr = blockOf(child, b);
  if (FAILED(hr)) return hr;
  if (!type) return D3D_OK;
  if (*type == TID_D3DRMMeshTextureCoords) return readTexCoords(b, m);
  if (*type == TID_D3DRMMeshVertexColors) return readColors(b, m);
  if (*type == TID_D3DRMMeshNormals) return readNormals(b, mesh, m);
  if (*type == DXFILEOBJ_VertexDuplicationIndices) return readDuplication(b, m);
  if (*type == DXFILEOBJ_FaceAdjacency) return readAdjacency(b, m);
  if (*type == TID_D3DRMMeshMaterialList) return readMaterialList(child, b, m);
  if (*type == DXFILEOBJ_FVFData) return readFvfData(b, m);
  // Skinning headers and weights and progressive-mesh data matter only to loaders this library
  // does not offer; every other type is ignored too.
  return D3D_OK;
}

HRESULT vertexFormat(const MeshRead& m, DWORD& fvf) {
  fvf = m.hasFvfData ? m.fvfData.fvf : D3DFVF_XYZ;
  if (m.hasNormals) fvf |= D3DFVF_NORMAL;
  if (m.hasColors) fvf |= D3DFVF_DIFFUSE;
  if (m.hasTexCoords) {
    if (((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) >= 8) return D3DERR_INVALIDCALL;
    // The file's coordinates become set 0; the sets of the format (with their sizes) move up one.
    fvf = ((fvf & 0xFFFF0000) << 2) | ((fvf & 0xFFFF) + 0x100);
  }
  return D3D_OK;
}

HRESULT readMesh(IDirectXFileData* object, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** ppAdjacency,
                 ID3DXBuffer** ppMaterials, DWORD* pNumMaterials, ID3DXMesh** ppMesh) {
  Block mesh;
  HRESULT hr = blockOf(object, mesh);
  if (FAILED(hr)) return hr;
  MeshRead m;
  hr = readGeometry(mesh, m);
  if (FAILED(hr)) return hr;
  hr = forEachChild(object, false, [&](IDirectXFileData* child) { return readChild(child, mesh, m); });
  if (FAILED(hr)) return hr;
  if (!m.hasNormals)
    for (LoadFace& face : m.faces) {
      face.flags |= kFaceNeedsNormal;
      face.normalGroup = 1;
    }
  DWORD fvf = 0;
  hr = vertexFormat(m, fvf);
  if (FAILED(hr)) return hr;
  if (m.hasFvfData) m.fvfData.skipFirstTexSet = m.hasTexCoords;

  Ref<ID3DXMesh> built;
  Ref<ID3DXBuffer> adjacency;
  hr = BuildMesh(m.faces, m.vertices, m.corners, m.hasFvfData ? &m.fvfData : nullptr, m.hasDuplication,
                 m.hasAdjacency ? &m.adjacency : nullptr, options, fvf, device, built.put(),
                 ppAdjacency ? adjacency.put() : nullptr);
  if (FAILED(hr)) return hr;

  Ref<ID3DXBuffer> materials;
  if (ppMaterials && !m.materials.empty()) {
    for (size_t i = 0; i < m.materials.size(); ++i)
      m.materials[i].pTextureFilename = m.hasTextureName[i] ? &m.textureNames[i][0] : nullptr;
    hr = MakeMaterialsBuffer(m.materials.data(), DWORD(m.materials.size()), materials.put());
    if (FAILED(hr)) return hr;
  }
  if (ppAdjacency) *ppAdjacency = adjacency.detach();
  if (ppMaterials) *ppMaterials = materials.detach();
  if (pNumMaterials) *pNumMaterials = DWORD(m.materials.size());
  *ppMesh = built.detach();
  return D3D_OK;
}

}  // namespace

HRESULT ReadMeshObject(IDirectXFileData* object, DWORD options, IDirect3DDevice8* device,
                       ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials, DWORD* pNumMaterials,
                       ID3DXMesh** ppMesh) {
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (ppMaterials) *ppMaterials = nullptr;
  if (pNumMaterials) *pNumMaterials = 0;
  if (!ppMesh) return D3DERR_INVALIDCALL;
  *ppMesh = nullptr;
  if (!object) return D3DERR_INVALIDCALL;
  NumericLocaleC locale;
  try {
    return readMesh(object, options, device, ppAdjacency, ppMaterials, pNumMaterials, ppMesh);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace zentu
