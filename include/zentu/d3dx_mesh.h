/* Mesh objects, buffers, vertex formats, adjacency, cloning, loading and normals. */
#ifndef ZENTU_D3DX_MESH_H
#define ZENTU_D3DX_MESH_H

#include "zentu/d3dx_core.h"

#endif /* ZENTU_D3DX_MESH_H */
