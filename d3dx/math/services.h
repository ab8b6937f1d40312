// Services the math module shares with the rest of the library.
#pragma once

#include "zentu/wintypes.h"

namespace zentu {

// Forwards `flag` (1 mute, 0 unmute) to the graphics runtime's debug channel; returns its answer.
DWORD MuteDebugRuntime(DWORD flag);

// 1 when MMX code may be used, else 0. A non-zero DWORD setting "DisableMMX" answers 0 (read on
// every call); otherwise the processor is asked once.
DWORD MmxAvailable();

// Fills the math dispatch table on first use and returns the processor kind it chose: 0 base only,
// 1 3DNow!, 2 SSE2, 3 SSE. Idempotent; every math entry point calls it on its first use.
DWORD InitMathDispatch();

}  // namespace zentu
