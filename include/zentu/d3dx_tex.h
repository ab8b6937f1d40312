/* Textures: creation from image files, surface and volume loading, filtering. */
#ifndef ZENTU_D3DX_TEX_H
#define ZENTU_D3DX_TEX_H

#include "zentu/d3dx_core.h"

#endif /* ZENTU_D3DX_TEX_H */
