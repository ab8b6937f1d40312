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

#endif /* ZENTU_D3DX_TEX_H */
