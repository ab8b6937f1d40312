// Services the math module shares with the rest of the library.
#pragma once

#include "zentu/wintypes.h"

namespace zentu {

// Forwards `flag` (1 mute, 0 unmute) to the graphics runtime's debug channel; returns its answer.
DWORD MuteDebugRuntime(DWORD flag);

}  // namespace zentu
