// What the files of the mesh module share: the vertex layout record, the face and position views
// the array algorithms work on, and those algorithms (adjacency, point representatives, normals).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "zentu/d3dx_mesh.h"

namespace zentu {

// Three floats: positions and normals as the vertex data holds them.
struct Vec3 {
  Vec3() = default;
  Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  float x = 0, y = 0, z = 0;
};

// Unit length through the library's own normalisation (so results match the math operations);
// the zero vector, and one with no finite length, stays zero.
inline Vec3 normalize(Vec3 v) {
  float length2 = v.x * v.x + v.y * v.y + v.z * v.z;
  if (!(length2 > 0)) return Vec3(0, 0, 0);
  D3DXVECTOR3 n(v.x, v.y, v.z);
  D3DXVec3Normalize(&n, &n);
  return Vec3(n.x, n.y, n.z);
}

constexpr DWORD kNone = 0xFFFFFFFF;  // no face, no vertex, no representative
constexpr WORD kUnused16 = 0xFFFF;   // index of an unused face in a 16-bit mesh
constexpr DWORD kUnused32 = 0xFFFFFFFF;

// Byte offsets of every component of a flexible vertex format. A component that is absent has
// offset 0; in a format without position a component at offset 0 therefore reads as absent.
struct FvfLayout {
  DWORD fvf = 0;
  UINT size = 0;
  UINT normalOffset = 0;
  UINT pointSizeOffset = 0;
  UINT diffuseOffset = 0;
  UINT specularOffset = 0;
  UINT texOffset[8] = {};
  UINT numBlendWeights = 0;  // blend slots, the packed indices of D3DFVF_LASTBETA_UBYTE4 included
  UINT numTexSets = 0;
};

FvfLayout fvfLayout(DWORD fvf);
UINT fvfTexSetSize(DWORD fvf, UINT set);  // 4, 8, 12 or 16 bytes
UINT fvfBlendSlots(DWORD fvf);            // 0 to 5
bool fvfHasPosition(DWORD fvf);           // XYZ or one of the blend forms (not XYZRHW)

// Faces as 32-bit corner triples. Every face whose three indices are not all below the vertex
// count (an unused face, a face partly marked unused, an index past the vertices) is stored as
// three kNone: no algorithm of this module addresses a vertex through it.
struct FaceList {
  std::vector<DWORD> corners;  // 3 per face
  DWORD numFaces = 0;
  DWORD numVertices = 0;

  bool used(DWORD face) const { return corners[3 * face] != kNone; }
  const DWORD* face(DWORD f) const { return &corners[3 * f]; }
};

// Reads `numFaces` faces of 16-bit (`wide` false) or 32-bit indices.
void expandFaces(const void* indices, bool wide, DWORD numFaces, DWORD numVertices, FaceList& out);

// The order in which the adjacency algorithms visit faces: attribute-table order when the mesh has
// a valid table, else index order. Ranges are clipped to the face count.
struct FaceOrder {
  const D3DXATTRIBUTERANGE* table = nullptr;
  DWORD tableSize = 0;

  template <class Visit>
  void forEach(DWORD numFaces, Visit&& visit) const {
    if (!table) {
      for (DWORD f = 0; f < numFaces; ++f) visit(f);
      return;
    }
    for (DWORD r = 0; r < tableSize; ++r) {
      DWORD start = table[r].FaceStart;
      if (start >= numFaces) continue;
      DWORD end = numFaces - start < table[r].FaceCount ? numFaces : start + table[r].FaceCount;
      for (DWORD f = start; f < end; ++f) visit(f);
    }
  }
};

// Vertex positions: the first three floats of each vertex. `stride` is at least 12 (meshes with
// smaller vertices hand in a padded copy, see positionsOf).
struct Positions {
  const BYTE* base = nullptr;
  size_t stride = 12;

