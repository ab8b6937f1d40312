// D3DXComputeNormals with and without adjacency.
#include "tests/mesh/mesh_fixture.h"

namespace zentu::test {
namespace {

class Normals : public MeshTest {
 protected:
  static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
  static std::vector<P3> normalsOf(ID3DXMesh* mesh) {
    std::vector<P3> out(mesh->GetNumVertices());
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, &v);
    for (size_t i = 0; i < out.size(); ++i) std::memcpy(&out[i], v + i * 24 + 12, 12);
    mesh->UnlockVertexBuffer();
    return out;
  }
  static void expectNear(const P3& a, const P3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-4f);
    EXPECT_NEAR(a.y, b.y, 1e-4f);
    EXPECT_NEAR(a.z, b.z, 1e-4f);
  }
};

TEST_F(Normals, Table) {
  struct Case {
    const char* name;
    std::vector<P3> positions;
    std::vector<DWORD> faces;
    std::vector<P3> normals;
  };
  const std::vector<Case> cases = {
      {"one triangle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}},
      // Area 1 in z = 0 (normal +z) and area 2 in x = 0 (normal +x) share the edge 0-1.
      {"area weighting",
       {{0, 0, 0}, {0, 2, 0}, {1, 0, 0}, {0, 0, -2}},
       {0, 2, 1, 0, 3, 1},
       {{0.8944f, 0, 0.4472f}, {0.8944f, 0, 0.4472f}, {0, 0, 1}, {1, 0, 0}}},
      {"unused vertex, degenerate and unused faces add nothing",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {7, 7, 7}},
       {0, 1, 2, 0, 0, 1, 0xFFFF, 0xFFFF, 0xFFFF, 0, 1, 30},
       {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ID3DXMesh* mesh = makeMesh(c.positions, c.faces, kFvf);
    ASSERT_EQ(D3DXComputeNormals(mesh, nullptr), D3D_OK);
    std::vector<P3> normals = normalsOf(mesh);
    for (size_t i = 0; i < normals.size(); ++i) expectNear(normals[i], c.normals[i]);
    EXPECT_EQ(refCount(mesh), 1u);
    mesh->Release();
  }
}

TEST_F(Normals, AdjacencyJoinsASplitSeam) {
  // Two faces at a right angle; the seam vertices 1/4 and 2/3 are separate copies.
  std::vector<P3> positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}, {1, 0, 0}, {1, 0, -1}};
  std::vector<DWORD> faces = {0, 1, 2, 3, 4, 5};
  ID3DXMesh* mesh = makeMesh(positions, faces, kFvf);
  ASSERT_EQ(D3DXComputeNormals(mesh, nullptr), D3D_OK);
  std::vector<P3> apart = normalsOf(mesh);
  expectNear(apart[1], {0, 0, 1});
  expectNear(apart[4], {1, 0, 0});
  std::vector<DWORD> adjacency(6);
  ASSERT_EQ(mesh->GenerateAdjacency(0, adjacency.data()), D3D_OK);
  ASSERT_EQ(adjacency[1], 1u);
  ASSERT_EQ(D3DXComputeNormals(mesh, adjacency.data()), D3D_OK);
  std::vector<P3> joined = normalsOf(mesh);
  expectNear(joined[1], {0.7071f, 0, 0.7071f});
  expectNear(joined[4], joined[1]);
  expectNear(joined[3], joined[2]);
  expectNear(joined[0], {0, 0, 1});
  mesh->Release();
}

TEST_F(Normals, Refusals) {
  ID3DXMesh* noNormal = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  EXPECT_EQ(D3DXComputeNormals(noNormal, nullptr), D3DERR_INVALIDCALL);
  noNormal->Release();
  ID3DXMesh* writeOnly = nullptr;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_WRITEONLY, kFvf, device, &writeOnly), D3D_OK);
  EXPECT_EQ(D3DXComputeNormals(writeOnly, nullptr), D3DERR_INVALIDCALL);
  writeOnly->Release();
  EXPECT_EQ(D3DXComputeNormals(nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(Normals, ThirtyTwoBitMesh) {
  ID3DXMesh* mesh = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, kFvf, D3DXMESH_32BIT);
  ASSERT_EQ(D3DXComputeNormals(mesh, nullptr), D3D_OK);
  expectNear(normalsOf(mesh)[2], {0, 0, 1});
  mesh->Release();
}

}  // namespace
}  // namespace zentu::test
