// Loading .x models: triangulation, vertex splitting by normals, materials and texture names,
// merging, frame transforms, the per-vertex children, the failure codes, the same files in every
// encoding, and every prefix of a small file failing cleanly.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system/module_lookup.h"
#include "platform/xfile/xfile_internal.h"
#include "tests/mesh/mesh_fixture.h"
#include "tests/platform/xfile/scene_fixture.h"
#include "tests/platform/xfile/xfile_writer.h"

namespace zentu::test {
namespace {

std::string x(const std::string& body) {
  return "xof 0303txt 0032\n" + body;
}

// A unit square of 4 vertices as 2 triangles, with `children` inside the Mesh object.
std::string square(const std::string& children = "", const std::string& name = "") {
  return "Mesh " + name +
         " {\n"
         " 4;\n"
         " 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;\n"
         " 2;\n"
         " 3;0,1,2;, 3;0,2,3;;\n" +
         children + "}\n";
}

std::string matrix(float m41, float m42, float m43, float scale = 1) {
  char text[256];
  std::snprintf(
      text, sizeof text,
      "FrameTransformMatrix { %.1f,0.0,0.0,0.0, 0.0,%.1f,0.0,0.0, 0.0,0.0,%.1f,0.0, %.1f,%.1f,%.1f,1.0;; }\n",
      scale, scale, scale, m41, m42, m43);
  return text;
}

const char kRed[] =
    "Material Red { 1.0;0.0;0.0;1.0;; 10.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; TextureFilename { "
    "\"maps\\ship.bmp\"; } }\n";
const char kGreen[] =
    "Material Green { 0.0;1.0;0.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.5;0.0;; TextureFilename { \"green.png\"; } "
    "}\n";

const std::string kQuadPentagon =
    x("Mesh {\n"
      " 7;\n"
      " 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;, 2.0;0.0;0.0;, 3.0;0.0;0.0;, 3.0;1.0;0.0;;\n"
      " 2;\n"
      " 4;0,1,2,3;, 5;0,4,5,6,2;;\n"
      "}\n");

const std::string kCube =
    x("Mesh Cube {\n"
      " 8;\n"
      " 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;,\n"
      " 0.0;0.0;1.0;, 1.0;0.0;1.0;, 1.0;1.0;1.0;, 0.0;1.0;1.0;;\n"
      " 6;\n"
      " 4;0,3,2,1;, 4;4,5,6,7;, 4;0,1,5,4;, 4;3,7,6,2;, 4;0,4,7,3;, 4;1,2,6,5;;\n"
      " MeshNormals {\n"
      "  6;\n"
      "  0.0;0.0;-1.0;, 0.0;0.0;1.0;, 0.0;-1.0;0.0;, 0.0;1.0;0.0;, -1.0;0.0;0.0;, 1.0;0.0;0.0;;\n"
      "  6;\n"
      "  4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;;\n"
      " }\n"
      "}\n");

const std::string kMaterials = x(std::string(kRed) + square(" MeshMaterialList { 2; 2; 1, 0;;\n"
                                                            "  { Red }\n  " +
                                                            std::string(kGreen) + " }\n"));

// The first mesh with 2 materials, the second (moved by 5 along x) with 1.
const std::string kTwoMeshes =
    x(std::string(kRed) + square(" MeshMaterialList { 2; 2; 0, 1;; { Red } " + std::string(kGreen) + " }\n") +
      "Frame Moved {\n" + matrix(5, 0, 0) + square(" MeshMaterialList { 1; 2; 0, 0;; { Red } }\n") + "}\n");

const std::string kNestedFrames =
    x("Frame Outer {\n" + matrix(1, 0, 0) + " Frame Inner {\n" + matrix(0, 2, 0, 2) + square() + " }\n" +
      square() + matrix(7, 7, 7) + "}\n");

const std::string kColors = x(square(" MeshVertexColors { 1; 1; 0.5;0.25;1.0;0.0;;; }\n"));

// Two triangles that share an edge only through the duplication indices (vertices 3 and 4 copy 2
// and 1 at other positions).
const std::string kDuplication =
    x("Mesh {\n"
      " 6;\n"
      " 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 5.0;5.0;0.0;, 6.0;5.0;0.0;, 0.0;9.0;0.0;;\n"
      " 2;\n"
      " 3;0,1,2;, 3;3,4,5;;\n"
      " VertexDuplicationIndices { 6; 3; 0, 1, 2, 2, 1, 5; }\n"
      "}\n");

const std::string kFaceAdjacency =
    x(square(" FaceAdjacency { 6; 1, 4294967295, 4294967295, 4294967295, 4294967295, 0; }\n"));

// Texture set 0 from the coordinates, set 1 and a diffuse colour from the vertex-format data.
const std::string kFvfData = x(square(
    " MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }\n"
    " FVFData { 322; 12; 1, 1065353216, 0, 2, 0, 1065353216, 3, 1056964608, 1056964608, 4, 0, 0; }\n"));

const std::string kReferenceLast = x("Frame F {\n" + square("", "Box") + " { Box }\n}\n");

// A mesh with nothing drawable before one that is: the first is skipped.
const std::string kEmptyThenSquare =
    x("Mesh { 0; ; 0; ; }\n"
      "Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 2; 3;1,1,2;, 3;0,1,2;; }\n");

struct Material {
  D3DMATERIAL8 mat;
  std::string texture;  // "-" for none
};

// Everything a loaded mesh holds, for exact comparison.
struct Snapshot {
  DWORD fvf = 0, options = 0, numFaces = 0, numVertices = 0;
  std::vector<BYTE> vertices;
  std::vector<DWORD> indices, attributes, adjacency;
  std::vector<Material> materials;