  Vec3 at(DWORD i) const {
    Vec3 p;
    std::memcpy(&p, base + stride * i, sizeof p);
    return p;
  }
};

// Copies positions into `scratch` when vertices are smaller than one position (missing floats read 0).
Positions positionsOf(const BYTE* vertices, UINT vertexSize, DWORD numVertices, std::vector<BYTE>& scratch);

// Point representatives from positions: epsilon 0 joins exactly equal positions (hashing), any other
// epsilon joins positions closer than epsilon (a sweep along x). Vertices sharing a face are never joined.
HRESULT pointRepsFromPositions(const FaceList& faces, Positions positions, float epsilon, DWORD* reps);

// Adjacency from point representatives (null: every vertex represents itself). Representatives at
// or past the vertex count are refused with D3DERR_INVALIDCALL.
HRESULT adjacencyFromPointReps(const FaceList& faces, const FaceOrder& order, Positions positions,
                               const DWORD* reps, DWORD* adjacency);

// Point representatives from adjacency by walking the fan of faces around each vertex. Adjacency
// entries naming a face past the count, or an unused face, are taken as no neighbour.
HRESULT pointRepsFromAdjacency(const FaceList& faces, const FaceOrder& order, const DWORD* adjacency,
                               DWORD* reps);

constexpr DWORD kMaxFanWalk = 10000;

// Area-weighted vertex normals: writes a unit normal (or zero) at `normalOffset` of every vertex.
// With `reps`, vertices of one representative share one normal.
void computeVertexNormals(const FaceList& faces, BYTE* vertices, UINT vertexSize, UINT normalOffset,
                          const DWORD* reps);

// One reference held for the life of a scope (or handed on with `detach`).
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }
  void reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  T* detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  T* p_ = nullptr;
};

// Live objects per class of this module, for the tests' leak checks (debug and test builds).
enum class TalliedKind { Mesh, Buffer };
long liveObjects(TalliedKind kind);
void tallyObject(TalliedKind kind, int delta);
template <TalliedKind Kind>
struct ObjectTally {
#if ZENTU_OBJECT_ACCOUNTING
  ObjectTally() {
    tallyObject(Kind, 1);
  }
  ObjectTally(const ObjectTally&) : ObjectTally() {}
  ~ObjectTally() {
    tallyObject(Kind, -1);
  }
#endif
};

// Mesh state bits.
constexpr DWORD MESHSTATE_ATTRIBUTES = 0x04;
constexpr DWORD MESHSTATE_ATTRIBUTE_TABLE = 0x10;
constexpr DWORD MESHSTATE_SHARED_VB = 0x20;
constexpr DWORD MESHSTATE_SOFTWARE_DRAW = 0x40;
constexpr DWORD MESHSTATE_NO_VCACHE = 0x80;

// The vertex-cache answer of the last device queried, kept for the life of the process. The device
// is recognised by its address and its adapter identity, so a new device at a freed one's address
// with other hardware is queried anew.
struct VertexCacheMemo {
  IDirect3DDevice8* device = nullptr;
  DWORD vendorId = 0, deviceId = 0;
  DWORD size = 0, magic = 0;
};
VertexCacheMemo& vertexCacheMemo();

