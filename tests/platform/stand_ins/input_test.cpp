#include <gtest/gtest.h>

#include <cstring>

#include "platform/input/input_control.h"
#include "platform/window/window.h"
#include "zentu/dinput.h"

namespace zentu {
namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requestHeadless();
    clearInputFailures();
    window = createWindow(WindowDesc{});
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(
        DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&input), nullptr),
        DI_OK);
  }
  void TearDown() override {
    if (input != nullptr) {
      EXPECT_EQ(input->Release(), 0u);
    }
    EXPECT_EQ(liveInputObjects(), 0u);
    clearInputFailures();
    destroyWindow(window);
  }
  IDirectInputDevice8A* device(REFGUID guid) {
    IDirectInputDevice8A* d = nullptr;
    EXPECT_EQ(input->CreateDevice(guid, &d, nullptr), DI_OK);
    return d;
  }
  static DIPROPDWORD bufferSize(DWORD events) {
    DIPROPDWORD p{};
    p.diph = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    p.dwData = events;
    return p;
  }
  HWND window = nullptr;
  IDirectInput8A* input = nullptr;
};

TEST_F(InputTest, CreateChecksItsArguments) {
  struct Case {
    const char* name;
    DWORD version;
    const IID* iid;
    bool aggregate;
    HRESULT expected;
  };
  const Case cases[] = {
      {"old version", 0x0700, &IID_IDirectInput8A, false, DIERR_OLDDIRECTINPUTVERSION},
      {"newer version", 0x0900, &IID_IDirectInput8A, false, DIERR_BETADIRECTINPUTVERSION},
      {"device interface", 0x0800, &IID_IDirectInputDevice8A, false, DIERR_NOINTERFACE},
      {"aggregation", 0x0800, &IID_IDirectInput8A, true, DIERR_NOAGGREGATION},
  };
  for (const Case& c : cases) {
    void* out = &out;
    EXPECT_EQ(DirectInput8Create(nullptr, c.version, *c.iid, &out,
                                 c.aggregate ? reinterpret_cast<IUnknown*>(input) : nullptr),
              c.expected)
        << c.name;
    EXPECT_EQ(out, nullptr) << c.name;
  }
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, nullptr, nullptr), DIERR_INVALIDPARAM);
  IDirectInputDevice8A* d = nullptr;
  EXPECT_EQ(input->CreateDevice(IID_IDirectInput8A, &d, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(d, nullptr);
  EXPECT_EQ(input->CreateDevice(GUID_SysMouse, nullptr, nullptr), DIERR_INVALIDPARAM);
}

TEST_F(InputTest, SetUpStepsAnswerAsDocumented) {
  IDirectInputDevice8A* keyboard = device(GUID_SysKeyboard);
  IDirectInputDevice8A* mouse = device(GUID_SysMouse);
  ASSERT_NE(keyboard, nullptr);
  ASSERT_NE(mouse, nullptr);
  EXPECT_EQ(liveInputObjects(), 3u);

  DIDATAFORMAT broken = c_dfDIMouse;
  broken.dwDataSize = 6;
  EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
  EXPECT_EQ(keyboard->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->SetDataFormat(&broken), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  EXPECT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);

  EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_UNSUPPORTED);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);

  DIPROPDWORD property = bufferSize(16);
  DIPROPDWORD perObject = bufferSize(16);
  perObject.diph.dwHow = DIPH_BYOFFSET;
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &perObject.diph), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->SetProperty(GUID_SysMouse, &property.diph), DIERR_UNSUPPORTED);
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
  DIPROPDWORD read = bufferSize(0);
  EXPECT_EQ(mouse->GetProperty(DIPROP_BUFFERSIZE, &read.diph), DI_OK);
  EXPECT_EQ(read.dwData, 16u);

  DIMOUSESTATE state;
  std::memset(&state, 0xAB, sizeof state);
  EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(mouse->Acquire(), DI_NOEFFECT);
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DIERR_ACQUIRED);
  EXPECT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DIERR_ACQUIRED);
  EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.rgbButtons[3], 0);
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(16, keys), DIERR_INVALIDPARAM);

  EXPECT_EQ(keyboard->Release(), 0u);
  EXPECT_EQ(mouse->Release(), 0u);
}

TEST_F(InputTest, ForegroundNeedsTheWindowInFront) {
  IDirectInputDevice8A* mouse = device(GUID_SysMouse);
  ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  ASSERT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  destroyWindow(window);  // a window that is gone is never in front
  window = nullptr;
  EXPECT_EQ(mouse->Acquire(), DIERR_OTHERAPPHASPRIO);
  mouse->Release();
}

TEST_F(InputTest, SwitchFailsTheChosenCallOfTheChosenDevice) {
  failInputCall(InputCall::kSetProperty, InputDeviceKind::kMouse, DIERR_UNSUPPORTED);
  failInputCall(InputCall::kCreateDevice, InputDeviceKind::kKeyboard);
  IDirectInputDevice8A* keyboard = nullptr;
  EXPECT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DIERR_GENERIC);
  EXPECT_EQ(keyboard, nullptr);
  IDirectInputDevice8A* mouse = device(GUID_SysMouse);
  DIPROPDWORD property = bufferSize(16);
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DIERR_UNSUPPORTED);
  EXPECT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  failInputCall(InputCall::kCreate, InputDeviceKind::kAny, DIERR_OLDDIRECTINPUTVERSION);
  void* other = nullptr;
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, &other, nullptr),
            DIERR_OLDDIRECTINPUTVERSION);
  clearInputFailures();
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
  mouse->Release();
}

TEST_F(InputTest, DevicesKeepTheirInputObject) {
  IDirectInputDevice8A* keyboard = device(GUID_SysKeyboard);
  EXPECT_EQ(input->Release(), 1u);  // the keyboard holds the rest
  input = nullptr;
  EXPECT_EQ(liveInputObjects(), 2u);
  void* same = nullptr;
  EXPECT_EQ(keyboard->QueryInterface(IID_IDirectInputDevice8A, &same), S_OK);
  EXPECT_EQ(same, keyboard);
  EXPECT_EQ(keyboard->QueryInterface(IID_IDirectInput8A, &same), E_NOINTERFACE);
  EXPECT_EQ(keyboard->Release(), 1u);
  EXPECT_EQ(keyboard->Release(), 0u);
}

}  // namespace
}  // namespace zentu