  bool operator==(const Snapshot& o) const {
    if (materials.size() != o.materials.size()) return false;
    for (size_t i = 0; i < materials.size(); ++i)
      if (std::memcmp(&materials[i].mat, &o.materials[i].mat, sizeof(D3DMATERIAL8)) != 0 ||
          materials[i].texture != o.materials[i].texture)
        return false;
    return fvf == o.fvf && options == o.options && numFaces == o.numFaces && numVertices == o.numVertices &&
           vertices == o.vertices && indices == o.indices && attributes == o.attributes &&
           adjacency == o.adjacency;
  }
  Vec3 position(DWORD v) const {
    Vec3 p;
    std::memcpy(&p, &vertices[size_t(D3DXGetFVFVertexSize(fvf)) * v], 12);
    return p;
  }
  template <class T>
  T at(DWORD v, UINT offset) const {
    T value;
    std::memcpy(&value, &vertices[size_t(D3DXGetFVFVertexSize(fvf)) * v + offset], sizeof value);
    return value;
  }
};

struct Loaded {
  HRESULT hr = E_FAIL;
  Ref<ID3DXMesh> mesh;
  Ref<ID3DXBuffer> adjacency, materials;
  DWORD numMaterials = 0;
};

class LoadXTest : public MeshTest {
 protected:
  void TearDown() override {
    MeshTest::TearDown();
    EXPECT_EQ(xfile::liveObjects(), 0);
  }

  // Loads a copy of `bytes` in a block of exactly their size, so any over-read is seen.
  void load(const std::vector<uint8_t>& bytes, Loaded& out, DWORD options = D3DXMESH_SYSTEMMEM) {
    std::vector<uint8_t> copy(bytes);
    out.hr = D3DXLoadMeshFromXInMemory(copy.empty() ? nullptr : copy.data(), DWORD(copy.size()), options,
                                       device, out.adjacency.put(), out.materials.put(), &out.numMaterials,
                                       out.mesh.put());
  }
  void load(const std::string& text, Loaded& out, DWORD options = D3DXMESH_SYSTEMMEM) {
    load(bytesOf(text), out, options);
  }

