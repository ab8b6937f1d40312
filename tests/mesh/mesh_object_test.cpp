// The mesh object: creation and its refusals, pools and usages, interface queries, the attribute
// table, DrawSubset's call patterns on both paths, the device queries of resizing, Validate.
#include "tests/mesh/mesh_fixture.h"

namespace zentu::test {
namespace {

class MeshObject : public MeshTest {
 protected:
  // A mesh of `faces` triangles (0,1,2) over 3 vertices with the given attribute ids.
  ID3DXMesh* meshWithAttributes(const std::vector<DWORD>& ids, DWORD options = D3DXMESH_SYSTEMMEM) {
    std::vector<DWORD> indices;
    for (size_t i = 0; i < ids.size(); ++i) indices.insert(indices.end(), {0, 1, 2});
    ID3DXMesh* mesh = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, indices, D3DFVF_XYZ, options);
    setAttributes(mesh, ids);
    return mesh;
  }
  static void setTable(ID3DXMesh* mesh, const std::vector<D3DXATTRIBUTERANGE>& table) {
    Mesh* m = asMesh(mesh);
    m->attributeTable = table;
    m->state |= MESHSTATE_ATTRIBUTE_TABLE;
  }
};

TEST_F(MeshObject, CreationRefusals) {
  struct Case {
    const char* name;
    DWORD faces, vertices, options, fvf;
    bool nullDevice;
    HRESULT result;
  };
  const Case cases[] = {
      {"vertex buffer sharing", 1, 3, D3DXMESH_VB_SHARE, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"hardware only", 1, 3, D3DXMESH_USEHWONLY, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"unknown option", 1, 3, 0x20000, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"format 0", 1, 3, 0, 0, false, D3DERR_INVALIDCALL},
      {"format bit 0", 1, 3, 0, D3DFVF_XYZ | 1, false, D3DERR_INVALIDCALL},
      {"transformed positions", 1, 3, 0, D3DFVF_XYZRHW, false, D3DERR_INVALIDCALL},
      {"no faces", 0, 3, 0, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"no vertices", 1, 0, 0, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"no device", 1, 3, 0, D3DFVF_XYZ, true, D3DERR_INVALIDCALL},
      {"16-bit 65 536 faces", 65536, 3, 0, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"16-bit 65 535 faces", 65535, 3, 0, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"16-bit 65 535 vertices", 1, 65535, 0, D3DFVF_XYZ, false, D3DERR_INVALIDCALL},
      {"16-bit 65 534 faces and vertices", 65534, 65534, 0, D3DFVF_XYZ, false, D3D_OK},
      {"32-bit 70 000 faces", 70000, 3, D3DXMESH_32BIT, D3DFVF_XYZ, false, D3D_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    HRESULT hr =
        D3DXCreateMeshFVF(c.faces, c.vertices, c.options, c.fvf, c.nullDevice ? nullptr : device, &mesh);
    EXPECT_EQ(hr, c.result);
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(mesh->GetNumFaces(), c.faces);
      EXPECT_EQ(mesh->GetNumVertices(), c.vertices);
      EXPECT_EQ(refCount(device), 4u);  // the test's, the mesh's, one per buffer
      EXPECT_EQ(mesh->Release(), 0u);
    }
  }
  EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, device, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(refCount(device), 1u);
}

TEST_F(MeshObject, PoolsAndUsagesFromOptions) {
  struct Case {
    const char* name;
    DWORD options;
    D3DPOOL vbPool, ibPool;
    DWORD vbUsage, ibUsage;
  };
  const Case cases[] = {
      {"system memory", D3DXMESH_SYSTEMMEM, D3DPOOL_SYSTEMMEM, D3DPOOL_SYSTEMMEM, 0, 0},
      {"default", 0, D3DPOOL_DEFAULT, D3DPOOL_DEFAULT, 0, 0},
      {"system memory wins over managed", D3DXMESH_VB_MANAGED | D3DXMESH_VB_SYSTEMMEM | D3DXMESH_IB_MANAGED,
       D3DPOOL_SYSTEMMEM, D3DPOOL_MANAGED, 0, 0},
      {"write-only and dynamic", D3DXMESH_VB_WRITEONLY | D3DXMESH_IB_DYNAMIC, D3DPOOL_DEFAULT,
       D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY, D3DUSAGE_DYNAMIC},
      {"both-buffer usages", D3DXMESH_DONOTCLIP | D3DXMESH_POINTS | D3DXMESH_NPATCHES | D3DXMESH_RTPATCHES,
       D3DPOOL_DEFAULT, D3DPOOL_DEFAULT, 0x1E0, 0x1E0},
      {"software processing", D3DXMESH_VB_SOFTWAREPROCESSING, D3DPOOL_DEFAULT, D3DPOOL_DEFAULT,
       D3DUSAGE_SOFTWAREPROCESSING, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(2, 4, c.options, D3DFVF_XYZ | D3DFVF_NORMAL, device, &mesh), D3D_OK);
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(mesh->GetVertexBuffer(&vb), D3D_OK);
    ASSERT_EQ(mesh->GetIndexBuffer(&ib), D3D_OK);
    D3DVERTEXBUFFER_DESC vd;
    D3DINDEXBUFFER_DESC id;
    vb->GetDesc(&vd);
    ib->GetDesc(&id);
    EXPECT_EQ(vd.Pool, c.vbPool);
    EXPECT_EQ(id.Pool, c.ibPool);
    EXPECT_EQ(vd.Usage, c.vbUsage);
    EXPECT_EQ(id.Usage, c.ibUsage);
    EXPECT_EQ(vd.Size, 4u * 24);
    EXPECT_EQ(vd.FVF, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
    EXPECT_EQ(id.Size, 2u * 3 * 2);
    EXPECT_EQ(id.Format, D3DFMT_INDEX16);
    EXPECT_EQ(refCount(vb), 2u);
    vb->Release();
    ib->Release();
    mesh->Release();
  }
}

TEST_F(MeshObject, InterfacesAndCounts) {
  ID3DXMesh* mesh = meshWithAttributes({0});
  void* out = nullptr;
  EXPECT_EQ(mesh->QueryInterface(IID_ID3DXBaseMesh, &out), D3D_OK);
  EXPECT_EQ(out, static_cast<ID3DXBaseMesh*>(mesh));
  EXPECT_EQ(refCount(mesh), 2u);
  mesh->Release();
  EXPECT_EQ(mesh->QueryInterface(IID_ID3DXMesh, &out), D3D_OK);
  mesh->Release();
  EXPECT_EQ(mesh->QueryInterface(IID_ID3DXBuffer, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  IDirect3DDevice8* got = nullptr;
  EXPECT_EQ(mesh->GetDevice(&got), D3D_OK);
  EXPECT_EQ(got, device);
  got->Release();
  EXPECT_EQ(mesh->GetDevice(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(mesh->GetVertexBuffer(nullptr), D3DERR_INVALIDCALL);
  DWORD decl[MAX_FVF_DECL_SIZE];
  EXPECT_EQ(mesh->GetDeclaration(decl), D3D_OK);
  EXPECT_EQ(decl[1], 0x40020000u);
  EXPECT_EQ(mesh->Optimize(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(refCount(mesh), 1u);
  mesh->Release();
}

TEST_F(MeshObject, AttributeTableLocking) {
  ID3DXMesh* mesh = meshWithAttributes({0, 0});
  setTable(mesh, {{0, 0, 2, 0, 3}});
  DWORD size = 7;
  D3DXATTRIBUTERANGE table[1] = {};
  EXPECT_EQ(mesh->GetAttributeTable(nullptr, &size), D3D_OK);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(mesh->GetAttributeTable(table, nullptr), D3D_OK);
  EXPECT_EQ(table[0].FaceCount, 2u);
  DWORD* ids = nullptr;
  EXPECT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &ids), D3D_OK);
  mesh->GetAttributeTable(nullptr, &size);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(mesh->LockAttributeBuffer(0, &ids), D3D_OK);
  mesh->GetAttributeTable(nullptr, &size);
  EXPECT_EQ(size, 0u);
  mesh->Release();
}

using Calls = std::vector<DeviceCall>;
DeviceCall dip(UINT minIndex, UINT numVertices, UINT start, UINT count) {
  return {"DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, minIndex, numVertices, start, count}};
}

TEST_F(MeshObject, DrawSubsetWithoutTableDrawsRuns) {
  ID3DXMesh* mesh = meshWithAttributes({1, 1, 1, 0, 2, 1});
  struct Case {
    DWORD id;
    Calls calls;
  };
  const Case cases[] = {
      {1, {dip(0, 3, 0, 3), dip(0, 3, 15, 1)}},
      {0, {dip(0, 3, 9, 1)}},
      {7, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    device->trace.clear();
    EXPECT_EQ(mesh->DrawSubset(c.id), D3D_OK);
    EXPECT_EQ(device->draws(), c.calls);
    ASSERT_GE(device->trace.size(), 3u);
    EXPECT_EQ(device->trace[0], (DeviceCall{"SetVertexShader", {D3DFVF_XYZ}}));
    EXPECT_EQ(device->trace[1], (DeviceCall{"SetStreamSource", {0, 12}}));
  }
  EXPECT_EQ(refCount(mesh), 1u);
  mesh->Release();
}

TEST_F(MeshObject, DrawSubsetWithTable) {
  ID3DXMesh* mesh = meshWithAttributes({0, 0, 0, 0, 2, 2, 2});
  struct Case {
    const char* name;
    std::vector<D3DXATTRIBUTERANGE> table;
    DWORD id;
    Calls calls;
  };
  const std::vector<Case> cases = {
      {"found by scan", {{2, 4, 3, 10, 9}}, 2, {dip(10, 9, 12, 3)}},
      {"fast case at its own index",
       {{0, 0, 4, 0, 3}, {1, 4, 0, 0, 0}, {2, 4, 3, 1, 2}},
       2,
       {dip(1, 2, 12, 3)}},
      {"empty entry", {{0, 0, 4, 0, 3}, {1, 4, 0, 0, 0}}, 1, {}},
      {"no entry", {{0, 0, 4, 0, 3}}, 5, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setTable(mesh, c.table);
    device->trace.clear();
    EXPECT_EQ(mesh->DrawSubset(c.id), D3D_OK);
    EXPECT_EQ(device->draws(), c.calls);
  }
  mesh->Release();
}

class Index16Device : public MeshObject {
  DeviceProfile profile() const override {
    DeviceProfile p;
    p.maxVertexIndex = 0xFFFF;
    return p;
  }
};

TEST_F(Index16Device, ThirtyTwoBitMeshDrawsTriangleByTriangle) {
  std::vector<P3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  ID3DXMesh* mesh =
      makeMesh(positions, {0, 1, 2, 2, 1, 3, 0, 1, 9}, D3DFVF_XYZ, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT);
  setAttributes(mesh, {4, 4, 4});
  EXPECT_TRUE(asMesh(mesh)->state & MESHSTATE_SOFTWARE_DRAW);
  EXPECT_EQ(mesh->DrawSubset(4), D3D_OK);
  // The face with an index past the vertices is not drawn.
  Calls up = {{"DrawPrimitiveUP", {D3DPT_TRIANGLELIST, 1, 12}},
              {"DrawPrimitiveUP", {D3DPT_TRIANGLELIST, 1, 12}}};
  EXPECT_EQ(device->draws(), up);
  ASSERT_EQ(device->upVertices.size(), 2u);
  std::vector<BYTE> second(36);
  std::memcpy(&second[0], &positions[2], 12);
  std::memcpy(&second[12], &positions[1], 12);
  std::memcpy(&second[24], &positions[3], 12);
  EXPECT_EQ(device->upVertices[1], second);
  device->trace.clear();
  setTable(mesh, {{4, 1, 1, 0, 4}});
  EXPECT_EQ(mesh->DrawSubset(4), D3D_OK);
  EXPECT_EQ(device->draws().size(), 1u);
  EXPECT_EQ(asMesh(mesh)->lockedIndices, nullptr);
  mesh->Release();
  // A 16-bit mesh on the same device still draws in hardware.
  ID3DXMesh* narrow = meshWithAttributes({0});
  device->trace.clear();
  narrow->DrawSubset(0);
  EXPECT_EQ(device->draws(), (Calls{dip(0, 3, 0, 1)}));
  narrow->Release();
}

TEST_F(MeshObject, VertexCacheAnswers) {
  struct Case {
    const char* name;
    DeviceProfile profile;
    DWORD size, magic;
  };
  DeviceProfile record, notAvailable, fails, vendor, strips;
  notAvailable.cache = CacheAnswer::NotAvailable;
  fails.cache = CacheAnswer::Fails;
  vendor.vendorId = 0x1002, vendor.deviceId = 0x5145;
  strips.record.OptMethod = 0;
  const Case cases[] = {
      {"record", record, 24, 9},       {"not available", notAvailable, 12, 7}, {"call fails", fails, 12, 7},
      {"vendor device", vendor, 0, 0}, {"strip ordering", strips, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vertexCacheMemo() = VertexCacheMemo();
    MeshDevice* other = createMeshDevice(c.profile);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, other, &mesh), D3D_OK);
    EXPECT_EQ(asMesh(mesh)->vertexCacheSize, c.size);
    EXPECT_EQ(asMesh(mesh)->vertexCacheMagic, c.magic);
    ID3DXMesh* second = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, other, &second), D3D_OK);
    EXPECT_LE(other->infoQueries, 1);  // remembered for the device
    EXPECT_EQ(asMesh(second)->vertexCacheSize, c.size);
    second->Release();
    mesh->Release();
    EXPECT_EQ(other->Release(), 0u);
  }
}

TEST_F(MeshObject, ResizeKeepsContentsAndZeroesTheRest) {
  ID3DXMesh* mesh = makeMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {0, 1, 2});
  setAttributes(mesh, {6});
  Mesh* m = asMesh(mesh);
  ASSERT_EQ(m->Resize(3, 5), D3D_OK);
  EXPECT_EQ(readIndices(mesh), (std::vector<DWORD>{0, 1, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(readAttributes(mesh), (std::vector<DWORD>{6, 0, 0}));
  BYTE* v = nullptr;
  mesh->LockVertexBuffer(D3DLOCK_READONLY, &v);
  float last[3], first[3];
  std::memcpy(first, v + 24, 12);
  std::memcpy(last, v + 4 * 12, 12);
  mesh->UnlockVertexBuffer();
  EXPECT_EQ(first[2], 9.0f);
  EXPECT_EQ(last[0], 0.0f);
  ASSERT_EQ(m->Resize(1, 2), D3D_OK);  // buffers never shrink
  EXPECT_EQ(m->faceCapacity, 3u);
  EXPECT_EQ(mesh->GetNumFaces(), 1u);
  EXPECT_EQ(m->Resize(0xFFFF, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(refCount(device), 4u);  // the old buffers were released
  mesh->Release();
}

TEST_F(MeshObject, Validate) {
  ID3DXMesh* mesh = makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0xFFFF, 0xFFFF, 0xFFFF});
  Mesh* m = asMesh(mesh);
  EXPECT_TRUE(m->Validate(nullptr));
  const WORD partly[6] = {0, 1, 2, 0xFFFF, 1, 0xFFFF};
  EXPECT_FALSE(m->Validate(partly));
  setAttributes(mesh, {0, 1});
  setTable(mesh, {{0, 0, 2, 0, 3}});
  EXPECT_FALSE(m->Validate(nullptr));
  setTable(mesh, {{0, 0, 1, 0, 3}, {1, 1, 1, 0, 3}});
  EXPECT_TRUE(m->Validate(nullptr));
  mesh->Release();
}

}  // namespace
}  // namespace zentu::test
