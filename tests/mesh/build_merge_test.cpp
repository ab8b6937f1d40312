// Building meshes from the loader's working records, merging meshes, and materials buffers.
#include "d3dx/mesh/build_mesh.h"
#include "tests/mesh/mesh_fixture.h"

namespace zentu::test {
namespace {

class Build : public MeshTest {
 protected:
  static std::vector<LoadVertex> vertices(const std::vector<P3>& positions) {
    std::vector<LoadVertex> v = makeLoadVertices(uint32_t(positions.size()));
    for (size_t i = 0; i < positions.size(); ++i) std::memcpy(v[i].position, &positions[i], 12);
    return v;
  }
  static std::vector<LoadFace> faces(const std::vector<DWORD>& indices) {
    std::vector<LoadFace> f(indices.size() / 3);
    for (size_t i = 0; i < f.size(); ++i) std::copy(&indices[3 * i], &indices[3 * i] + 3, f[i].indices);
    return f;
  }
  // One corner record per triangle corner, each corner taking its triangle's normal.
  static std::vector<LoadCorner> flatCorners(const std::vector<LoadFace>& f, const std::vector<P3>& normals) {
    std::vector<LoadCorner> corners;
    for (uint32_t t = 0; t < f.size(); ++t)
      for (int k = 0; k < 3; ++k) {
        LoadCorner c;
        c.vertex = f[t].indices[k];
        c.face = t;
        c.flags = kCornerHasNormal;
        std::memcpy(c.normal, &normals[t], 12);
        corners.push_back(c);
      }
    return corners;
  }
};

TEST_F(Build, CubeWithFaceNormalsSplitsEveryCornerThreeWays) {
  std::vector<LoadVertex> v = vertices(cubeCorners());
  std::vector<LoadFace> f = faces(cubeFaces());
  std::vector<P3> normals;
  for (P3 n : {P3{0, 0, -1}, P3{0, 0, 1}, P3{0, -1, 0}, P3{1, 0, 0}, P3{0, 1, 0}, P3{-1, 0, 0}})
    normals.insert(normals.end(), {n, n});
  std::vector<LoadCorner> corners = flatCorners(f, normals);
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ASSERT_EQ(BuildMesh(f, v, corners, nullptr, false, nullptr, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_NORMAL,
                      device, &mesh, &adjacency),
            D3D_OK);
  EXPECT_EQ(mesh->GetNumVertices(), 24u);
  EXPECT_EQ(mesh->GetNumFaces(), 12u);
  EXPECT_EQ(v.size(), 24u);
  // The split copies still meet along the edges: positions weld the closed cube.
  const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(std::count(adj, adj + 36, N), 0);
  // Every corner's normal is its face's.
  std::vector<DWORD> indices = readIndices(mesh);
  BYTE* vb = nullptr;
  mesh->LockVertexBuffer(D3DLOCK_READONLY, &vb);
  for (size_t c = 0; c < 36; ++c) EXPECT_EQ(std::memcmp(vb + indices[c] * 24 + 12, &normals[c / 3], 12), 0);
  mesh->UnlockVertexBuffer();
  EXPECT_EQ(refCount(mesh), 1u);
  EXPECT_EQ(refCount(adjacency), 1u);
  adjacency->Release();
  mesh->Release();
}

TEST_F(Build, AgreeingCornersShareOneCopy) {
  std::vector<LoadVertex> v = vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}});
  std::vector<LoadFace> f = faces({0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1});
  std::vector<LoadCorner> corners = flatCorners(f, {{0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}});
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(BuildMesh(f, v, corners, nullptr, false, nullptr, 0, D3DFVF_XYZ | D3DFVF_NORMAL, device, &mesh,
                      nullptr),
            D3D_OK);
  // The first two faces agree on vertex 0 and share it; the last two agree on another normal and
  // share one copy (5); vertices 3 and 1 each get one copy where the faces disagree.
  EXPECT_EQ(mesh->GetNumVertices(), 8u);
  EXPECT_EQ(readIndices(mesh), (std::vector<DWORD>{0, 1, 2, 0, 2, 3, 5, 6, 4, 5, 4, 7}));
  mesh->Release();
}