// The mesh object, one implementation for both index widths; Mesh16 and Mesh32 only choose the width.
class Mesh : public ID3DXMesh {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT DrawSubset(DWORD AttribId) override;
  DWORD GetNumFaces() override { return numFaces; }
  DWORD GetNumVertices() override { return numVertices; }
  DWORD GetFVF() override { return fvf; }
  HRESULT GetDeclaration(DWORD Declaration[MAX_FVF_DECL_SIZE]) override;
  DWORD GetOptions() override { return options; }
  HRESULT GetDevice(LPDIRECT3DDEVICE8* ppDevice) override;
  HRESULT CloneMeshFVF(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE8 pDevice, LPD3DXMESH* ppCloneMesh) override;
  HRESULT CloneMesh(DWORD Options, const DWORD* pDeclaration, LPDIRECT3DDEVICE8 pDevice,
                    LPD3DXMESH* ppCloneMesh) override;
  HRESULT GetVertexBuffer(LPDIRECT3DVERTEXBUFFER8* ppVB) override;
  HRESULT GetIndexBuffer(LPDIRECT3DINDEXBUFFER8* ppIB) override;
  HRESULT LockVertexBuffer(DWORD Flags, BYTE** ppData) override;
  HRESULT UnlockVertexBuffer() override;
  HRESULT LockIndexBuffer(DWORD Flags, BYTE** ppData) override;
  HRESULT UnlockIndexBuffer() override;
  HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) override;
  HRESULT ConvertPointRepsToAdjacency(const DWORD* pPRep, DWORD* pAdjacency) override;
  HRESULT ConvertAdjacencyToPointReps(const DWORD* pAdjacency, DWORD* pPRep) override;
  HRESULT GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) override;
  HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) override;
  HRESULT UnlockAttributeBuffer() override;
  HRESULT Optimize(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                   LPD3DXBUFFER* ppVertexRemap, LPD3DXMESH* ppOptMesh) override;
  HRESULT OptimizeInplace(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                          LPD3DXBUFFER* ppVertexRemap) override;
  // Internal consistency: unused faces wholly unused, faces inside their attribute table range.
  // `indices` null: the locked or freshly locked index data.
  virtual bool Validate(const void* indices);

  // Makes room for and sets the counts (buffers never shrink), then asks the device how it can draw
  // the mesh and for its vertex cache.
  HRESULT Resize(DWORD newFaces, DWORD newVertices);

  bool wide() const { return indexSize == 4; }
  UINT attributeTableSize() const { return UINT(attributeTable.size()); }
  bool hasAttributeTable() const { return (state & MESHSTATE_ATTRIBUTE_TABLE) != 0; }
  void dropAttributeTable();
  FaceOrder faceOrder() const;
  // The faces as a FaceList read from `indices` (null: locks the index buffer read-only meanwhile).
  HRESULT readFaces(FaceList& out);
  // Resizes `clone` to this mesh's counts and copies the faces (indices converted to its width,
  // the unused marker kept), the attribute buffer and the attribute table.
  HRESULT copyFacesTo(Mesh& clone);

  const UINT indexSize;  // 2 or 4 bytes
  DWORD fvf;
  DWORD options;
  DWORD state = MESHSTATE_ATTRIBUTES;
  D3DPOOL ibPool = D3DPOOL_DEFAULT;
  D3DPOOL vbPool = D3DPOOL_DEFAULT;
  DWORD ibUsage = 0;
  DWORD vbUsage = 0;
  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  UINT vertexSize;
  DWORD numVertices = 0;
  DWORD vertexCapacity = 0;
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  BYTE* lockedIndices = nullptr;
  std::vector<DWORD> attributeBuffer;
  std::vector<D3DXATTRIBUTERANGE> attributeTable;
  DWORD numFaces = 0;
  DWORD faceCapacity = 0;
  ULONG refCount = 1;
  IUnknown* outer = nullptr;
  DWORD vertexCacheSize = 0;
  DWORD vertexCacheMagic = 0;

 protected:
  Mesh(IDirect3DDevice8* device, DWORD fvf, DWORD options, UINT indexSize);
  virtual ~Mesh();

 private:
  HRESULT queryDevice();
  HRESULT drawSoftware(DWORD attribId);
  [[maybe_unused]] ObjectTally<TalliedKind::Mesh> tally_;
};

class Mesh16 final : public Mesh {
 public:
  Mesh16(IDirect3DDevice8* device, DWORD fvf, DWORD options) : Mesh(device, fvf, options, 2) {}
};

class Mesh32 final : public Mesh {
 public:
  Mesh32(IDirect3DDevice8* device, DWORD fvf, DWORD options) : Mesh(device, fvf, options, 4) {}
};

// Copies and fills that turn one vertex of the source format into one of the destination format,
// planned once. Everything the plan does not write is zero.
class VertexConverter {
 public:
  VertexConverter(DWORD srcFvf, DWORD dstFvf);
  void convert(const BYTE* from, BYTE* to) const;
  UINT srcSize() const { return src_.size; }
  UINT dstSize() const { return dst_.size; }

 private:
  struct Copy {
    UINT src, dst, size;
  };
  void copy(UINT src, UINT dst, UINT size) { copies_.push_back({src, dst, size}); }

  FvfLayout src_, dst_;
  std::vector<Copy> copies_;
  UINT copiedWeights_ = 0;
  bool implicitWeight_ = false;
};

// A Mesh32 with D3DXMESH_32BIT in `options`, else a Mesh16; null when memory runs out.
Mesh* newMesh(IDirect3DDevice8* device, DWORD fvf, DWORD options);

// Our mesh behind an interface pointer, or null for a mesh of another implementation.
Mesh* asMesh(ID3DXBaseMesh* mesh);

// Checked size arithmetic.
inline bool checkedMul(size_t a, size_t b, size_t& out) {
  if (a != 0 && b > SIZE_MAX / a) return false;
  out = a * b;
  return true;
}
inline bool checkedAdd(size_t a, size_t b, size_t& out) {
  if (b > SIZE_MAX - a) return false;
  out = a + b;
  return true;
}

}  // namespace zentu
