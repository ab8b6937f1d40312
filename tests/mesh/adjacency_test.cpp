// Adjacency and point representatives through the mesh interface.
#include <cmath>

#include "tests/mesh/mesh_fixture.h"

namespace zentu::test {
namespace {

struct AdjacencyCase {
  const char* name;
  std::vector<P3> positions;
  std::vector<DWORD> faces;
  float epsilon;
  std::vector<DWORD> adjacency;
};

class Adjacency : public MeshTest {};

TEST_F(Adjacency, Table) {
  const std::vector<AdjacencyCase> cases = {
      {"shared edge",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
       {0, 1, 2, 2, 1, 3},
       0,
       {N, 1, N, 0, N, N}},
      {"separate vertices welded",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}},
       {0, 1, 2, 3, 4, 5},
       0,
       {N, 1, N, 0, N, N}},
      {"same direction (inconsistent winding)",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
       {0, 1, 2, 1, 2, 3},
       0,
       {N, N, N, N, N, N}},
      {"corners at one position stay apart", {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}}, {0, 1, 2}, 0, {N, N, N}},
      {"epsilon joins close vertices",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.005f, 1, 0}, {1, 0.005f, 0}, {1, 1, 0}},
       {0, 1, 2, 3, 4, 5},
       0.01f,
       {N, 1, N, 0, N, N}},
      {"epsilon leaves far vertices",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.02f, 1, 0}, {1, 0.02f, 0}, {1, 1, 0}},
       {0, 1, 2, 3, 4, 5},
       0.01f,
       {N, N, N, N, N, N}},
      {"epsilon distance must be below epsilon",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 1, 0}, {1.5f, 0, 0}, {1, 1, 0}},
       {0, 1, 2, 3, 4, 5},
       0.5f,
       {N, N, N, N, N, N}},
      {"minus zero welds with zero",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-0.0f, 1, 0}, {1, -0.0f, 0}, {1, 1, 0}},
       {0, 1, 2, 3, 4, 5},
       0,
       {N, 1, N, 0, N, N}},
      {"unused face and index past the vertices are skipped",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
       {0, 1, 2, 0xFFFF, 0xFFFF, 0xFFFF, 2, 1, 3, 2, 1, 40},
       0,
       {N, 2, N, N, N, N, 0, N, N, N, N, N}},
  };
  for (const AdjacencyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ID3DXMesh* mesh = makeMesh(c.positions, c.faces);
    std::vector<DWORD> adjacency(c.faces.size(), 0x12345678);
    EXPECT_EQ(mesh->GenerateAdjacency(c.epsilon, adjacency.data()), D3D_OK);
    EXPECT_EQ(adjacency, c.adjacency);
    EXPECT_EQ(mesh->Release(), 0u);
  }
}

TEST_F(Adjacency, ClosedCubeHasEveryEdgeMatchedBothWays) {
  ID3DXMesh* mesh = makeMesh(cubeCorners(), cubeFaces());
  std::vector<DWORD> adjacency(36);
  ASSERT_EQ(mesh->GenerateAdjacency(0, adjacency.data()), D3D_OK);
  for (DWORD f = 0; f < 12; ++f)
    for (DWORD k = 0; k < 3; ++k) {
      DWORD g = adjacency[3 * f + k];
      ASSERT_LT(g, 12u) << "face " << f << " edge " << k;
      EXPECT_NE(std::count(&adjacency[3 * g], &adjacency[3 * g] + 3, f), 0);
    }
  mesh->Release();
}

TEST_F(Adjacency, MobiusStripLeavesTheFlippedEdgeOpen) {
  // A band of quads closed with a half twist: the edge where the strip meets itself runs the same
  // way in both faces, so it gets no neighbour; every other inner edge pairs.
  std::vector<P3> positions;
  const int segments = 6;
  for (int i = 0; i < segments; ++i)
    positions.push_back({float(i), 0, 0}), positions.push_back({float(i), 1, 0});
  std::vector<DWORD> faces;
  for (int i = 0; i + 1 < segments; ++i) {
    DWORD a = 2 * i, b = 2 * i + 1, c = 2 * i + 2, d = 2 * i + 3;
    faces.insert(faces.end(), {a, c, b, b, c, d});
  }
  DWORD a = 2 * (segments - 1), b = a + 1;
  faces.insert(faces.end(), {a, 1, b, b, 1, 0});  // the twisted closing quad: 0 and 1 swapped
  ID3DXMesh* mesh = makeMesh(positions, faces);
  std::vector<DWORD> adjacency(faces.size());
  ASSERT_EQ(mesh->GenerateAdjacency(0, adjacency.data()), D3D_OK);
  DWORD open = DWORD(std::count(adjacency.begin(), adjacency.end(), N));
  EXPECT_EQ(open, 2u * segments + 2u);  // the two long borders, plus the twisted seam on both sides
  mesh->Release();
}