TEST_F(Build, GeneratedNormalsColoursDegenerateAndMaterials) {
  std::vector<LoadVertex> v =
      vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 5, 5}, {6, 5, 5}, {7, 5, 5}});
  const float colour[4] = {128 / 255.0f, 64 / 255.0f, 1.0f, 0.0f};
  std::copy(colour, colour + 4, v[0].color);
  std::vector<LoadFace> f = faces({0, 1, 2, 0, 3, 1, 5, 5, 6});
  for (LoadFace& face : f) face.flags = kFaceNeedsNormal, face.normalGroup = 1;
  f[1].flags |= kFaceHasMaterial;
  f[1].attribId = 3;
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ASSERT_EQ(BuildMesh(f, v, {}, nullptr, false, nullptr, 0, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE,
                      device, &mesh, &adjacency),
            D3D_OK);
  EXPECT_EQ(mesh->GetNumFaces(), 2u);  // the triangle 5 5 6 is dropped
  EXPECT_EQ(adjacency->GetBufferSize(), 24u);
  EXPECT_EQ(readAttributes(mesh), (std::vector<DWORD>{0, 3}));
  BYTE* vb = nullptr;
  mesh->LockVertexBuffer(D3DLOCK_READONLY, &vb);
  P3 n0, n2;
  DWORD packed;
  std::memcpy(&n0, vb + 12, 12);
  std::memcpy(&packed, vb + 24, 4);
  std::memcpy(&n2, vb + 2 * 28 + 12, 12);
  mesh->UnlockVertexBuffer();
  EXPECT_EQ(packed, 0x008040FFu);
  // Vertex 0 sums the unit normals +z and +y; vertex 2 has only +z.
  EXPECT_NEAR(n0.y, 0.7071f, 1e-4f);
  EXPECT_NEAR(n0.z, 0.7071f, 1e-4f);
  EXPECT_NEAR(n2.z, 1.0f, 1e-4f);
  adjacency->Release();
  mesh->Release();
}

TEST_F(Build, FvfDataValuesAndFileAdjacency) {
  std::vector<LoadVertex> v = vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
  std::vector<LoadFace> f = faces({0, 1, 2, 1, 1, 3, 2, 1, 3});
  FvfDataRecord data;
  data.fvf = D3DFVF_XYZ | D3DFVF_SPECULAR | D3DFVF_TEX1;  // 3 DWORDs per vertex
  for (DWORD i = 0; i < 4; ++i) data.data.insert(data.data.end(), {0xAA000000 + i, 0x3F800000, 0x40000000});
  data.bytesPerVertex = 12;
  data.skipFirstTexSet = true;
  std::vector<DWORD> fileAdjacency = {N, 2, N, N, N, N, 0, N, N};
  DWORD fvf = D3DFVF_XYZ | D3DFVF_SPECULAR | D3DFVF_TEX2;
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ASSERT_EQ(BuildMesh(f, v, {}, &data, false, &fileAdjacency, 0, fvf, device, &mesh, &adjacency), D3D_OK);
  const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(std::vector<DWORD>(adj, adj + 6), (std::vector<DWORD>{N, 1, N, 0, N, N}));
  BYTE* vb = nullptr;
  mesh->LockVertexBuffer(D3DLOCK_READONLY, &vb);
  DWORD vertex3[8];
  std::memcpy(vertex3, vb + 3 * 32, 32);
  mesh->UnlockVertexBuffer();
  EXPECT_EQ(vertex3[3], 0xAA000003u);  // specular
  EXPECT_EQ(vertex3[4], 0u);           // set 0: the file's (zero) coordinates
  EXPECT_EQ(std::vector<DWORD>(vertex3 + 6, vertex3 + 8), (std::vector<DWORD>{0x3F800000, 0x40000000}));
  adjacency->Release();
  mesh->Release();
}