  Snapshot snapshot(const Loaded& l) {
    Snapshot s;
    ID3DXMesh* mesh = l.mesh.get();
    if (!mesh) return s;
    s.fvf = mesh->GetFVF();
    s.options = mesh->GetOptions();
    s.numFaces = mesh->GetNumFaces();
    s.numVertices = mesh->GetNumVertices();
    BYTE* data = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    s.vertices.assign(data, data + size_t(s.numVertices) * D3DXGetFVFVertexSize(s.fvf));
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    for (size_t i = 0; i < size_t(s.numFaces) * 3; ++i) {
      if (s.options & D3DXMESH_32BIT) {
        s.indices.push_back(reinterpret_cast<const DWORD*>(data)[i]);
      } else {
        s.indices.push_back(reinterpret_cast<const WORD*>(data)[i]);
      }
    }
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    s.attributes.assign(attributes, attributes + s.numFaces);
    mesh->UnlockAttributeBuffer();
    if (l.adjacency.get()) {
      EXPECT_EQ(l.adjacency->GetBufferSize(), 12 * s.numFaces);
      const DWORD* a = static_cast<const DWORD*>(l.adjacency->GetBufferPointer());
      s.adjacency.assign(a, a + 3 * s.numFaces);
    }
    if (l.materials.get()) {
      EXPECT_GE(l.materials->GetBufferSize(), l.numMaterials * sizeof(D3DXMATERIAL));
      const D3DXMATERIAL* m = static_cast<const D3DXMATERIAL*>(l.materials->GetBufferPointer());
      for (DWORD i = 0; i < l.numMaterials; ++i)
        s.materials.push_back({m[i].MatD3D, m[i].pTextureFilename ? m[i].pTextureFilename : "-"});
    }
    return s;
  }

