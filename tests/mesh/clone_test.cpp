// Cloning between vertex formats, index widths and with a shared vertex buffer.
#include "tests/mesh/mesh_fixture.h"

namespace zentu::test {
namespace {

class Clone : public MeshTest {
 protected:
  // One vertex of `fvf` filled with the bytes 1, 2, 3, ... (floats where the test reads floats).
  ID3DXMesh* oneTriangle(DWORD fvf, const std::vector<float>& vertex, DWORD options = D3DXMESH_SYSTEMMEM) {
    ID3DXMesh* mesh = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, fvf, options);
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(0, &v);
    std::memcpy(v, vertex.data(), vertex.size() * 4);
    mesh->UnlockVertexBuffer();
    return mesh;
  }
  static std::vector<float> firstVertex(ID3DXMesh* mesh) {
    std::vector<float> out(D3DXGetFVFVertexSize(mesh->GetFVF()) / 4);
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, &v);
    std::memcpy(out.data(), v, out.size() * 4);
    mesh->UnlockVertexBuffer();
    return out;
  }
};

float bitsAsFloat(DWORD bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

TEST_F(Clone, ConvertsComponents) {
  const float kIndices = bitsAsFloat(0x04030201);  // packed blend indices
  struct Case {
    const char* name;
    DWORD from;
    std::vector<float> vertex;
    DWORD to;
    std::vector<float> expected;
  };
  const std::vector<Case> cases = {
      {"normal kept, diffuse and texture zero",
       D3DFVF_XYZ | D3DFVF_NORMAL,
       {1, 2, 3, 4, 5, 6},
       D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1,
       {1, 2, 3, 4, 5, 6, 0, 0, 0}},
      {"two floats into three",
       D3DFVF_XYZ | D3DFVF_TEX1,
       {1, 2, 3, 7, 8},
       D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0),
       {1, 2, 3, 7, 8, 0}},
      {"three floats into two",
       D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0),
       {1, 2, 3, 7, 8, 9},
       D3DFVF_XYZ | D3DFVF_TEX1,
       {1, 2, 3, 7, 8}},
      {"specular dropped, second set zero",
       D3DFVF_XYZ | D3DFVF_SPECULAR | D3DFVF_TEX1,
       {1, 2, 3, 5, 7, 8},
       D3DFVF_XYZ | D3DFVF_TEX2,
       {1, 2, 3, 7, 8, 0, 0}},
      {"weights cut", D3DFVF_XYZB3, {1, 2, 3, 0.5f, 0.25f, 0.125f}, D3DFVF_XYZB1, {1, 2, 3, 0.5f}},
      {"implicit last weight",
       D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4,
       {1, 2, 3, 0.5f, 0.25f, kIndices},
       D3DFVF_XYZB4,
       {1, 2, 3, 0.5f, 0.25f, 0.25f, 0}},
      {"packed indices carried",
       D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4,
       {1, 2, 3, 0.75f, kIndices},
       D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4,
       {1, 2, 3, 0.75f, 0.25f, kIndices}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ID3DXMesh* source = oneTriangle(c.from, c.vertex);
    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(source->CloneMeshFVF(D3DXMESH_SYSTEMMEM, c.to, device, &clone), D3D_OK);
    EXPECT_EQ(clone->GetFVF(), c.to);
    std::vector<float> got = firstVertex(clone);
    ASSERT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_EQ(std::memcmp(&got[i], &c.expected[i], 4), 0) << "float " << i;
    EXPECT_EQ(refCount(source), 1u);
    EXPECT_EQ(refCount(clone), 1u);
    clone->Release();
    source->Release();
  }
}

TEST_F(Clone, IndexWidthsKeepTheUnusedMarker) {
  ID3DXMesh* narrow = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0xFFFF, 0xFFFF, 0xFFFF});
  setAttributes(narrow, {3, 5});
  ID3DXMesh* wide = nullptr;
  ASSERT_EQ(narrow->CloneMeshFVF(D3DXMESH_32BIT, D3DFVF_XYZ, device, &wide), D3D_OK);
  EXPECT_EQ(readIndices(wide), (std::vector<DWORD>{0, 1, 2, N, N, N}));
  EXPECT_EQ(readAttributes(wide), (std::vector<DWORD>{3, 5}));
  ID3DXMesh* back = nullptr;
  ASSERT_EQ(wide->CloneMeshFVF(0, D3DFVF_XYZ, device, &back), D3D_OK);
  EXPECT_EQ(readIndices(back), (std::vector<DWORD>{0, 1, 2, 0xFFFF, 0xFFFF, 0xFFFF}));
  back->Release();
  wide->Release();
  narrow->Release();
}

