// Mesh operations on meshes made from arbitrary bytes: indices past the vertices, partly unused
// faces, corrupt adjacency and point representatives, odd formats. Every operation must fail
// cleanly or succeed without touching memory outside the mesh.
//
// Layout of an input: byte 0 options (bit 0 32-bit indices, bit 1 format with normal and texture),
// byte 1 vertex count, byte 2 face count, then floats for positions, then indices, then the rest as
// adjacency / representative / declaration words (zero-padded where the input is short).
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/mesh_internal.h"
#include "tests/mesh/mesh_device.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size, at = 0;
  uint32_t word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w |= uint32_t(at < size ? data[at++] : 0) << (8 * i);
    return w;
  }
  uint8_t byte() { return at < size ? data[at++] : 0; }
};

void exercise(ID3DXMesh* mesh, IDirect3DDevice8* device, Reader& in) {
  DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
  std::vector<DWORD> adjacency(size_t(faces) * 3), reps(vertices);
  mesh->GenerateAdjacency(0.0f, adjacency.data());
  mesh->GenerateAdjacency(float(in.byte()) / 64.0f, adjacency.data());
  mesh->ConvertAdjacencyToPointReps(adjacency.data(), reps.data());
  D3DXComputeNormals(mesh, adjacency.data());
  // Corrupt inputs from the bytes.
  for (DWORD& a : adjacency) a = in.word() % (faces + 2);
  for (DWORD& r : reps) r = in.word() % (vertices + 1);
  mesh->ConvertAdjacencyToPointReps(adjacency.data(), reps.data());
  mesh->ConvertPointRepsToAdjacency(reps.data(), adjacency.data());
  D3DXComputeNormals(mesh, adjacency.data());
  DWORD* attributes = nullptr;
  mesh->LockAttributeBuffer(0, &attributes);
  for (DWORD f = 0; f < faces; ++f) attributes[f] = in.byte() % 3;
  mesh->UnlockAttributeBuffer();
  mesh->DrawSubset(1);
  ID3DXMesh* clone = nullptr;
  if (SUCCEEDED(mesh->CloneMeshFVF(mesh->GetOptions() ^ D3DXMESH_32BIT,
                                   D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX1, device, &clone))) {
    clone->DrawSubset(0);
    ID3DXMesh* merged = nullptr;
    if (SUCCEEDED(zentu::MergeMeshes(mesh, nullptr, nullptr, 0, clone, nullptr, nullptr, 0, device, &merged,
                                     nullptr, nullptr, nullptr)))
      merged->Release();
    clone->Release();
  }
  DWORD tokens[MAX_FVF_DECL_SIZE + 4];
  for (DWORD& t : tokens) t = in.word();
  DWORD fvf = 0;
  D3DXFVFFromDeclarator(tokens, &fvf);
  D3DXDeclaratorFromFVF(tokens[1], tokens);
}

void buildFromRecords(IDirect3DDevice8* device, Reader& in) {
  uint32_t count = in.byte() % 16 + 1, triangles = in.byte() % 16 + 1;
  std::vector<zentu::LoadVertex> vertices = zentu::makeLoadVertices(count);
  for (auto& v : vertices) {
    for (float& p : v.position) p = float(int8_t(in.byte()));
    if (in.byte() & 1) v.baseVertex = in.byte() % (count + 1);
  }
  std::vector<zentu::LoadFace> faces(triangles);
  std::vector<zentu::LoadCorner> corners;
  for (uint32_t t = 0; t < triangles; ++t) {
    for (uint32_t& i : faces[t].indices) i = in.byte() % (count + 1);
    faces[t].flags = in.byte() & 0x0C;
    faces[t].normalGroup = in.byte() % 3;
    faces[t].attribId = in.byte();
    zentu::LoadCorner c;
    c.vertex = in.byte() % (count + 1);
    c.face = t;
    c.flags = 1;
    c.normal[0] = float(int8_t(in.byte()));
    corners.push_back(c);
  }
  zentu::FvfDataRecord data;
  data.fvf = D3DFVF_XYZB1 | D3DFVF_NORMAL | D3DFVF_TEX1;
  data.data.resize(in.byte());
  data.bytesPerVertex = UINT(data.data.size() * 4 / count);
  std::vector<DWORD> fileAdjacency(size_t(triangles) * 3);
  for (DWORD& a : fileAdjacency) a = in.byte() % (triangles + 1);
  uint8_t mode = in.byte();
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  if (SUCCEEDED(zentu::BuildMesh(faces, vertices, corners, (mode & 1) ? &data : nullptr, mode & 2,
                                 (mode & 4) ? &fileAdjacency : nullptr, 0,
                                 D3DFVF_XYZB1 | D3DFVF_NORMAL | D3DFVF_TEX2, device, &mesh, &adjacency))) {
    mesh->Release();
    adjacency->Release();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  uint8_t flags = in.byte();
  DWORD vertices = in.byte() % 64 + 1, faces = in.byte() % 64 + 1;
  DWORD options = D3DXMESH_SYSTEMMEM | ((flags & 1) ? D3DXMESH_32BIT : 0);
  DWORD fvf = (flags & 2) ? D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 : D3DFVF_XYZ | D3DFVF_NORMAL;
  zentu::test::DeviceProfile profile;
  if (flags & 4) profile.maxVertexIndex = 0xFFFF;  // the software draw path
  zentu::test::MeshDevice* device = zentu::test::createMeshDevice(profile);
  ID3DXMesh* mesh = nullptr;
  if (SUCCEEDED(D3DXCreateMeshFVF(faces, vertices, options, fvf, device, &mesh))) {
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(0, &v);
    UINT stride = D3DXGetFVFVertexSize(fvf);
    for (DWORD i = 0; i < vertices; ++i)
      for (int k = 0; k < 3; ++k) {
        float p = float(int8_t(in.byte())) / 4.0f;
        std::memcpy(v + size_t(i) * stride + 4 * k, &p, 4);
      }
    mesh->UnlockVertexBuffer();
    BYTE* ib = nullptr;
    mesh->LockIndexBuffer(0, &ib);
    for (DWORD i = 0; i < faces * 3; ++i) {
      uint8_t b = in.byte();
      DWORD index = b == 0xFF ? 0xFFFFFFFF : b % (vertices + 4);  // some past the vertices, some unused
      if (options & D3DXMESH_32BIT)
        reinterpret_cast<DWORD*>(ib)[i] = index;
      else
        reinterpret_cast<WORD*>(ib)[i] = WORD(index);
    }
    mesh->UnlockIndexBuffer();
    exercise(mesh, device, in);
    mesh->Release();
  }
  buildFromRecords(device, in);
  device->Release();
  return 0;
}
