// Vertex layout of a flexible vertex format: where each component lies and how large a vertex is.
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {

UINT fvfBlendSlots(DWORD fvf) {
  DWORD code = fvf & D3DFVF_POSITION_MASK;
  return code >= D3DFVF_XYZB1 ? code / 2 - 2 : 0;
}

bool fvfHasPosition(DWORD fvf) {
  DWORD code = fvf & D3DFVF_POSITION_MASK;
  return code == D3DFVF_XYZ || code >= D3DFVF_XYZB1;
}

UINT fvfTexSetSize(DWORD fvf, UINT set) {
  static const UINT kSizes[4] = {8, 12, 16, 4};
  return kSizes[(fvf >> (16 + 2 * set)) & 3];
}

FvfLayout fvfLayout(DWORD fvf) {
  FvfLayout layout;
  layout.fvf = fvf;
  UINT offset = 0;
  DWORD code = fvf & D3DFVF_POSITION_MASK;
  if (code == D3DFVF_XYZ) {
    offset = 12;
  } else if (code == D3DFVF_XYZRHW) {
    offset = 16;
  } else if (code != 0) {
    layout.numBlendWeights = fvfBlendSlots(fvf);
    offset = 12 + 4 * layout.numBlendWeights;
  }
  if (fvf & D3DFVF_NORMAL) {
    layout.normalOffset = offset;
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    layout.pointSizeOffset = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuseOffset = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.specularOffset = offset;
    offset += 4;
  }
  UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  layout.numTexSets = sets > 8 ? 8 : sets;
  for (UINT i = 0; i < layout.numTexSets; ++i) {
    layout.texOffset[i] = offset;
    offset += fvfTexSetSize(fvf, i);
  }
  layout.size = offset;
  return layout;
}

}  // namespace zentu

UINT D3DXGetFVFVertexSize(DWORD FVF) {
  return zentu::fvfLayout(FVF).size;
}
