/* The extension library's public API: every type, constant and function that it offers. */
#ifndef ZENTU_D3DX_H
#define ZENTU_D3DX_H

#include "zentu/d3d8.h"
#include "zentu/d3dx_core.h"
#include "zentu/d3dx_math.h"
#include "zentu/d3dx_mesh.h"
#include "zentu/d3dx_tex.h"

#endif /* ZENTU_D3DX_H */
