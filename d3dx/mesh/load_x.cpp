// Loading a .x model into one mesh: the reader is found by module lookup and given the loader's
// templates; the file's objects are walked depth first, every Mesh object is read, moved by the
// frame transforms above it (innermost first) and merged into the result in file order.
#include <new>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/load_x.h"
#include "d3dx/mesh/mesh_internal.h"
#include "d3dx/mesh/x_templates.h"
#include "platform/system/module_lookup.h"

namespace zentu {
namespace {

using DirectXFileCreateFn = HRESULT (*)(IDirectXFile**);

D3DXMATRIX identity() {
  D3DXMATRIX m;
  std::memset(&m, 0, sizeof m);
  m._11 = m._22 = m._33 = m._44 = 1;
  return m;
}

// A module-lookup failure as a result code that is always a failure.
HRESULT lastErrorResult() {
  DWORD error = GetLastError();
  if (LONG(error) > 0) return HRESULT(0x80070000u | (error & 0xFFFF));
  if (error == 0) return E_FAIL;
  return HRESULT(error);
}

HRESULT createReader(IDirectXFile** reader) {
  HMODULE module = GetModuleHandleA("d3dxof.dll");
  if (!module) module = LoadLibraryA("d3dxof.dll");
  if (!module) return lastErrorResult();
  FARPROC entry = GetProcAddress(module, "DirectXFileCreate");
  if (!entry) return lastErrorResult();
  return reinterpret_cast<DirectXFileCreateFn>(entry)(reader);
}

// Positions by the full transform, normals by its upper 3×3 and back to unit length.
HRESULT transformVertices(ID3DXMesh* mesh, const D3DXMATRIX& matrix) {
  Ref<IDirect3DVertexBuffer8> buffer;
  HRESULT hr = mesh->GetVertexBuffer(buffer.put());
  if (FAILED(hr)) return hr;
  BYTE* data = nullptr;
  hr = buffer->Lock(0, 0, &data, D3DLOCK_NOSYSLOCK);
  if (FAILED(hr)) return hr;
  DWORD fvf = mesh->GetFVF();
  FvfLayout layout = fvfLayout(fvf);
  bool hasNormal = (fvf & D3DFVF_NORMAL) != 0;
  DWORD count = mesh->GetNumVertices();
  for (DWORD i = 0; i < count; ++i) {
    BYTE* vertex = data + size_t(layout.size) * i;
    D3DXVECTOR3 v;
    std::memcpy(&v, vertex, sizeof v);
    D3DXVec3TransformCoord(&v, &v, &matrix);
    std::memcpy(vertex, &v, sizeof v);
    if (hasNormal) {
      std::memcpy(&v, vertex + layout.normalOffset, sizeof v);
      D3DXVec3TransformNormal(&v, &v, &matrix);
      D3DXVec3Normalize(&v, &v);
      std::memcpy(vertex + layout.normalOffset, &v, sizeof v);
    }
  }
  return buffer->Unlock();
}

// The meshes, adjacency and materials gathered so far, owned by the load until handed out.
struct Gathered {
  Ref<ID3DXMesh> mesh;
  Ref<ID3DXBuffer> adjacency;
  Ref<ID3DXBuffer> materials;
  DWORD numMaterials = 0;
};

HRESULT loadMesh(IDirectXFileData* object, const D3DXMATRIX& matrix, DWORD options, IDirect3DDevice8* device,
                 ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                 DWORD* pNumMaterials) {
  Gathered next;
  HRESULT hr = ReadMeshObject(object, options, device, next.adjacency.put(), next.materials.put(),
                              &next.numMaterials, next.mesh.put());
  if (hr == D3DXERR_LOADEDMESHASNODATA) return D3D_OK;
  if (FAILED(hr)) return hr;
  hr = transformVertices(next.mesh.get(), matrix);
  if (FAILED(hr)) return hr;
  if (!*ppMesh) {
    *ppMesh = next.mesh.detach();
    *ppAdjacency = next.adjacency.detach();
    *ppMaterials = next.materials.detach();
    *pNumMaterials = next.numMaterials;
    return D3D_OK;
  }
  auto dataOf = [](ID3DXBuffer* b) { return b ? static_cast<const DWORD*>(b->GetBufferPointer()) : nullptr; };
  Gathered merged;
  hr = MergeMeshes(*ppMesh, dataOf(*ppAdjacency), *ppMaterials, *pNumMaterials, next.mesh.get(),
                   dataOf(next.adjacency.get()), next.materials.get(), next.numMaterials, device,
                   merged.mesh.put(), merged.adjacency.put(), merged.materials.put(), &merged.numMaterials);
  if (FAILED(hr)) return hr;
  (*ppMesh)->Release();
  if (*ppAdjacency) (*ppAdjacency)->Release();
  if (*ppMaterials) (*ppMaterials)->Release();
  *ppMesh = merged.mesh.detach();
  *ppAdjacency = merged.adjacency.detach();
  *ppMaterials = merged.materials.detach();
  *pNumMaterials = merged.numMaterials;
  return D3D_OK;
}

// Walks the top-level objects of an opened file into `result`.
HRESULT loadObjects(IDirectXFileEnumObject* objects, DWORD options, IDirect3DDevice8* device,
                    Gathered& result) {
  for (;;) {
    Ref<IDirectXFileData> object;
    // Any failure ends the enumeration, its end as well as a broken object.
    if (FAILED(objects->GetNextDataObject(object.put()))) break;
    D3DXMATRIX matrix = identity();
    ID3DXMesh* mesh = result.mesh.detach();
    ID3DXBuffer* adjacency = result.adjacency.detach();
    ID3DXBuffer* materials = result.materials.detach();
    HRESULT hr =
        LoadNode(object.get(), matrix, options, device, &mesh, &adjacency, &materials, &result.numMaterials);
    result.mesh.reset(mesh);
    result.adjacency.reset(adjacency);
    result.materials.reset(materials);
    if (FAILED(hr)) return hr;
  }
  if (!result.mesh.get()) return E_FAIL;
  if (result.numMaterials == 0) {
    D3DXMATERIAL standIn = {};
    standIn.MatD3D.Diffuse = {0.5f, 0.5f, 0.5f, 0};
    standIn.MatD3D.Specular = {0.5f, 0.5f, 0.5f, 0};
    HRESULT hr = MakeMaterialsBuffer(&standIn, 1, result.materials.put());
    if (FAILED(hr)) return hr;
    result.numMaterials = 1;
  }
  return D3D_OK;
}

HRESULT loadFrom(void* source, DXFILELOADOPTIONS from, DWORD options, IDirect3DDevice8* device,
                 ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials, DWORD* pNumMaterials,
                 ID3DXMesh** ppMesh) {
  *ppMesh = nullptr;
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (ppMaterials) *ppMaterials = nullptr;
  if (pNumMaterials) *pNumMaterials = 0;
  Ref<IDirectXFile> reader;
  HRESULT hr = createReader(reader.put());
  if (FAILED(hr)) return hr;
  if (!reader.get()) return E_FAIL;
  hr = registerXTemplates(reader.get());
  if (FAILED(hr)) return hr;
  Ref<IDirectXFileEnumObject> objects;
  hr = reader->CreateEnumObject(source, from, objects.put());
  if (FAILED(hr)) return hr;
  // Everything stays with the load until it has succeeded: a failed load hands out nothing.
  Gathered result;
  try {
    hr = loadObjects(objects.get(), options, device, result);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  if (FAILED(hr)) return hr;
  if (ppAdjacency) *ppAdjacency = result.adjacency.detach();
  if (ppMaterials) *ppMaterials = result.materials.detach();
  if (pNumMaterials) *pNumMaterials = result.numMaterials;
  *ppMesh = result.mesh.detach();
  return D3D_OK;
}

}  // namespace

HRESULT LoadNode(IDirectXFileData* object, D3DXMATRIX& matrix, DWORD options, IDirect3DDevice8* device,
                 ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                 DWORD* pNumMaterials) {
  const GUID* type = nullptr;
  HRESULT hr = object->GetType(&type);
  if (FAILED(hr)) return hr;
  if (!type) return D3D_OK;
  if (*type == TID_D3DRMMesh)
    return loadMesh(object, matrix, options, device, ppMesh, ppAdjacency, ppMaterials, pNumMaterials);
  if (*type == TID_D3DRMFrameTransformMatrix) {
    DWORD size = 0;
    void* data = nullptr;
    hr = object->GetData(nullptr, &size, &data);
    if (FAILED(hr)) return hr;
    if (!data || size < sizeof(D3DXMATRIX)) return E_FAIL;
    D3DXMATRIX m;
    std::memcpy(&m, data, sizeof m);
    D3DXMatrixMultiply(&matrix, &m, &matrix);
    return D3D_OK;
  }
  if (*type != TID_D3DRMFrame) return D3D_OK;
  D3DXMATRIX local = matrix;
  for (;;) {
    Ref<IDirectXFileObject> child;
    hr = object->GetNextObject(child.put());
    if (hr == DXFILEERR_NOMOREOBJECTS) return D3D_OK;
    if (FAILED(hr)) return hr;
    Ref<IDirectXFileData> data;
    // References (meshes named from a frame) and binary objects are not loaded.
    if (FAILED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(data.put())))) continue;
    hr = LoadNode(data.get(), local, options, device, ppMesh, ppAdjacency, ppMaterials, pNumMaterials);
    if (FAILED(hr)) return hr;
  }
}

}  // namespace zentu

HRESULT D3DXLoadMeshFromX(LPSTR pFilename, DWORD Options, LPDIRECT3DDEVICE8 pDevice,
                          LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials, PDWORD pNumMaterials,
                          LPD3DXMESH* ppMesh) {
  if (!ppMesh || !pFilename) return D3DERR_INVALIDCALL;
  return zentu::loadFrom(pFilename, DXFILELOAD_FROMFILE, Options, pDevice, ppAdjacency, ppMaterials,
                         pNumMaterials, ppMesh);
}

HRESULT D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                  LPDIRECT3DDEVICE8 pDevice, LPD3DXBUFFER* ppAdjacency,
                                  LPD3DXBUFFER* ppMaterials, PDWORD pNumMaterials, LPD3DXMESH* ppMesh) {
  if (!ppMesh || !Memory) return D3DERR_INVALIDCALL;
  // The reader copies the block and never writes through it.
  DXFILELOADMEMORY source{const_cast<void*>(Memory), SizeOfMemory};
  return zentu::loadFrom(&source, DXFILELOAD_FROMMEMORY, Options, pDevice, ppAdjacency, ppMaterials,
                         pNumMaterials, ppMesh);
}
