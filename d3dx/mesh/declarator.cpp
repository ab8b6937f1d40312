// Vertex declarations (stream-0 vertex-shader declaration tokens) from a flexible vertex format and
// back. Registers: 0 position, 1 blend weights, 2 blend indices, 3 normal, 4 point size, 5 diffuse,
// 6 specular, 7 + i texture set i.
#include "d3dx/mesh/mesh_internal.h"

namespace {

constexpr DWORD kStream0 = 0x20000000;
constexpr DWORD kEnd = 0xFFFFFFFF;

// Token types.
constexpr DWORD kFloat1 = 0;
constexpr DWORD kFloat3 = 2;
constexpr DWORD kFloat4 = 3;
constexpr DWORD kColor = 4;
constexpr DWORD kUbyte4 = 5;

constexpr DWORD reg(DWORD index, DWORD type) {
  return 0x40000000 | type << 16 | index;
}

}  // namespace

HRESULT D3DXDeclaratorFromFVF(DWORD FVF, DWORD Declaration[MAX_FVF_DECL_SIZE]) {
  if (!Declaration || (FVF & 0xE001) != 0) return D3DERR_INVALIDCALL;
  if (((FVF & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) > 8) return D3DERR_INVALIDCALL;
  DWORD tokens[MAX_FVF_DECL_SIZE];
  UINT n = 0;
  tokens[n++] = kStream0;
  DWORD code = FVF & D3DFVF_POSITION_MASK;
  if (code == D3DFVF_XYZRHW) {
    tokens[n++] = reg(0, kFloat4);
  } else if (code != 0) {
    tokens[n++] = reg(0, kFloat3);
    UINT slots = zentu::fvfBlendSlots(FVF);
    if (slots > 0 && (FVF & D3DFVF_LASTBETA_UBYTE4)) {
      if (slots > 1) tokens[n++] = reg(1, kFloat1 + (slots - 2));
      tokens[n++] = reg(2, kUbyte4);
    } else if (slots == 5) {
      return D3DERR_INVALIDCALL;
    } else if (slots > 0) {
      tokens[n++] = reg(1, kFloat1 + (slots - 1));
    }
  }
  if (FVF & D3DFVF_NORMAL) tokens[n++] = reg(3, kFloat3);
  if (FVF & D3DFVF_PSIZE) tokens[n++] = reg(4, kFloat1);
  if (FVF & D3DFVF_DIFFUSE) tokens[n++] = reg(5, kColor);
  if (FVF & D3DFVF_SPECULAR) tokens[n++] = reg(6, kColor);
  UINT sets = (FVF & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (UINT i = 0; i < sets; ++i) tokens[n++] = reg(7 + i, kFloat1 + zentu::fvfTexSetSize(FVF, i) / 4 - 1);
  tokens[n++] = kEnd;
  for (UINT i = 0; i < n; ++i) Declaration[i] = tokens[i];
  return D3D_OK;
}

HRESULT D3DXFVFFromDeclarator(const DWORD* pDeclarator, DWORD* pFVF) {
  if (!pDeclarator || !pFVF) return D3DERR_INVALIDCALL;
  const DWORD* t = pDeclarator;
  if (*t++ != kStream0) return D3DERR_INVALIDCALL;
  DWORD fvf = 0;
  if (*t == reg(0, kFloat3)) {
    ++t;
    UINT weights = 0;
    if (*t >= reg(1, kFloat1) && *t <= reg(1, kFloat4) && (*t & 0xFFFF) == 1)
      weights = ((*t++ >> 16) & 0xF) + 1;
    if (*t == reg(2, kUbyte4)) {
      ++t;
      ++weights;
      fvf |= D3DFVF_LASTBETA_UBYTE4;
    }
    fvf |= weights == 0 ? D3DFVF_XYZ : 2 * weights + 4;
  } else if (*t == reg(0, kFloat4)) {
    ++t;
    fvf |= D3DFVF_XYZRHW;
  }
  if (*t == reg(3, kFloat3)) ++t, fvf |= D3DFVF_NORMAL;
  if (*t == reg(4, kFloat1)) ++t, fvf |= D3DFVF_PSIZE;
  if (*t == reg(5, kColor)) ++t, fvf |= D3DFVF_DIFFUSE;
  if (*t == reg(6, kColor)) ++t, fvf |= D3DFVF_SPECULAR;
  static const DWORD kFormatOfType[4] = {3, 0, 1, 2};  // float1 .. float4 to the 2-bit set format
  DWORD sets = 0;
  while (sets < 8 && *t >= reg(7 + sets, kFloat1) && *t <= reg(7 + sets, kFloat4) &&
         (*t & 0xFFFF) == 7 + sets) {
    fvf |= kFormatOfType[(*t >> 16) & 0xF] << (16 + 2 * sets);
    ++sets;
    ++t;
  }
  if (*t != kEnd) return D3DERR_INVALIDCALL;
  *pFVF = fvf | sets << D3DFVF_TEXCOUNT_SHIFT;
  return D3D_OK;
}
