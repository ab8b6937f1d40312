/* Vector, matrix, quaternion and plane types and operations. */
#ifndef ZENTU_D3DX_MATH_H
#define ZENTU_D3DX_MATH_H

#include "zentu/d3dx_core.h"

#endif /* ZENTU_D3DX_MATH_H */
