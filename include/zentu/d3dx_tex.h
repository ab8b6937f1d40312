/* Textures: creation from image files, surface and volume loading, filtering. */
#ifndef ZENTU_D3DX_TEX_H
#define ZENTU_D3DX_TEX_H

#include "zentu/d3dx_core.h"

/* Filter word: the type in the low 16 bits, edge and dither flags above. */
#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)

#ifdef __cplusplus /* the device interfaces are C++ classes */

/* Converts and resamples pSrcRect of the pixels at pSrcMemory (SrcFormat, SrcPitch bytes per row,
 * pSrcPalette for palettized formats) into pDestRect of pDestSurface (all of it when null).
 * Filter: D3DX_FILTER_* type and flags, or D3DX_DEFAULT (triangle with dither). ColorKey: a source
 * colour that becomes transparent black; 0 for none. pSrcRect is required. No reference is kept:
 * the surface, the memory and the palettes are only used during the call. */
HRESULT D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                  const RECT* pDestRect, LPCVOID pSrcMemory, D3DFORMAT SrcFormat,
                                  UINT SrcPitch, const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                  DWORD Filter, D3DCOLOR ColorKey);

/* As D3DXLoadSurfaceFromMemory from pSrcRect of pSrcSurface (all of it when null); the two may be
 * the same surface. Equal sizes without box filter, colour key or palette difference are copied by
 * the device when it can. No reference is kept on either surface. */
HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                   const RECT* pDestRect, LPDIRECT3DSURFACE8 pSrcSurface,
                                   const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                   D3DCOLOR ColorKey);

/* The volume forms: boxes instead of rectangles, and a slice pitch for the memory source.
 * pSrcBox is required. No reference is kept. */
HRESULT D3DXLoadVolumeFromMemory(LPDIRECT3DVOLUME8 pDestVolume, const PALETTEENTRY* pDestPalette,
                                 const D3DBOX* pDestBox, LPCVOID pSrcMemory, D3DFORMAT SrcFormat,
                                 UINT SrcRowPitch, UINT SrcSlicePitch, const PALETTEENTRY* pSrcPalette,
                                 const D3DBOX* pSrcBox, DWORD Filter, D3DCOLOR ColorKey);
HRESULT D3DXLoadVolumeFromVolume(LPDIRECT3DVOLUME8 pDestVolume, const PALETTEENTRY* pDestPalette,
                                 const D3DBOX* pDestBox, LPDIRECT3DVOLUME8 pSrcVolume,
                                 const PALETTEENTRY* pSrcPalette, const D3DBOX* pSrcBox, DWORD Filter,
                                 D3DCOLOR ColorKey);

/* Builds the mip levels below SrcLevel (D3DX_DEFAULT: 0) of a texture, cube texture (each face,
 * edges never wrapped) or volume texture. Filter D3DX_DEFAULT: box when every dimension of level 0
 * is a power of two, else triangle with dither. Point and box build each level from the one above,
 * the other filters every level from SrcLevel. No reference is kept on the texture. */
HRESULT D3DXFilterTexture(LPDIRECT3DBASETEXTURE8 pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                          DWORD Filter);

#endif

#endif /* ZENTU_D3DX_TEX_H */
