/* Mesh objects, buffers, vertex formats and declarations, adjacency, cloning, normals and loading .x models.
 */
#ifndef ZENTU_D3DX_MESH_H
#define ZENTU_D3DX_MESH_H

#include "zentu/d3d8.h"
#include "zentu/d3dx_core.h"
#include "zentu/d3dx_math.h"

/* Mesh creation options. */
#define D3DXMESH_32BIT 0x001
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_NPATCHES 0x4000
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000
#define D3DXMESH_VB_SHARE 0x1000
#define D3DXMESH_USEHWONLY 0x2000
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_WRITEONLY 0x440
#define D3DXMESH_DYNAMIC 0x880
#define D3DXMESH_SOFTWAREPROCESSING 0x18000

/* Optimisation flags. */
#define D3DXMESHOPT_COMPACT 0x01000000
#define D3DXMESHOPT_ATTRSORT 0x02000000
#define D3DXMESHOPT_VERTEXCACHE 0x04000000
#define D3DXMESHOPT_STRIPREORDER 0x08000000
#define D3DXMESHOPT_IGNOREVERTS 0x10000000

/* Tokens a vertex declaration may hold (stream, registers, end). */
#define MAX_FVF_DECL_SIZE 20

/* One subset of a mesh sorted by attribute: its faces and the vertices they use. */
typedef struct _D3DXATTRIBUTERANGE {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
} D3DXATTRIBUTERANGE;
typedef D3DXATTRIBUTERANGE* LPD3DXATTRIBUTERANGE;

/* A material with the file name of its texture (null for none). */
typedef struct _D3DXMATERIAL {
  D3DMATERIAL8 MatD3D;
  LPSTR pTextureFilename;
} D3DXMATERIAL;
typedef D3DXMATERIAL* LPD3DXMATERIAL;

#ifdef __cplusplus /* the interfaces are C++ classes */

/* {932E6A7E-C68E-45DD-A7BF-53D19C86DB1F} */
inline constexpr GUID IID_ID3DXBuffer = {
    0x932E6A7E, 0xC68E, 0x45DD, {0xA7, 0xBF, 0x53, 0xD1, 0x9C, 0x86, 0xDB, 0x1F}};
/* {2A835771-BF4D-43F4-8E14-82A809F17D8A} */
inline constexpr GUID IID_ID3DXBaseMesh = {
    0x2A835771, 0xBF4D, 0x43F4, {0x8E, 0x14, 0x82, 0xA8, 0x09, 0xF1, 0x7D, 0x8A}};
/* {CCAE5C3B-4DD1-4D0F-997E-4684CA64557F} */
inline constexpr GUID IID_ID3DXMesh = {
    0xCCAE5C3B, 0x4DD1, 0x4D0F, {0x99, 0x7E, 0x46, 0x84, 0xCA, 0x64, 0x55, 0x7F}};

/* A reference-counted block of bytes; freed with its last reference. */
struct ID3DXBuffer : public IUnknown {
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

struct ID3DXMesh;
typedef ID3DXMesh* LPD3DXMESH;

/* Indexed triangle geometry: a vertex buffer, an index buffer (16-bit, or 32-bit with
 * D3DXMESH_32BIT) and one attribute id per face. Adjacency arrays hold three face indices per face
 * (0xFFFFFFFF for none), edge k running from corner k to corner k + 1; point representatives one
 * vertex index per vertex. */
struct ID3DXBaseMesh : public IUnknown {
  /* Draws the faces whose attribute id is AttribId; leaves the mesh's format, vertex buffer and
   * index buffer set on the device. */
  virtual HRESULT DrawSubset(DWORD AttribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual HRESULT GetDeclaration(DWORD Declaration[MAX_FVF_DECL_SIZE]) = 0;
  virtual DWORD GetOptions() = 0;
  virtual HRESULT GetDevice(LPDIRECT3DDEVICE8* ppDevice) = 0;  // caller owns one reference
  /* *ppCloneMesh receives a new mesh with one reference for the caller; pDevice gets the clone's
   * own reference; this mesh's count is unchanged (with D3DXMESH_VB_SHARE both hold the vertex
   * buffer). */
  virtual HRESULT CloneMeshFVF(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE8 pDevice,
                               LPD3DXMESH* ppCloneMesh) = 0;
  /* As CloneMeshFVF with the format of a declaration (null: this mesh's format). */
  virtual HRESULT CloneMesh(DWORD Options, const DWORD* pDeclaration, LPDIRECT3DDEVICE8 pDevice,
                            LPD3DXMESH* ppCloneMesh) = 0;
  virtual HRESULT GetVertexBuffer(LPDIRECT3DVERTEXBUFFER8* ppVB) = 0;  // caller owns one reference
  virtual HRESULT GetIndexBuffer(LPDIRECT3DINDEXBUFFER8* ppIB) = 0;    // caller owns one reference
  virtual HRESULT LockVertexBuffer(DWORD Flags, BYTE** ppData) = 0;
  virtual HRESULT UnlockVertexBuffer() = 0;
  virtual HRESULT LockIndexBuffer(DWORD Flags, BYTE** ppData) = 0;
  virtual HRESULT UnlockIndexBuffer() = 0;
  /* Copies the attribute table into pAttribTable and its size into *pAttribTableSize (each may be null). */
  virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) = 0;
  /* pPRep: one entry per vertex, or null (every vertex its own); pAdjacency: 3 per face. */
  virtual HRESULT ConvertPointRepsToAdjacency(const DWORD* pPRep, DWORD* pAdjacency) = 0;
  virtual HRESULT ConvertAdjacencyToPointReps(const DWORD* pAdjacency, DWORD* pPRep) = 0;
  /* Vertices closer than Epsilon (0: at exactly one position) count as one point. */
  virtual HRESULT GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) = 0;
};
typedef ID3DXBaseMesh* LPD3DXBASEMESH;

