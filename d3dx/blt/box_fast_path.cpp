// Format-specific box-halving routines. None is registered yet: every format takes the generic
// float path of the blitter.
#include "d3dx/blt/box_fast_path.h"

namespace zentu {

bool BoxHalveFastPath(D3DFORMAT, BYTE*, const BYTE*, UINT, UINT, UINT, UINT) {
  return false;
}

}  // namespace zentu
