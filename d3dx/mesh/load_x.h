// The two steps of loading a .x model that the loader's files share: reading one Mesh object into a
// mesh, and walking one object of the file with its subtree.
#pragma once

#include "zentu/d3dx_mesh.h"
#include "zentu/dxfile.h"

namespace zentu {

// One Mesh object and its children into a new mesh. The result places are cleared first; on
// success *ppMesh and *ppAdjacency (may be null) receive new references, *ppMaterials (may be null)
// a new materials buffer or null, *pNumMaterials (may be null) the material count. `object` is only
// used during the call. An object with nothing drawable gives D3DXERR_LOADEDMESHASNODATA.
HRESULT ReadMeshObject(IDirectXFileData* object, DWORD options, IDirect3DDevice8* device,
                       ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials, DWORD* pNumMaterials,
                       ID3DXMesh** ppMesh);

// One object of the file and its subtree, transformed by `matrix` (changed by a FrameTransformMatrix
// object, which applies to what follows it in its frame). The result places hold what was gathered
// so far (*ppMesh null before the first mesh); each further mesh replaces them by the merged
// result, releasing the earlier objects. On failure they keep what they held.
HRESULT LoadNode(IDirectXFileData* object, D3DXMATRIX& matrix, DWORD options, IDirect3DDevice8* device,
                 ID3DXMesh** ppMesh, ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                 DWORD* pNumMaterials);

}  // namespace zentu
