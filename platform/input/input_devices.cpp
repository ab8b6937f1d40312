// The input-device stand-in: the input object and its keyboard and mouse. Every set-up call checks
// its arguments and the device's state as the interface documents and answers success or the
// documented error; nothing is ever read from real hardware. An exclusive mouse hides the pointer
// over the program's windows while it is acquired.
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/input/input_control.h"
#include "platform/window/window.h"
#include "zentu/dinput.h"

namespace zentu {
namespace {

constexpr int kCallCount = 6;
constexpr int kKindCount = 3;

struct InputState {
  std::optional<HRESULT> failures[kCallCount][kKindCount];
  std::vector<const void*> live;  // keeps unreleased objects reachable, as the demo never frees them
};

// Never destroyed: objects the program keeps until it ends stay reachable at exit.
InputState& inputState() {
  static InputState* state = new InputState;
  return *state;
}

std::optional<HRESULT> injectedFailure(InputCall call, InputDeviceKind kind) {
  auto& failures = inputState().failures[static_cast<int>(call)];
  if (failures[static_cast<int>(kind)]) return failures[static_cast<int>(kind)];
  return failures[static_cast<int>(InputDeviceKind::kAny)];
}

void track(const void* object) {
  inputState().live.push_back(object);
}

void untrack(const void* object) {
  auto& live = inputState().live;
  live.erase(std::remove(live.begin(), live.end(), object), live.end());
}

bool formatIsValid(const DIDATAFORMAT& format) {
  if (format.dwSize != sizeof(DIDATAFORMAT) || format.dwObjSize != sizeof(DIOBJECTDATAFORMAT)) return false;
  if (format.dwDataSize == 0 || format.dwDataSize % 4 != 0) return false;
  if (format.dwNumObjs > 0 && format.rgodf == nullptr) return false;
  for (DWORD i = 0; i < format.dwNumObjs; ++i) {
    const DIOBJECTDATAFORMAT& object = format.rgodf[i];
    const bool axis = (object.dwType & DIDFT_AXIS) != 0;
    const DWORD bytes = axis ? 4 : 1;
    if (axis && object.dwOfs % 4 != 0) return false;
    if (object.dwOfs > format.dwDataSize - bytes) return false;
  }
  return true;
}

class InputObject;

class InputDevice final : public IDirectInputDevice8A {
 public:
  InputDevice(InputObject* parent, InputDeviceKind kind);

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override {
    if (ppvObj == nullptr) return E_POINTER;
    *ppvObj = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDirectInputDevice8A) return E_NOINTERFACE;
    AddRef();
    *ppvObj = static_cast<IDirectInputDevice8A*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override;

  HRESULT GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) override {
    HRESULT checked = checkBufferSizeHeader(rguidProp, pdiph);
    if (FAILED(checked)) return checked;
    reinterpret_cast<LPDIPROPDWORD>(pdiph)->dwData = bufferSize;
    return DI_OK;
  }

  HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override {
    if (auto failure = injectedFailure(InputCall::kSetProperty, kind)) return *failure;
    HRESULT checked = checkBufferSizeHeader(rguidProp, pdiph);
    if (FAILED(checked)) return checked;
    if (acquired) return DIERR_ACQUIRED;
    bufferSize = reinterpret_cast<LPCDIPROPDWORD>(pdiph)->dwData;
    return DI_OK;
  }

  HRESULT Acquire() override {
    if (auto failure = injectedFailure(InputCall::kAcquire, kind)) return *failure;
    if (dataSize == 0) return DIERR_INVALIDPARAM;
    if (acquired) return DI_NOEFFECT;
    if ((level & DISCL_FOREGROUND) != 0 && !isForegroundWindow(window)) return DIERR_OTHERAPPHASPRIO;
    acquired = true;
    if (kind == InputDeviceKind::kMouse && (level & DISCL_EXCLUSIVE) != 0) {
      setCursorHidden(true);
      hidesCursor = true;
    }
    return DI_OK;
  }

  HRESULT Unacquire() override {
    if (!acquired) return DI_NOEFFECT;
    acquired = false;
    if (hidesCursor) {
      setCursorHidden(false);
      hidesCursor = false;
    }
    return DI_OK;
  }

  HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) override {
    if (lpvData == nullptr || cbData != dataSize || dataSize == 0) return DIERR_INVALIDPARAM;
    if (!acquired) return DIERR_NOTACQUIRED;
    std::memset(lpvData, 0, cbData);
    return DI_OK;
  }

  HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) override {
    if (auto failure = injectedFailure(InputCall::kSetDataFormat, kind)) return *failure;
    if (lpdf == nullptr || !formatIsValid(*lpdf)) return DIERR_INVALIDPARAM;
    if (acquired) return DIERR_ACQUIRED;
    dataSize = lpdf->dwDataSize;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override {
    if (auto failure = injectedFailure(InputCall::kSetCooperativeLevel, kind)) return *failure;
    const DWORD exclusivity = dwFlags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD place = dwFlags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    constexpr DWORD kKnown =
        DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    if ((dwFlags & ~kKnown) != 0 || exclusivity == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) ||
        exclusivity == 0 || place == (DISCL_FOREGROUND | DISCL_BACKGROUND) || place == 0)
      return DIERR_INVALIDPARAM;
    // Exclusive and foreground levels belong to a window of the program.
    if (hwnd != nullptr ? !isWindow(hwnd) : (dwFlags & (DISCL_EXCLUSIVE | DISCL_FOREGROUND)) != 0)
      return DIERR_INVALIDPARAM;
    // The system keeps the keyboard for itself when the program is in the background.
    if (kind == InputDeviceKind::kKeyboard && dwFlags == (DISCL_EXCLUSIVE | DISCL_BACKGROUND))
      return DIERR_UNSUPPORTED;
    if (acquired) return DIERR_ACQUIRED;
    window = hwnd;
    level = dwFlags;
    return DI_OK;
  }

  HRESULT Poll() override { return acquired ? DI_NOEFFECT : DIERR_NOTACQUIRED; }

 private:
  ~InputDevice() { untrack(this); }

  static HRESULT checkBufferSizeHeader(REFGUID rguidProp, const DIPROPHEADER* pdiph) {
    if (pdiph == nullptr) return DIERR_INVALIDPARAM;
    if (rguidProp != DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
    if (pdiph->dwHeaderSize != sizeof(DIPROPHEADER) || pdiph->dwSize != sizeof(DIPROPDWORD))
      return DIERR_INVALIDPARAM;
    // The buffer belongs to the whole device.
    if (pdiph->dwHow != DIPH_DEVICE || pdiph->dwObj != 0) return DIERR_INVALIDPARAM;
    return DI_OK;
  }

  InputObject* parent;
  InputDeviceKind kind;
  ULONG refs = 1;
  DWORD dataSize = 0;  // 0 until a data format is set
  HWND window = nullptr;
  DWORD level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  DWORD bufferSize = 0;
  bool acquired = false;
  bool hidesCursor = false;
};

class InputObject final : public IDirectInput8A {
 public:
  InputObject() { track(this); }

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override {
    if (ppvObj == nullptr) return E_POINTER;
    *ppvObj = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDirectInput8A) return E_NOINTERFACE;
    AddRef();
    *ppvObj = static_cast<IDirectInput8A*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
  }

  HRESULT CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* lplpDirectInputDevice,
                       LPUNKNOWN pUnkOuter) override {
    if (lplpDirectInputDevice == nullptr) return DIERR_INVALIDPARAM;
    *lplpDirectInputDevice = nullptr;
    InputDeviceKind kind;
    if (rguid == GUID_SysKeyboard)
      kind = InputDeviceKind::kKeyboard;
    else if (rguid == GUID_SysMouse)
      kind = InputDeviceKind::kMouse;
    else
      return DIERR_DEVICENOTREG;
    if (auto failure = injectedFailure(InputCall::kCreateDevice, kind)) return *failure;
    if (pUnkOuter != nullptr) return DIERR_NOAGGREGATION;
    *lplpDirectInputDevice = new InputDevice(this, kind);
    return DI_OK;
  }

 private:
  ~InputObject() { untrack(this); }

  ULONG refs = 1;
};

InputDevice::InputDevice(InputObject* parent, InputDeviceKind kind) : parent(parent), kind(kind) {
  parent->AddRef();
  track(this);
}

ULONG InputDevice::Release() {
  const ULONG left = --refs;
  if (left == 0) {
    Unacquire();
    InputObject* owner = parent;
    delete this;
    owner->Release();
  }
  return left;
}

}  // namespace

void failInputCall(InputCall call, InputDeviceKind kind, HRESULT result) {
  inputState().failures[static_cast<int>(call)][static_cast<int>(kind)] = result;
}

void clearInputFailures() {
  for (auto& row : inputState().failures)
    for (auto& failure : row) failure.reset();
}

size_t liveInputObjects() {
  return inputState().live.size();
}

}  // namespace zentu

HRESULT DirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut, LPUNKNOWN punkOuter) {
  using namespace zentu;
  if (ppvOut == nullptr) return DIERR_INVALIDPARAM;
  *ppvOut = nullptr;
  if (auto failure = injectedFailure(InputCall::kCreate, InputDeviceKind::kAny)) return *failure;
  if (punkOuter != nullptr) return DIERR_NOAGGREGATION;
  if (dwVersion < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
  if (dwVersion > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
  if (riidltf != IID_IDirectInput8A) return DIERR_NOINTERFACE;
  *ppvOut = static_cast<IDirectInput8A*>(new InputObject());
  return DI_OK;
}
