// The working records a mesh reader fills for one mesh of a model file, and the operations that turn
// them into meshes: BuildMesh (records to one mesh with adjacency), MergeMeshes (two meshes with their
// materials and adjacency into one), and the materials buffer helpers.
#pragma once

#include <cstdint>
#include <vector>

#include "zentu/d3dx_mesh.h"

namespace zentu {

// One per file vertex; split copies are appended behind the file's vertices.
struct LoadVertex {
  float position[3] = {0, 0, 0};
  float color[4] = {1, 1, 1, 0};
  float texCoord[2] = {0, 0};
  float normal[3] = {0, 0, 0};
  uint32_t baseVertex = 0;  // the vertex this one duplicates (its own index when none)
  uint32_t next = 0;        // next member of the ring of vertices sharing `baseVertex` (itself when alone)
  uint8_t assigned = 0;     // a per-corner normal has been stored
  uint16_t normalGroup = 0;
  uint16_t normalCount = 0;  // normals summed so far (0 = none)
  uint32_t fileIndex = 0;    // index in the file, kept by copies; selects the vertex's FVFData values
};

// Makes `count` records for file vertices 0 .. count-1, each its own ring and base.
std::vector<LoadVertex> makeLoadVertices(uint32_t count);

constexpr uint8_t kFaceHasMaterial = 0x04;
constexpr uint8_t kFaceNeedsNormal = 0x08;
constexpr uint8_t kCornerHasNormal = 0x01;

// One per triangle after triangulation.
struct LoadFace {
  uint32_t indices[3] = {0, 0, 0};  // all three 0xFFFFFFFF: dropped
  uint8_t flags = 0;
  uint32_t materialIndex = 0;
  uint32_t attribId = 0;
  uint16_t normalGroup = 0;
};

// One per triangle corner when the file gives normals per face corner.
struct LoadCorner {
  uint32_t vertex = 0;  // file vertex index
  uint32_t face = 0;    // triangle index
  uint8_t flags = 0;
  float texCoord[2] = {0, 0};
  float normal[3] = {0, 0, 0};
};

// Per-vertex values of further components, from the file's FVFData object.
struct FvfDataRecord {
  DWORD fvf = 0;
  UINT bytesPerVertex = 0;  // data DWORDs × 4 / file vertices (integer division)
  std::vector<DWORD> data;
  bool skipFirstTexSet = false;  // texture set 0 came from the file's texture coordinates
};

// Turns the records into a mesh of `fvf` on `device`. `vertices` grows as vertices are split and
// `faces` is rewritten to the split copies and dropped triangles (degenerate ones); the records stay
// the caller's. `fileAdjacency` (3 entries per triangle) is the file's face adjacency, or null.
// *ppMesh receives a new mesh with one reference for the caller; *ppAdjacency (may be null)
// receives a new buffer of 3 DWORDs per face with one reference.
// Refuses with D3DXERR_INVALIDDATA: an index or ring link past the vertices, a corner naming a
// triangle past the count, FVFData shorter than its vertices need or whose format has no position
// or a point size, a file adjacency not of 3 entries per triangle or naming a triangle past the count.
// No triangle left, or no vertex: D3DXERR_LOADEDMESHASNODATA.
HRESULT BuildMesh(std::vector<LoadFace>& faces, std::vector<LoadVertex>& vertices,
                  const std::vector<LoadCorner>& corners, const FvfDataRecord* fvfData,
                  bool hasDuplicationIndices, const std::vector<DWORD>* fileAdjacency, DWORD options,
                  DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency);

// One mesh holding A's faces and vertices, then B's (B's indices raised by A's vertex count, its
// attributes by A's material count, its adjacency by A's face count). The adjacency pointers may be
// null (no neighbours), and so may the materials buffers (with count 0). The inputs are only read;
// their reference counts are unchanged. *ppMesh receives a new mesh with one reference; when given,
// *ppAdjacency a new buffer, *ppMaterials the merged materials (one new reference; may be null when
// neither input has materials) and *pNumMaterials countA + countB.
// Missing A, B or ppMesh: D3DXERR_INVALIDDATA.
HRESULT MergeMeshes(ID3DXMesh* meshA, const DWORD* adjacencyA, ID3DXBuffer* materialsA, DWORD countA,
                    ID3DXMesh* meshB, const DWORD* adjacencyB, ID3DXBuffer* materialsB, DWORD countB,
                    IDirect3DDevice8* device, ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency,
                    ID3DXBuffer** ppMaterials, DWORD* pNumMaterials);

// The vertex format that holds both: the larger blend-weight count, normal, diffuse and specular
// when either has them, the larger texture-set count with every set two floats.
DWORD CombineFVF(DWORD fvfA, DWORD fvfB);

// A self-contained materials buffer: the records, then their texture names, each record pointing
// at its copy. *ppBuffer receives a new buffer with one reference.
HRESULT MakeMaterialsBuffer(const D3DXMATERIAL* materials, DWORD count, ID3DXBuffer** ppBuffer);

// A's records followed by B's. A null input gives the other with one new reference added (null
// when both are null); otherwise *ppMaterials receives a new buffer with one reference.
// A buffer smaller than its count of records: D3DXERR_INVALIDDATA.
HRESULT MergeMaterials(ID3DXBuffer* materialsA, DWORD countA, ID3DXBuffer* materialsB, DWORD countB,
                       ID3DXBuffer** ppMaterials);

}  // namespace zentu
