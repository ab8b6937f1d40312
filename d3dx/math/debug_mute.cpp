// MuteDebugRuntime: silences the graphics runtime's debug channel around calls expected to fail.
#include "d3dx/math/services.h"
#include "platform/d3d8/device_control.h"

namespace zentu {

DWORD MuteDebugRuntime(DWORD flag) {
  setDebugMute(flag != 0);
  return 0;
}

}  // namespace zentu