struct ID3DXMesh : public ID3DXBaseMesh {
  /* One attribute id per face. A writable lock discards the attribute table. */
  virtual HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) = 0;
  virtual HRESULT UnlockAttributeBuffer() = 0;
  /* *ppOptMesh receives a new mesh with one reference; *ppVertexRemap (may be null) a new buffer
   * with one reference. */
  virtual HRESULT Optimize(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                           LPD3DXBUFFER* ppVertexRemap, LPD3DXMESH* ppOptMesh) = 0;
  /* *ppVertexRemap (may be null) receives a new buffer with one reference. */
  virtual HRESULT OptimizeInplace(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                                  DWORD* pFaceRemap, LPD3DXBUFFER* ppVertexRemap) = 0;
};

/* A mesh of NumFaces faces and NumVertices vertices of format FVF on pDevice, its buffers zeroed.
 * Without D3DXMESH_32BIT each count must be below 65 535. *ppMesh receives the caller's one
 * reference; the mesh keeps its own reference to pDevice. */
HRESULT D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF,
                          LPDIRECT3DDEVICE8 pDevice, LPD3DXMESH* ppMesh);

/* A buffer of NumBytes uninitialised bytes; *ppBuffer receives the caller's one reference. */
HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

/* Bytes per vertex of a flexible vertex format. */
UINT D3DXGetFVFVertexSize(DWORD FVF);

/* The stream-0 vertex declaration of a format, and the format of such a declaration. */
HRESULT D3DXDeclaratorFromFVF(DWORD FVF, DWORD Declaration[MAX_FVF_DECL_SIZE]);
HRESULT D3DXFVFFromDeclarator(const DWORD* pDeclarator, DWORD* pFVF);

/* Replaces the mesh's vertex normals by area-weighted face normals; with pAdjacency (3 entries per
 * face) vertices at one point of a smooth surface share one normal. Faces with an index past the
 * vertices are skipped. The mesh is only used during the call; its count is unchanged. */
HRESULT D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* pAdjacency);

typedef DWORD* PDWORD;

/* Loads a .x model file (text, binary or compressed) into one mesh: every Mesh object of the file,
 * moved by the frame transforms above it, merged in file order, with its materials and adjacency.
 * pFilename is handed to the file reader as it is; texture file names come back as written in the
 * file. *ppMesh receives a new mesh with one reference for the caller, *ppAdjacency (may be null) a
 * new buffer of 3 DWORDs per face, *ppMaterials (may be null) a new buffer of *pNumMaterials
 * D3DXMATERIAL records followed by their names (one default material when the file has none); each
 * with one reference for the caller. On failure nothing is handed out. pDevice gets the mesh's own
 * reference. */
HRESULT D3DXLoadMeshFromX(LPSTR pFilename, DWORD Options, LPDIRECT3DDEVICE8 pDevice,
                          LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials, PDWORD pNumMaterials,
                          LPD3DXMESH* ppMesh);

/* As D3DXLoadMeshFromX from SizeOfMemory bytes at Memory, which are only read during the call. */
HRESULT D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                  LPDIRECT3DDEVICE8 pDevice, LPD3DXBUFFER* ppAdjacency,
                                  LPD3DXBUFFER* ppMaterials, PDWORD pNumMaterials, LPD3DXMESH* ppMesh);

#endif /* __cplusplus */

#endif /* ZENTU_D3DX_MESH_H */