TEST_F(Adjacency, EdgeSharedByThreeFacesPairsWithTheClosestNormal) {
  // Face 0 in z = 0; faces 1 and 2 cross its edge 1-2 reversed, 1 steep and 2 nearly flat.
  std::vector<P3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}, {1, 1, 0.1f}};
  std::vector<DWORD> faces = {0, 1, 2, 2, 1, 3, 2, 1, 4};
  ID3DXMesh* mesh = makeMesh(positions, faces);
  std::vector<DWORD> adjacency(9);
  ASSERT_EQ(mesh->GenerateAdjacency(0, adjacency.data()), D3D_OK);
  EXPECT_EQ(adjacency[1], 2u);
  EXPECT_EQ(adjacency[6], 0u);
  EXPECT_EQ(adjacency[3], N);
  mesh->Release();
}

TEST_F(Adjacency, PointRepsOfAClosedFanOfSixSeparateTriangles) {
  // Six triangles around the origin, each with its own copy of the centre.
  std::vector<P3> positions;
  std::vector<DWORD> faces;
  for (int i = 0; i < 6; ++i) {
    float a0 = float(i) * 1.0471976f, a1 = float(i + 1) * 1.0471976f;
    DWORD base = DWORD(positions.size());
    positions.push_back({0, 0, 0});
    positions.push_back({std::cos(a0), std::sin(a0), 0});
    positions.push_back({std::cos(a1), std::sin(a1), 0});
    faces.insert(faces.end(), {base, base + 1, base + 2});
  }
  positions[17] = positions[1];  // the last outer corner lands exactly on the first
  ID3DXMesh* mesh = makeMesh(positions, faces);
  std::vector<DWORD> adjacency(18), reps(18);
  ASSERT_EQ(mesh->GenerateAdjacency(1e-4f, adjacency.data()), D3D_OK);
  ASSERT_EQ(mesh->ConvertAdjacencyToPointReps(adjacency.data(), reps.data()), D3D_OK);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(reps[3 * i], 0u) << "centre copy " << i;
  EXPECT_EQ(reps[1], 1u);
  mesh->Release();
}

TEST_F(Adjacency, PointRepsRoundTripAndUnusedVertex) {
  std::vector<P3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {5, 5, 5}};
  ID3DXMesh* mesh = makeMesh(positions, {0, 1, 2, 3, 4, 5});
  std::vector<DWORD> adjacency(6), reps(7), back(6);
  ASSERT_EQ(mesh->GenerateAdjacency(0, adjacency.data()), D3D_OK);
  ASSERT_EQ(mesh->ConvertAdjacencyToPointReps(adjacency.data(), reps.data()), D3D_OK);
  EXPECT_EQ(reps, (std::vector<DWORD>{0, 1, 2, 2, 1, 5, 6}));
  ASSERT_EQ(mesh->ConvertPointRepsToAdjacency(reps.data(), back.data()), D3D_OK);
  EXPECT_EQ(back, adjacency);
  EXPECT_EQ(mesh->ConvertPointRepsToAdjacency(nullptr, back.data()), D3D_OK);
  EXPECT_EQ(back, (std::vector<DWORD>(6, N)));
  mesh->Release();
}

TEST_F(Adjacency, Refusals) {
  ID3DXMesh* mesh = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  std::vector<DWORD> adjacency(3), reps(3);
  EXPECT_EQ(mesh->GenerateAdjacency(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(mesh->ConvertPointRepsToAdjacency(nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(mesh->ConvertAdjacencyToPointReps(nullptr, reps.data()), D3DERR_INVALIDCALL);
  EXPECT_EQ(mesh->ConvertAdjacencyToPointReps(adjacency.data(), nullptr), D3DERR_INVALIDCALL);
  const DWORD badReps[3] = {0, 7, 2};
  EXPECT_EQ(mesh->ConvertPointRepsToAdjacency(badReps, adjacency.data()), D3DERR_INVALIDCALL);
  mesh->Release();
  ID3DXMesh* writeOnly = nullptr;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_IB_WRITEONLY, D3DFVF_XYZ, device, &writeOnly), D3D_OK);
  EXPECT_EQ(writeOnly->GenerateAdjacency(0, adjacency.data()), D3DERR_INVALIDCALL);
  writeOnly->Release();
}

TEST_F(Adjacency, CorruptAdjacencyLoopFailsTheFanWalk) {
  // Faces 1 and 2 lead into each other forever; the walk from face 0 never comes back.
  std::vector<P3> positions(7, P3{0, 0, 0});
  std::vector<DWORD> faces = {0, 1, 2, 0, 3, 4, 0, 5, 6};
  ID3DXMesh* mesh = makeMesh(positions, faces);
  std::vector<DWORD> adjacency = {1, N, N, 0, 2, 2, 1, 1, N};
  std::vector<DWORD> reps(positions.size());
  EXPECT_EQ(mesh->ConvertAdjacencyToPointReps(adjacency.data(), reps.data()), D3DXERR_INVALIDMESH);
  const std::vector<DWORD> pastTheFaces = {7, 90, N, N, N, N, N, N, N};
  EXPECT_EQ(mesh->ConvertAdjacencyToPointReps(pastTheFaces.data(), reps.data()), D3D_OK);
  mesh->Release();
}

}  // namespace
}  // namespace zentu::test
