// MuteDebugRuntime: silences the graphics runtime's debug channel around calls expected to fail.
#include "d3dx/math/services.h"

namespace zentu {

DWORD MuteDebugRuntime(DWORD flag) {
  (void)flag;  // no debug channel to forward to yet
  return 0;
}

}  // namespace zentu
