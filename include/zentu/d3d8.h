/* The graphics-device API: the device, its resources, states and capabilities. */
#ifndef ZENTU_D3D8_H
#define ZENTU_D3D8_H

#include "zentu/wintypes.h"
#include "zentu/d3d8types.h"

#define D3D_OK S_OK
#define D3DERR_NOTAVAILABLE ((HRESULT)0x8876086A)
#define D3DERR_INVALIDCALL ((HRESULT)0x8876086C)

#endif /* ZENTU_D3D8_H */