TEST_F(Clone, AttributeTableIsKept) {
  ID3DXMesh* source = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0, 1, 2});
  setAttributes(source, {0, 1});
  Mesh* m = asMesh(source);
  m->attributeTable = {{0, 0, 1, 0, 3}, {1, 1, 1, 0, 3}};
  m->state |= MESHSTATE_ATTRIBUTE_TABLE;
  ID3DXMesh* clone = nullptr;
  ASSERT_EQ(source->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, device, &clone), D3D_OK);
  DWORD size = 0;
  clone->GetAttributeTable(nullptr, &size);
  EXPECT_EQ(size, 2u);
  device->trace.clear();
  clone->DrawSubset(1);
  EXPECT_EQ(device->draws(),
            (std::vector<DeviceCall>{{"DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 3, 3, 1}}}));
  clone->Release();
  source->Release();
}

TEST_F(Clone, SharedVertexBuffer) {
  ID3DXMesh* source = oneTriangle(D3DFVF_XYZ, {1, 2, 3});
  ID3DXMesh* shared = nullptr;
  EXPECT_EQ(source->CloneMeshFVF(D3DXMESH_VB_SHARE, D3DFVF_XYZ | D3DFVF_NORMAL, device, &shared),
            D3DERR_INVALIDCALL);
  MeshDevice* other = createMeshDevice();
  EXPECT_EQ(source->CloneMeshFVF(D3DXMESH_VB_SHARE, D3DFVF_XYZ, other, &shared), D3DERR_INVALIDCALL);
  other->Release();
  ASSERT_EQ(source->CloneMeshFVF(D3DXMESH_VB_SHARE, D3DFVF_XYZ, device, &shared), D3D_OK);
  IDirect3DVertexBuffer8 *a = nullptr, *b = nullptr;
  source->GetVertexBuffer(&a);
  shared->GetVertexBuffer(&b);
  EXPECT_EQ(a, b);
  EXPECT_EQ(refCount(a), 4u);  // both meshes and the two just handed out
  a->Release();
  b->Release();
  EXPECT_TRUE(asMesh(source)->state & MESHSTATE_SHARED_VB);
  EXPECT_TRUE(asMesh(shared)->state & MESHSTATE_SHARED_VB);
  shared->Release();
  source->Release();
}

TEST_F(Clone, Refusals) {
  ID3DXMesh* source = oneTriangle(D3DFVF_XYZ, {1, 2, 3});
  ID3DXMesh* clone = nullptr;
  EXPECT_EQ(source->CloneMeshFVF(0, D3DFVF_XYZRHW, device, &clone), D3DERR_INVALIDCALL);
  EXPECT_EQ(source->CloneMeshFVF(0, 0, device, &clone), D3DERR_INVALIDCALL);
  EXPECT_EQ(source->CloneMeshFVF(D3DXMESH_USEHWONLY, D3DFVF_XYZ, device, &clone), D3DERR_INVALIDCALL);
  EXPECT_EQ(source->CloneMeshFVF(0, D3DFVF_XYZ, nullptr, &clone), D3DERR_INVALIDCALL);
  EXPECT_EQ(source->CloneMeshFVF(0, D3DFVF_XYZ, device, nullptr), D3DERR_INVALIDCALL);
  const DWORD badDecl[] = {0x20000000, 0x12345678};
  EXPECT_EQ(source->CloneMesh(0, badDecl, device, &clone), D3DERR_INVALIDCALL);
  const DWORD decl[] = {0x20000000, 0x40020000, 0x40040005, 0xFFFFFFFF};
  ASSERT_EQ(source->CloneMesh(0, decl, device, &clone), D3D_OK);
  EXPECT_EQ(clone->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  clone->Release();
  source->Release();
  ID3DXMesh* writeOnly = nullptr;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_VB_WRITEONLY, D3DFVF_XYZ, device, &writeOnly), D3D_OK);
  EXPECT_EQ(writeOnly->CloneMeshFVF(0, D3DFVF_XYZ, device, &clone), D3DERR_INVALIDCALL);
  writeOnly->Release();
  ID3DXMesh* big = nullptr;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 70000, D3DXMESH_32BIT, D3DFVF_XYZ, device, &big), D3D_OK);
  EXPECT_EQ(big->CloneMeshFVF(0, D3DFVF_XYZ, device, &clone), D3DERR_INVALIDCALL);
  big->Release();
}

}  // namespace
}  // namespace zentu::test
