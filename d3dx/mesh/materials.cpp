// Materials buffers: an array of D3DXMATERIAL records followed by the texture names they point at,
// so that one buffer owns everything; and the merge of two such buffers.
#include <cstring>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

HRESULT MakeMaterialsBuffer(const D3DXMATERIAL* materials, DWORD count, ID3DXBuffer** ppBuffer) {
  if (!ppBuffer || (count && !materials)) return D3DERR_INVALIDCALL;
  size_t names = 0, bytes;
  for (DWORD i = 0; i < count; ++i)
    if (materials[i].pTextureFilename &&
        !checkedAdd(names, std::strlen(materials[i].pTextureFilename) + 1, names))
      return E_OUTOFMEMORY;
  if (!checkedMul(count, sizeof(D3DXMATERIAL), bytes) || !checkedAdd(bytes, names, bytes) ||
      bytes > 0xFFFFFFFF)
    return E_OUTOFMEMORY;
  ID3DXBuffer* buffer = nullptr;
  HRESULT hr = D3DXCreateBuffer(DWORD(bytes), &buffer);
  if (FAILED(hr)) return hr;
  BYTE* base = static_cast<BYTE*>(buffer->GetBufferPointer());
  D3DXMATERIAL* records = reinterpret_cast<D3DXMATERIAL*>(base);
  char* text = reinterpret_cast<char*>(base + size_t(count) * sizeof(D3DXMATERIAL));
  for (DWORD i = 0; i < count; ++i) {
    records[i] = materials[i];
    if (!materials[i].pTextureFilename) continue;
    size_t length = std::strlen(materials[i].pTextureFilename) + 1;
    std::memcpy(text, materials[i].pTextureFilename, length);
    records[i].pTextureFilename = text;
    text += length;
  }
  *ppBuffer = buffer;
  return D3D_OK;
}

HRESULT MergeMaterials(ID3DXBuffer* materialsA, DWORD countA, ID3DXBuffer* materialsB, DWORD countB,
                       ID3DXBuffer** ppMaterials) {
  if (!ppMaterials) return D3DERR_INVALIDCALL;
  *ppMaterials = nullptr;
  auto holds = [](ID3DXBuffer* buffer, DWORD count) {
    return !buffer || size_t(count) * sizeof(D3DXMATERIAL) <= buffer->GetBufferSize();
  };
  if (!holds(materialsA, countA) || !holds(materialsB, countB)) return D3DXERR_INVALIDDATA;
  ID3DXBuffer* single = !materialsA ? materialsB : !materialsB ? materialsA : nullptr;
  if (single || (!materialsA && !materialsB)) {
    if (single) single->AddRef();
    *ppMaterials = single;
    return D3D_OK;
  }
  std::vector<D3DXMATERIAL> all;
  try {
    all.resize(size_t(countA) + countB);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (countA) std::memcpy(all.data(), materialsA->GetBufferPointer(), size_t(countA) * sizeof(D3DXMATERIAL));
  if (countB)
    std::memcpy(all.data() + countA, materialsB->GetBufferPointer(), size_t(countB) * sizeof(D3DXMATERIAL));
  return MakeMaterialsBuffer(all.data(), DWORD(all.size()), ppMaterials);
}

}  // namespace zentu