TEST_F(Build, RefusedRecords) {
  struct Case {
    const char* name;
    std::vector<DWORD> indices;
    DWORD dataFvf;
    size_t dataDwords;
    std::vector<DWORD> fileAdjacency;
    HRESULT result;
  };
  const std::vector<Case> cases = {
      {"index past the vertices", {0, 1, 9}, 0, 0, {}, D3DXERR_INVALIDDATA},
      {"short FVFData", {0, 1, 2}, D3DFVF_XYZ | D3DFVF_NORMAL, 8, {}, D3DXERR_INVALIDDATA},
      {"FVFData without position", {0, 1, 2}, D3DFVF_NORMAL, 9, {}, D3DXERR_INVALIDDATA},
      {"FVFData with point size", {0, 1, 2}, D3DFVF_XYZ | D3DFVF_PSIZE, 3, {}, D3DXERR_INVALIDDATA},
      {"adjacency names a triangle past the count", {0, 1, 2}, 0, 0, {N, 1, N}, D3DXERR_INVALIDDATA},
      {"adjacency of the wrong length", {0, 1, 2}, 0, 0, {N, N}, D3DXERR_INVALIDDATA},
      {"only degenerate triangles", {0, 0, 1}, 0, 0, {}, D3DXERR_LOADEDMESHASNODATA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<LoadVertex> v = vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    std::vector<LoadFace> f = faces(c.indices);
    FvfDataRecord data;
    data.fvf = c.dataFvf;
    data.data.assign(c.dataDwords, 0);
    data.bytesPerVertex = UINT(c.dataDwords * 4 / 3);
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    EXPECT_EQ(BuildMesh(f, v, {}, c.dataFvf ? &data : nullptr, false,
                        c.fileAdjacency.empty() ? nullptr : &c.fileAdjacency, 0, D3DFVF_XYZ, device, &mesh,
                        nullptr),
              c.result);
    EXPECT_EQ(mesh, nullptr);
  }
}

TEST_F(Build, DuplicationIndicesGiveTheAdjacency) {
  // Vertices 3 and 4 duplicate 2 and 1 by the file's rings, wherever they lie.
  std::vector<LoadVertex> v = vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}, {8, 8, 8}, {1, 1, 0}});
  v[3].baseVertex = 2, v[2].next = 3, v[3].next = 2;
  v[4].baseVertex = 1, v[1].next = 4, v[4].next = 1;
  std::vector<LoadFace> f = faces({0, 1, 2, 3, 4, 5});
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ASSERT_EQ(BuildMesh(f, v, {}, nullptr, true, nullptr, 0, D3DFVF_XYZ, device, &mesh, &adjacency), D3D_OK);
  const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(std::vector<DWORD>(adj, adj + 6), (std::vector<DWORD>{N, 1, N, 0, N, N}));
  adjacency->Release();
  mesh->Release();
}

TEST_F(Build, ManyTrianglesBecomeThirtyTwoBit) {
  const uint32_t count = 70000;
  std::vector<LoadVertex> v = makeLoadVertices(count + 2);
  for (uint32_t i = 0; i < count + 2; ++i) v[i].position[0] = float(i), v[i].position[1] = float(i % 2);
  std::vector<LoadFace> f(count);
  for (uint32_t t = 0; t < count; ++t) f[t].indices[0] = t, f[t].indices[1] = t + 1, f[t].indices[2] = t + 2;
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(
      BuildMesh(f, v, {}, nullptr, true, nullptr, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, device, &mesh, nullptr),
      D3D_OK);
  EXPECT_TRUE(mesh->GetOptions() & D3DXMESH_32BIT);
  EXPECT_EQ(mesh->GetNumFaces(), count);
  mesh->Release();
}

class Merge : public MeshTest {
 protected:
  ID3DXBuffer* materials(std::vector<const char*> names) {
    std::vector<D3DXMATERIAL> records(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      std::memset(&records[i], 0, sizeof records[i]);
      records[i].MatD3D.Power = float(i);
      records[i].pTextureFilename = const_cast<char*>(names[i]);
    }
    ID3DXBuffer* buffer = nullptr;
    EXPECT_EQ(MakeMaterialsBuffer(records.data(), DWORD(records.size()), &buffer), D3D_OK);
    return buffer;
  }
};