  Snapshot loadSnapshot(const std::string& text, DWORD options = D3DXMESH_SYSTEMMEM) {
    Loaded l;
    load(text, l, options);
    EXPECT_EQ(l.hr, D3D_OK);
    return snapshot(l);
  }
};

void expectColor(const D3DCOLORVALUE& c, float r, float g, float b, float a) {
  EXPECT_EQ(c.r, r);
  EXPECT_EQ(c.g, g);
  EXPECT_EQ(c.b, b);
  EXPECT_EQ(c.a, a);
}

TEST_F(LoadXTest, QuadsAndPentagonsBecomeFans) {
  Snapshot s = loadSnapshot(kQuadPentagon);
  EXPECT_EQ(s.fvf, DWORD(D3DFVF_XYZ));
  EXPECT_EQ(s.numVertices, 7u);
  EXPECT_EQ(s.options & D3DXMESH_32BIT, 0u);
  EXPECT_EQ(s.indices, (std::vector<DWORD>{0, 1, 2, 0, 2, 3, 0, 4, 5, 0, 5, 6, 0, 6, 2}));
  EXPECT_EQ(s.attributes, std::vector<DWORD>(5, 0));
  EXPECT_EQ(s.adjacency.size(), 15u);
}

TEST_F(LoadXTest, DegenerateTrianglesAreDroppedAndEmptyMeshesSkipped) {
  Snapshot s = loadSnapshot(kEmptyThenSquare);
  EXPECT_EQ(s.numFaces, 1u);
  EXPECT_EQ(s.indices, (std::vector<DWORD>{0, 1, 2}));
  EXPECT_EQ(s.adjacency, (std::vector<DWORD>{N, N, N}));
}

TEST_F(LoadXTest, CubeWithFaceNormalsSplitsEveryCorner) {
  Snapshot s = loadSnapshot(kCube);
  ASSERT_EQ(s.fvf, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
  EXPECT_EQ(s.numFaces, 12u);
  EXPECT_EQ(s.numVertices, 24u);
  const Vec3 faceNormal[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
  for (DWORD f = 0; f < 12; ++f)
    for (int c = 0; c < 3; ++c) {
      Vec3 n = s.at<Vec3>(s.indices[3 * f + c], 12);
      const Vec3& want = faceNormal[f / 2];
      EXPECT_TRUE(n.x == want.x && n.y == want.y && n.z == want.z) << "face " << f << " corner " << c;
    }
  // The split copies share positions, so the faces still meet across the cube's edges.
  for (DWORD entry : s.adjacency) EXPECT_NE(entry, N);
}

TEST_F(LoadXTest, MaterialsByIndexAndByReferenceWithTextureNamesAsWritten) {
  Snapshot s = loadSnapshot(kMaterials);
  ASSERT_EQ(s.materials.size(), 2u);
  EXPECT_EQ(s.attributes, (std::vector<DWORD>{1, 0}));
  const D3DMATERIAL8& red = s.materials[0].mat;
  expectColor(red.Diffuse, 1, 0, 0, 1);
  expectColor(red.Ambient, 0, 0, 0, 1);
  expectColor(red.Specular, 1, 1, 1, 1);
  expectColor(red.Emissive, 0, 0, 0, 1);
  EXPECT_EQ(red.Power, 10.0f);
  EXPECT_EQ(s.materials[0].texture, "maps\\ship.bmp");
  expectColor(s.materials[1].mat.Emissive, 0, 0.5f, 0, 1);
  EXPECT_EQ(s.materials[1].texture, "green.png");
}

TEST_F(LoadXTest, AnEmptyTextureNameStaysEmptyAndTheLastNameCounts) {
  Snapshot s = loadSnapshot(
      x(square(" MeshMaterialList { 2; 2; 0, 1;;\n"
               "  Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"\"; } }\n"
               "  Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;;\n"
               "   TextureFilename { \"a.png\"; } TextureFilename { \"b.png\"; } }\n"
               " }\n")));
  ASSERT_EQ(s.materials.size(), 2u);
  EXPECT_EQ(s.materials[0].texture, "");
  EXPECT_EQ(s.materials[1].texture, "b.png");
}

TEST_F(LoadXTest, FacesAfterTheListedOnesTakeMaterialZero) {
  Snapshot s =
      loadSnapshot(x("Mesh {\n"
                     " 5;\n"
                     " 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;, -1.0;0.0;0.0;;\n"
                     " 4;\n"
                     " 3;0,1,2;, 3;0,2,3;, 3;0,3,4;, 3;0,4,1;;\n"
                     " MeshMaterialList { 3; 2; 2, 1;; " +
                     std::string(kRed) + kGreen + kRed + " }\n}\n"));
  EXPECT_EQ(s.materials.size(), 3u);
  EXPECT_EQ(s.attributes, (std::vector<DWORD>{2, 1, 0, 0}));
}

TEST_F(LoadXTest, WithoutMaterialsOneDefaultMaterial) {
  Loaded l;
  load(kQuadPentagon, l);
  ASSERT_EQ(l.hr, D3D_OK);
  ASSERT_EQ(l.numMaterials, 1u);
  ASSERT_EQ(l.materials->GetBufferSize(), sizeof(D3DXMATERIAL));
  const D3DXMATERIAL& m = *static_cast<const D3DXMATERIAL*>(l.materials->GetBufferPointer());
  expectColor(m.MatD3D.Diffuse, 0.5f, 0.5f, 0.5f, 0);
  expectColor(m.MatD3D.Ambient, 0, 0, 0, 0);
  expectColor(m.MatD3D.Specular, 0.5f, 0.5f, 0.5f, 0);
  expectColor(m.MatD3D.Emissive, 0, 0, 0, 0);
  EXPECT_EQ(m.MatD3D.Power, 0.0f);
  EXPECT_EQ(m.pTextureFilename, nullptr);
}

TEST_F(LoadXTest, TwoMeshesMergeWithAttributeIndexAndAdjacencyOffsets) {
  Snapshot s = loadSnapshot(kTwoMeshes);
  ASSERT_EQ(s.materials.size(), 3u);
  EXPECT_EQ(s.materials[2].texture, "maps\\ship.bmp");
  EXPECT_EQ(s.numVertices, 8u);
  EXPECT_EQ(s.indices, (std::vector<DWORD>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
  EXPECT_EQ(s.attributes, (std::vector<DWORD>{0, 1, 2, 2}));
  EXPECT_EQ(s.adjacency, (std::vector<DWORD>{N, N, 1, 0, N, N, N, N, 3, 2, N, N}));
  EXPECT_EQ(s.position(4).x, 5.0f);
  EXPECT_EQ(s.position(6).x, 6.0f);
}

TEST_F(LoadXTest, FrameTransformsApplyInnermostFirstAndOnlyToWhatFollows) {
  Snapshot s = loadSnapshot(kNestedFrames);
  ASSERT_EQ(s.numVertices, 8u);
  // Inner: scale 2 then (0, 2, 0); outer: (1, 0, 0). The transform after the second mesh is unused.
  Vec3 p = s.position(1);
  EXPECT_EQ(p.x, 3.0f);
  EXPECT_EQ(p.y, 2.0f);
  Vec3 q = s.position(5);
  EXPECT_EQ(q.x, 2.0f);
  EXPECT_EQ(q.y, 0.0f);
}

TEST_F(LoadXTest, VertexColorsQuantizedToBytes) {
  Snapshot s = loadSnapshot(kColors);
  ASSERT_EQ(s.fvf, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  EXPECT_EQ(s.at<DWORD>(0, 12), 0x00FFFFFFu);
  EXPECT_EQ(s.at<DWORD>(1, 12), 0x008040FFu);
}

TEST_F(LoadXTest, DuplicationIndicesGiveTheAdjacency) {
  Snapshot s = loadSnapshot(kDuplication);
  EXPECT_EQ(s.adjacency, (std::vector<DWORD>{N, 1, N, 0, N, N}));
}

TEST_F(LoadXTest, FaceAdjacencyFromTheFileIsKept) {
  Snapshot s = loadSnapshot(kFaceAdjacency);
  EXPECT_EQ(s.adjacency, (std::vector<DWORD>{1, N, N, N, N, 0}));
}

TEST_F(LoadXTest, FvfDataFillsTheSetsAfterTheFileCoordinates) {
  Snapshot s = loadSnapshot(kFvfData);
  ASSERT_EQ(s.fvf, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2));
  // Per vertex: diffuse, then set 1 (two floats) from the data; set 0 from the coordinates.
  EXPECT_EQ(s.at<DWORD>(2, 12), 3u);
  EXPECT_EQ(s.at<float>(2, 16), 1.0f);
  EXPECT_EQ(s.at<float>(2, 20), 1.0f);
  EXPECT_EQ(s.at<float>(2, 24), 0.5f);
  EXPECT_EQ(s.at<float>(2, 28), 0.5f);
  EXPECT_EQ(s.at<float>(1, 24), 0.0f);
  EXPECT_EQ(s.at<float>(1, 28), 1.0f);
}

TEST_F(LoadXTest, SeventyThousandTrianglesInA16BitRequestGiveA32BitMesh) {
  std::string text = "Mesh {\n 1000;\n";
  char line[64];
  for (int i = 0; i < 1000; ++i) {
    std::snprintf(line, sizeof line, "%d.0;%d.0;0.0;%s", i % 37, i / 37, i == 999 ? ";\n" : ",\n");
    text += line;
  }
  text += " 70000;\n";
  for (int i = 0; i < 70000; ++i) {
    std::snprintf(line, sizeof line, "3;%d,%d,%d;%s", i % 1000, (i + 1) % 1000, (i + 2) % 1000,
                  i == 69999 ? ";\n" : ",");
    text += line;
  }
  text += "}\n";
  Loaded l;
  load(x(text), l, D3DXMESH_SYSTEMMEM);
  ASSERT_EQ(l.hr, D3D_OK);
  EXPECT_EQ(l.mesh->GetNumFaces(), 70000u);
  EXPECT_NE(l.mesh->GetOptions() & D3DXMESH_32BIT, 0u);
  EXPECT_NE(asMesh(l.mesh.get()), nullptr);
  EXPECT_TRUE(asMesh(l.mesh.get())->wide());
}

TEST_F(LoadXTest, AFrameEndingInAReferenceLoadsTheMeshOnce) {
  Snapshot s = loadSnapshot(kReferenceLast);
  EXPECT_EQ(s.numFaces, 2u);
  EXPECT_EQ(s.numVertices, 4u);
}

TEST_F(LoadXTest, LoadsFromAFileAndRestoresTheNumericLocale) {
  char path[] = "/tmp/zentu_load_x_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* f = fdopen(fd, "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(kCube.data(), 1, kCube.size(), f);
  std::fclose(f);
  bool haveLocale = std::setlocale(LC_NUMERIC, "C.UTF-8") != nullptr;
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD count = 0;
  EXPECT_EQ(D3DXLoadMeshFromX(path, D3DXMESH_SYSTEMMEM, device, nullptr, &materials, &count, &mesh), D3D_OK);
  if (haveLocale) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C.UTF-8");
  }
  std::remove(path);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->GetNumVertices(), 24u);
  EXPECT_EQ(count, 1u);
  mesh->Release();
  materials->Release();
  EXPECT_EQ(D3DXLoadMeshFromX(path, D3DXMESH_SYSTEMMEM, device, nullptr, nullptr, nullptr, &mesh),
            DXFILEERR_FILENOTFOUND);
  EXPECT_EQ(mesh, nullptr);
  if (haveLocale) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C.UTF-8");
  }
  std::setlocale(LC_NUMERIC, "C");
}

TEST_F(LoadXTest, ArgumentsAndReaderLookup) {
  ID3DXMesh* mesh = nullptr;
  char name[] = "model.x";
  EXPECT_EQ(D3DXLoadMeshFromX(nullptr, 0, device, nullptr, nullptr, nullptr, &mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadMeshFromX(name, 0, device, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadMeshFromXInMemory(nullptr, 4, 0, device, nullptr, nullptr, nullptr, &mesh),
            D3DERR_INVALIDCALL);
  setModuleUnavailable("d3dxof.dll", true);
  Loaded l;
  load(kCube, l);
  setModuleUnavailable("d3dxof.dll", false);
  EXPECT_EQ(l.hr, HRESULT(0x80070000u | ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(l.mesh.get(), nullptr);
}

struct FailureCase {
  const char* name;
  std::string text;
  HRESULT hr;
};

TEST_F(LoadXTest, FailureCodes) {
  const std::string square3 = " 4;\n 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;\n";
  const FailureCase cases[] = {
      {"no mesh", x("Frame { }\n" + std::string(kRed)), E_FAIL},
      {"only an empty mesh", x("Mesh { 0; ; 0; ; }\n"), E_FAIL},
      {"only degenerate triangles", x("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;1,1,2;; }\n"),
       E_FAIL},
      {"face of two corners", x("Mesh {" + square3 + " 2; 3;0,1,2;, 2;0,1;; }\n"), E_FAIL},
      {"vertex index out of range", x("Mesh {" + square3 + " 1; 3;0,1,4;; }\n"), E_FAIL},
      {"texture coordinate count", x(square(" MeshTextureCoords { 3; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;; }\n")),
       E_FAIL},
      {"colour index out of range", x(square(" MeshVertexColors { 1; 4; 0.5;0.25;1.0;0.0;;; }\n")), E_FAIL},
      {"normal face count", x(square(" MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,0;; }\n")), E_FAIL},
      {"normal face corners", x(square(" MeshNormals { 1; 0.0;0.0;1.0;; 2; 3;0,0,0;, 4;0,0,0,0;; }\n")),
       E_FAIL},
      {"normal index out of range", x(square(" MeshNormals { 1; 0.0;0.0;1.0;; 2; 3;0,0,0;, 3;0,1,0;; }\n")),
       E_FAIL},
      {"material index out of range",
       x(square(" MeshMaterialList { 1; 2; 0, 1;; " + std::string(kRed) + "}\n")), E_FAIL},
      {"too few materials", x(square(" MeshMaterialList { 2; 2; 0, 1;; " + std::string(kRed) + "}\n")),
       E_FAIL},
      {"too many materials",
       x(square(" MeshMaterialList { 1; 2; 0, 0;; " + std::string(kRed) + kGreen + "}\n")), E_FAIL},
      {"reference to a non-material",
       x(square("", "Other") + square(" MeshMaterialList { 1; 2; 0, 0;; { Other } }\n")), E_FAIL},
      {"more face indexes than faces",
       x(square(" MeshMaterialList { 1; 3; 0, 0, 0;; " + std::string(kRed) + "}\n")), D3DXERR_INVALIDDATA},
      {"duplication count", x(square(" VertexDuplicationIndices { 3; 3; 0, 1, 2; }\n")), D3DERR_INVALIDCALL},
      {"duplication originals", x(square(" VertexDuplicationIndices { 4; 5; 0, 1, 2, 3; }\n")),
       D3DERR_INVALIDCALL},
      {"duplication chain", x(square(" VertexDuplicationIndices { 4; 4; 0, 0, 1, 3; }\n")),
       D3DERR_INVALIDCALL},
      {"duplication out of range", x(square(" VertexDuplicationIndices { 4; 4; 0, 1, 2, 4; }\n")), E_FAIL},
      {"face adjacency count", x(square(" FaceAdjacency { 3; 1, 0, 0; }\n")), D3DERR_INVALIDCALL},
      {"coordinates on eight sets",
       x(square(" MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }\n"
                " FVFData { 2050; 64; " +
                [] {
                  std::string zeros;
                  for (int i = 0; i < 64; ++i) zeros += i ? ",0" : "0";
                  return zeros;
                }() +
                "; }\n")),
       D3DERR_INVALIDCALL},
      {"vertex-format data too short", x(square(" FVFData { 66; 3; 1, 2, 3; }\n")), D3DXERR_INVALIDDATA},
      {"parse error", x("Mesh { 3; 0.0;0.0 }\n"), DXFILEERR_PARSEERROR},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded l;
    load(c.text, l);
    EXPECT_EQ(l.hr, c.hr);
    EXPECT_EQ(l.mesh.get(), nullptr);
    EXPECT_EQ(l.materials.get(), nullptr);
    EXPECT_EQ(l.adjacency.get(), nullptr);
    EXPECT_EQ(l.numMaterials, 0u);
  }
}

TEST_F(LoadXTest, FailureOfALaterMeshHandsOutNothing) {
  Loaded l;
  load(x(square() + "Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,3;; }\n"), l);
  EXPECT_EQ(l.hr, E_FAIL);
  EXPECT_EQ(l.mesh.get(), nullptr);
  EXPECT_EQ(l.adjacency.get(), nullptr);
  EXPECT_EQ(l.materials.get(), nullptr);
}

struct EncodingCase {
  const char* name;
  const std::string* text;
};

TEST_F(LoadXTest, BinaryAndCompressedFilesLoadToIdenticalMeshes) {
  const std::string scene = kSceneText;
  const EncodingCase cases[] = {
      {"quad and pentagon", &kQuadPentagon},
      {"cube", &kCube},
      {"materials", &kMaterials},
      {"two meshes", &kTwoMeshes},
      {"nested frames", &kNestedFrames},
      {"colours", &kColors},
      {"duplication", &kDuplication},
      {"face adjacency", &kFaceAdjacency},
      {"vertex-format data", &kFvfData},
      {"reference last", &kReferenceLast},
      {"scene", &scene},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.name);
    Snapshot text = loadSnapshot(*c.text);
    ASSERT_NE(text.numFaces, 0u);
    std::vector<uint8_t> bin32 = textToBinary(*c.text, 32), bin64 = textToBinary(*c.text, 64);
    const std::pair<const char*, std::vector<uint8_t>> encodings[] = {
        {"binary 32", bin32},
        {"binary 64", bin64},
        {"text compressed", compressX(bytesOf(*c.text), 64)},
        {"binary compressed", compressX(bin32)},
    };
    for (const auto& [encoding, bytes] : encodings) {
      SCOPED_TRACE(encoding);
      Loaded l;
      load(bytes, l);
      ASSERT_EQ(l.hr, D3D_OK);
      EXPECT_TRUE(snapshot(l) == text);
    }
  }
}

// Every prefix of a small file fails with nothing handed out, or loads.
TEST_F(LoadXTest, EveryPrefixFailsCleanly) {
  const std::string small =
      x(std::string(kRed) + square(" MeshMaterialList { 1; 2; 0, 0;; { Red } }\n"
                                   " MeshNormals { 1; 0.0;0.0;1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
                                   " MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }\n"));
  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"text", bytesOf(small)},
      {"binary", textToBinary(small, 32)},
  };
  for (const auto& [name, file] : files) {
    for (size_t n = 0; n < file.size(); ++n) {
      SCOPED_TRACE(std::string(name) + " prefix " + std::to_string(n));
      Loaded l;
      load(std::vector<uint8_t>(file.begin(), file.begin() + n), l);
      if (FAILED(l.hr)) {
        EXPECT_EQ(l.mesh.get(), nullptr);
        EXPECT_EQ(l.materials.get(), nullptr);
        EXPECT_EQ(l.adjacency.get(), nullptr);
      } else {
        EXPECT_NE(l.mesh.get(), nullptr);
      }
    }
  }
}

}  // namespace
}  // namespace zentu::test
