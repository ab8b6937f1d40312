// The hook through which exact 2x2 box halving of a format runs on an integer routine instead of
// the float pipeline.
#pragma once

#include "zentu/d3d8.h"

namespace zentu {

// Halves a `sourceWidth` x `sourceHeight` image (both even, at least 2) of `format` into `dest`.
// False when `format` has no routine; the blitter then takes the generic path.
bool BoxHalveFastPath(D3DFORMAT format, BYTE* dest, const BYTE* source, UINT sourceWidth, UINT sourceHeight,
                      UINT sourcePitch, UINT destPitch);

}  // namespace zentu