TEST_F(Merge, OffsetsIndicesAttributesAdjacencyAndMaterials) {
  std::vector<P3> ten(10, P3{0, 0, 0});
  for (int i = 0; i < 10; ++i) ten[i].x = float(i);
  ID3DXMesh* a = makeMesh(ten, {0, 1, 2, 2, 1, 3}, D3DFVF_XYZ | D3DFVF_NORMAL);
  setAttributes(a, {0, 1});
  ID3DXMesh* b = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0xFFFF, 0xFFFF, 0xFFFF},
                          D3DFVF_XYZ | D3DFVF_TEX1);
  setAttributes(b, {0, 0});
  ID3DXBuffer* matA = materials({"a.png", nullptr});
  ID3DXBuffer* matB = materials({"b.jpg"});
  const DWORD adjA[6] = {N, 1, N, 0, N, N};
  const DWORD adjB[6] = {1, N, N, 0, N, N};
  ID3DXMesh* merged = nullptr;
  ID3DXBuffer *adjacency = nullptr, *mats = nullptr;
  DWORD count = 0;
  ASSERT_EQ(MergeMeshes(a, adjA, matA, 2, b, adjB, matB, 1, device, &merged, &adjacency, &mats, &count),
            D3D_OK);
  EXPECT_EQ(merged->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  EXPECT_EQ(merged->GetNumVertices(), 13u);
  EXPECT_EQ(readIndices(merged), (std::vector<DWORD>{0, 1, 2, 2, 1, 3, 10, 11, 12, 0xFFFF, 0xFFFF, 0xFFFF}));
  EXPECT_EQ(readAttributes(merged), (std::vector<DWORD>{0, 1, 2, 2}));
  const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(std::vector<DWORD>(adj, adj + 12), (std::vector<DWORD>{N, 1, N, 0, N, N, 3, N, N, 2, N, N}));
  ASSERT_EQ(count, 3u);
  const D3DXMATERIAL* m = static_cast<const D3DXMATERIAL*>(mats->GetBufferPointer());
  EXPECT_STREQ(m[0].pTextureFilename, "a.png");
  EXPECT_EQ(m[1].pTextureFilename, nullptr);
  EXPECT_STREQ(m[2].pTextureFilename, "b.jpg");
  EXPECT_NE(m[2].pTextureFilename,
            static_cast<const D3DXMATERIAL*>(matB->GetBufferPointer())->pTextureFilename);
  // B's vertices were converted: position kept, texture coordinates behind a zero normal.
  BYTE* vb = nullptr;
  merged->LockVertexBuffer(D3DLOCK_READONLY, &vb);
  float vertex11[8];
  std::memcpy(vertex11, vb + 11 * 32, 32);
  merged->UnlockVertexBuffer();
  EXPECT_EQ(vertex11[0], 1.0f);
  EXPECT_EQ(vertex11[3], 0.0f);
  for (IUnknown* input : std::initializer_list<IUnknown*>{a, b, matA, matB}) EXPECT_EQ(refCount(input), 1u);
  for (IUnknown* output : std::initializer_list<IUnknown*>{merged, adjacency, mats})
    EXPECT_EQ(output->Release(), 0u);
  a->Release(), b->Release(), matA->Release(), matB->Release();
}

TEST_F(Merge, GrowsToThirtyTwoBitAndRefusesMissingInputs) {
  ID3DXMesh* a = nullptr;
  ID3DXMesh* b = nullptr;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 40000, 0, D3DFVF_XYZ, device, &a), D3D_OK);
  ASSERT_EQ(D3DXCreateMeshFVF(1, 30000, 0, D3DFVF_XYZ, device, &b), D3D_OK);
  ID3DXMesh* merged = nullptr;
  EXPECT_EQ(MergeMeshes(nullptr, nullptr, nullptr, 0, b, nullptr, nullptr, 0, device, &merged, nullptr,
                        nullptr, nullptr),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(
      MergeMeshes(a, nullptr, nullptr, 0, b, nullptr, nullptr, 0, device, nullptr, nullptr, nullptr, nullptr),
      D3DXERR_INVALIDDATA);
  ASSERT_EQ(
      MergeMeshes(a, nullptr, nullptr, 0, b, nullptr, nullptr, 0, device, &merged, nullptr, nullptr, nullptr),
      D3D_OK);
  EXPECT_TRUE(merged->GetOptions() & D3DXMESH_32BIT);
  EXPECT_EQ(readIndices(merged)[3], 40000u);
  merged->Release();
  a->Release();
  b->Release();
}

TEST_F(Merge, MaterialsAndFormats) {
  ID3DXBuffer* three = materials({"x", "y", nullptr});
  ID3DXBuffer* out = nullptr;
  ASSERT_EQ(MergeMaterials(nullptr, 0, three, 3, &out), D3D_OK);
  EXPECT_EQ(out, three);
  EXPECT_EQ(refCount(three), 2u);
  out->Release();
  ASSERT_EQ(MergeMaterials(nullptr, 0, nullptr, 0, &out), D3D_OK);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(MergeMaterials(three, 4, nullptr, 0, &out), D3DXERR_INVALIDDATA);
  three->Release();
  struct Case {
    DWORD a, b, combined;
  };
  const Case cases[] = {
      {D3DFVF_XYZ | D3DFVF_NORMAL, D3DFVF_XYZ | D3DFVF_TEX1, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1},
      {D3DFVF_XYZB2 | D3DFVF_DIFFUSE, D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_SPECULAR,
       D3DFVF_XYZB2 | D3DFVF_DIFFUSE | D3DFVF_SPECULAR},
      {D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1), D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4,
       D3DFVF_XYZB1 | D3DFVF_TEX2},
  };
  for (const Case& c : cases) EXPECT_EQ(CombineFVF(c.a, c.b), c.combined);
}

}  // namespace
}  // namespace zentu::test
