// The mesh on the headless graphics device: DrawSubset's calls as the device's trace records them,
// the software path and the vertex-cache answers of the device profiles, and no object left alive.
#include <memory>

#include "d3dx/mesh/mesh_internal.h"
#include "support/headless_device.h"

namespace zentu::test {
namespace {

class OnHeadlessDevice : public ::testing::Test {
 protected:
  void SetUp() override { vertexCacheMemo() = VertexCacheMemo(); }
  void TearDown() override {
    if (objectAccountingEnabled()) {
      EXPECT_EQ(liveObjectCount(), 0u) << liveObjectReport();
    }
    EXPECT_EQ(liveObjects(TalliedKind::Mesh), 0);
  }

  // Faces (0, 1, 2) over three vertices, one per attribute id given.
  static ID3DXMesh* makeMesh(IDirect3DDevice8* device, const std::vector<DWORD>& ids, DWORD options) {
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXCreateMeshFVF(DWORD(ids.size()), 3, options, D3DFVF_XYZ, device, &mesh), D3D_OK);
    if (!mesh) return nullptr;
    BYTE* indices = nullptr;
    mesh->LockIndexBuffer(0, &indices);
    for (size_t f = 0; f < ids.size(); ++f)
      for (DWORD k = 0; k < 3; ++k) {
        if (options & D3DXMESH_32BIT)
          reinterpret_cast<DWORD*>(indices)[3 * f + k] = k;
        else
          reinterpret_cast<WORD*>(indices)[3 * f + k] = WORD(k);
      }
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    std::copy(ids.begin(), ids.end(), attributes);
    mesh->UnlockAttributeBuffer();
    return mesh;
  }
};

TEST_F(OnHeadlessDevice, DrawSubsetRunsInTheTrace) {
  {
    HeadlessDevice device;
    ASSERT_TRUE(device);
    ID3DXMesh* mesh = makeMesh(device.get(), {1, 1, 1, 0, 0, 1}, D3DXMESH_SYSTEMMEM);
    ASSERT_NE(mesh, nullptr);
    CallTrace trace;
    device->BeginScene();
    EXPECT_EQ(mesh->DrawSubset(1), D3D_OK);
    device->EndScene();
    EXPECT_EQ(trace.texts("DrawIndexedPrimitive"),
              (std::vector<std::string>{"DrawIndexedPrimitive(4, 0, 3, 0, 3)",
                                        "DrawIndexedPrimitive(4, 0, 3, 15, 1)"}));
    EXPECT_EQ(trace.texts("SetVertexShader"), (std::vector<std::string>{"SetVertexShader(2)"}));
    trace.clear();
    EXPECT_EQ(mesh->DrawSubset(9), D3D_OK);
    EXPECT_TRUE(trace.texts("DrawIndexedPrimitive").empty());
    EXPECT_EQ(mesh->Release(), 0u);
  }
}

TEST_F(OnHeadlessDevice, Index16ProfileDrawsWideMeshesInSoftware) {
  HeadlessDevice device("index16");
  ASSERT_TRUE(device);
  ID3DXMesh* mesh = makeMesh(device.get(), {0, 2, 2}, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT);
  ASSERT_NE(mesh, nullptr);
  EXPECT_TRUE(asMesh(mesh)->state & MESHSTATE_SOFTWARE_DRAW);
  {
    CallTrace trace;
    device->BeginScene();
    EXPECT_EQ(mesh->DrawSubset(2), D3D_OK);
    device->EndScene();
    EXPECT_EQ(trace.texts("DrawPrimitiveUP").size(), 2u);
    EXPECT_TRUE(trace.texts("DrawIndexedPrimitive").empty());
  }
  mesh->Release();
}

TEST_F(OnHeadlessDevice, VertexCacheOfEachProfile) {
  struct Case {
    const char* profile;
    DWORD size, magic;
  };
  const Case cases[] = {{"default", 24, 8}, {"novcache", 12, 7}, {"vendor1002", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    vertexCacheMemo() = VertexCacheMemo();
    HeadlessDevice device(c.profile);
    ASSERT_TRUE(device);
    ID3DXMesh* mesh = makeMesh(device.get(), {0}, D3DXMESH_MANAGED);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(asMesh(mesh)->vertexCacheSize, c.size);
    EXPECT_EQ(asMesh(mesh)->vertexCacheMagic, c.magic);
    mesh->Release();
  }
}

}  // namespace
}  // namespace zentu::test
