// DrawSubset: the faces of one attribute id as indexed triangle lists, one call per attribute-table
// entry or per run of equal ids; and the software path, one triangle at a time from the locked
// buffers, for devices that cannot address a 32-bit mesh's index range.
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

HRESULT Mesh::DrawSubset(DWORD AttribId) {
  if (!vertexBuffer) return D3D_OK;
  if (wide() && (state & MESHSTATE_SOFTWARE_DRAW)) return drawSoftware(AttribId);
  device->SetVertexShader(fvf);
  device->SetStreamSource(0, vertexBuffer, vertexSize);
  device->SetIndices(indexBuffer, 0);
  if (hasAttributeTable()) {
    const D3DXATTRIBUTERANGE* entry = nullptr;
    if (AttribId < attributeTableSize() && attributeTable[AttribId].AttribId == AttribId) {
      entry = &attributeTable[AttribId];
    } else {
      for (const D3DXATTRIBUTERANGE& range : attributeTable)
        if (range.AttribId == AttribId) {
          entry = &range;
          break;
        }
    }
    if (entry && entry->FaceCount != 0)
      device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, entry->VertexStart, entry->VertexCount,
                                   entry->FaceStart * 3, entry->FaceCount);
    return D3D_OK;
  }
  DWORD run = 0;
  for (DWORD f = 0; f < numFaces; ++f) {
    if (attributeBuffer[f] == AttribId) {
      ++run;
    } else if (run) {
      device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, numVertices, (f - run) * 3, run);
      run = 0;
    }
  }
  if (run) device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, numVertices, (numFaces - run) * 3, run);
  return D3D_OK;
}

// Faces with an index past the vertices (unused faces among them) are not drawn: their vertices
// would lie outside the buffer.
HRESULT Mesh::drawSoftware(DWORD attribId) {
  device->SetVertexShader(fvf);
  std::vector<BYTE> scratch((size_t(vertexSize) * 3 + 3) & ~size_t(3));
  DWORD first = 0, end = numFaces;
  bool everyFace = false;
  if (hasAttributeTable()) {
    const D3DXATTRIBUTERANGE* entry = nullptr;
    for (const D3DXATTRIBUTERANGE& range : attributeTable)
      if (range.AttribId == attribId) {
        entry = &range;
        break;
      }
    if (!entry) return D3D_OK;
    first = entry->FaceStart < numFaces ? entry->FaceStart : numFaces;
    end = numFaces - first < entry->FaceCount ? numFaces : first + entry->FaceCount;
    everyFace = true;
  }
  BYTE* vertices = nullptr;
  BYTE* indices = nullptr;
  HRESULT hr = vertexBuffer->Lock(0, 0, &vertices, D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK);
  bool vertexLocked = SUCCEEDED(hr);
  if (vertexLocked) hr = indexBuffer->Lock(0, 0, &indices, D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK);
  if (vertexLocked && SUCCEEDED(hr)) {
    lockedIndices = indices;
    for (DWORD f = first; f < end; ++f) {
      if (!everyFace && attributeBuffer[f] != attribId) continue;
      DWORD corner[3];
      for (int k = 0; k < 3; ++k)
        corner[k] = wide() ? reinterpret_cast<const DWORD*>(lockedIndices)[3 * size_t(f) + k]
                           : reinterpret_cast<const WORD*>(lockedIndices)[3 * size_t(f) + k];
      if (corner[0] >= numVertices || corner[1] >= numVertices || corner[2] >= numVertices) continue;
      for (int k = 0; k < 3; ++k)
        std::memcpy(&scratch[size_t(k) * vertexSize], vertices + size_t(corner[k]) * vertexSize, vertexSize);
      hr = device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, scratch.data(), vertexSize);
      if (FAILED(hr)) break;
    }
  }
  if (vertexLocked) vertexBuffer->Unlock();
  if (lockedIndices) indexBuffer->Unlock();
  lockedIndices = nullptr;
  return hr;
}

}  // namespace zentu
