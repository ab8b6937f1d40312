// Shared helpers of the mesh tests: a device per test, meshes made from position and index lists,
// and the check that every object of the test is gone at its end.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "d3dx/mesh/mesh_internal.h"
#include "tests/mesh/mesh_device.h"

namespace zentu::test {

constexpr DWORD N = 0xFFFFFFFF;  // no neighbour

struct P3 {
  float x, y, z;
};

class MeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vertexCacheMemo() = VertexCacheMemo();
    device = createMeshDevice(profile());
  }
  void TearDown() override {
    if (device) {
      EXPECT_EQ(device->Release(), 0u);
    }
    EXPECT_EQ(liveDeviceObjects(), 0);
    EXPECT_EQ(liveObjects(TalliedKind::Mesh), 0);
    EXPECT_EQ(liveObjects(TalliedKind::Buffer), 0);
  }
  virtual DeviceProfile profile() const { return DeviceProfile(); }

  // A mesh of the given positions (the first 12 bytes of each vertex) and faces.
  ID3DXMesh* makeMesh(const std::vector<P3>& positions, const std::vector<DWORD>& indices,
                      DWORD fvf = D3DFVF_XYZ, DWORD options = D3DXMESH_SYSTEMMEM) {
    ID3DXMesh* mesh = nullptr;
    HRESULT hr =
        D3DXCreateMeshFVF(DWORD(indices.size() / 3), DWORD(positions.size()), options, fvf, device, &mesh);
    EXPECT_EQ(hr, D3D_OK);
    if (FAILED(hr)) return nullptr;
    BYTE* v = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(0, &v), D3D_OK);
    UINT size = D3DXGetFVFVertexSize(fvf);
    for (size_t i = 0; i < positions.size(); ++i) std::memcpy(v + i * size, &positions[i], 12);
    mesh->UnlockVertexBuffer();
    BYTE* ib = nullptr;
    EXPECT_EQ(mesh->LockIndexBuffer(0, &ib), D3D_OK);
    for (size_t i = 0; i < indices.size(); ++i) {
      if (options & D3DXMESH_32BIT)
        reinterpret_cast<DWORD*>(ib)[i] = indices[i];
      else
        reinterpret_cast<WORD*>(ib)[i] = WORD(indices[i]);
    }
    mesh->UnlockIndexBuffer();
    return mesh;
  }

  static std::vector<DWORD> readIndices(ID3DXMesh* mesh) {
    std::vector<DWORD> out(size_t(mesh->GetNumFaces()) * 3);
    BYTE* ib = nullptr;
    mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib);
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = (mesh->GetOptions() & D3DXMESH_32BIT) ? reinterpret_cast<DWORD*>(ib)[i]
                                                     : reinterpret_cast<WORD*>(ib)[i];
    mesh->UnlockIndexBuffer();
    return out;
  }

  static std::vector<DWORD> readAttributes(ID3DXMesh* mesh) {
    DWORD* a = nullptr;
    mesh->LockAttributeBuffer(D3DLOCK_READONLY, &a);
    std::vector<DWORD> out(a, a + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return out;
  }

  static void setAttributes(ID3DXMesh* mesh, const std::vector<DWORD>& ids) {
    DWORD* a = nullptr;
    mesh->LockAttributeBuffer(0, &a);
    std::copy(ids.begin(), ids.end(), a);
    mesh->UnlockAttributeBuffer();
  }

  static ULONG refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
  }

  MeshDevice* device = nullptr;
};

// The unit cube's 8 corners and its 12 triangles, wound consistently (outward normals).
inline std::vector<P3> cubeCorners() {
  return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
}
inline std::vector<DWORD> cubeFaces() {
  return {0, 2, 1, 0, 3, 2, 4, 5, 6, 4, 6, 7, 0, 1, 5, 0, 5, 4,
          1, 2, 6, 1, 6, 5, 2, 3, 7, 2, 7, 6, 3, 0, 4, 3, 4, 7};
}

}  // namespace zentu::test
