// Test controls of the input-device stand-in: make a chosen set-up call fail, and count the
// objects alive.
#pragma once

#include <cstddef>

#include "zentu/dinput.h"

namespace zentu {

enum class InputCall { kCreate, kCreateDevice, kSetDataFormat, kSetCooperativeLevel, kSetProperty, kAcquire };
enum class InputDeviceKind { kAny, kKeyboard, kMouse };

// From now on, `call` on devices of `kind` answers `result` (kCreate ignores the kind). One failure
// per call and kind is held; a later one for the same pair replaces it.
void failInputCall(InputCall call, InputDeviceKind kind, HRESULT result = DIERR_GENERIC);
void clearInputFailures();

// Input objects and devices not yet released (they are kept reachable until then).
size_t liveInputObjects();

}  // namespace zentu
