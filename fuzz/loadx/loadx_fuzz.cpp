// The .x mesh loader on arbitrary bytes: every input loads or fails with nothing handed out, never
// touching memory outside what it was given, and leaves no object alive. A loaded mesh is drawn
// subset by subset and its adjacency and materials are walked, so what it hands out is sound too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "d3dx/mesh/mesh_internal.h"
#include "platform/xfile/xfile_internal.h"
#include "tests/mesh/mesh_device.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void exercise(ID3DXMesh* mesh, ID3DXBuffer* adjacency, ID3DXBuffer* materials, DWORD numMaterials) {
  DWORD faces = mesh->GetNumFaces();
  check(adjacency && adjacency->GetBufferSize() == 12 * faces);
  const DWORD* a = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  for (DWORD i = 0; i < 3 * faces; ++i) check(a[i] == 0xFFFFFFFF || a[i] < faces);
  check(materials && numMaterials > 0 && materials->GetBufferSize() >= numMaterials * sizeof(D3DXMATERIAL));
  const D3DXMATERIAL* m = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  for (DWORD i = 0; i < numMaterials; ++i)
    if (m[i].pTextureFilename) check(std::strlen(m[i].pTextureFilename) < materials->GetBufferSize());
  for (DWORD i = 0; i < numMaterials && i < 16; ++i) mesh->DrawSubset(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's size, so an over-read is seen.
  std::vector<uint8_t> bytes(data, data + size);
  zentu::test::MeshDevice* device = zentu::test::createMeshDevice();
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD numMaterials = 0;
  HRESULT hr = D3DXLoadMeshFromXInMemory(bytes.empty() ? "" : static_cast<const void*>(bytes.data()),
                                         DWORD(bytes.size()), D3DXMESH_SYSTEMMEM, device, &adjacency,
                                         &materials, &numMaterials, &mesh);
  if (SUCCEEDED(hr)) {
    check(mesh != nullptr);
    exercise(mesh, adjacency, materials, numMaterials);
    mesh->Release();
    adjacency->Release();
    materials->Release();
  } else {
    check(!mesh && !adjacency && !materials && numMaterials == 0);
  }
  device->Release();
  check(zentu::xfile::liveObjects() == 0);
  check(zentu::liveObjects(zentu::TalliedKind::Mesh) == 0 &&
        zentu::liveObjects(zentu::TalliedKind::Buffer) == 0);
  check(zentu::test::liveDeviceObjects() == 0);
  return 0;
}
