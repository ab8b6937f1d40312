#include "app/input_devices.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/input/input_control.h"
#include "platform/window/window.h"

namespace zentu {
namespace {

class InputDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requestHeadless();
    clearInputFailures();
    window = createWindow(WindowDesc{});
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override { clearInputFailures(); }
  HWND window = nullptr;
};

TEST_F(InputDevicesTest, AcquiresKeyboardAndMouse) {
  const size_t before = liveInputObjects();  // other tests in this program may have left some
  InputDevices devices(nullptr, window);
  ASSERT_NE(devices.directInput, nullptr);
  ASSERT_NE(devices.keyboard, nullptr);
  ASSERT_NE(devices.mouse, nullptr);
  EXPECT_EQ(devices.keyboard->Acquire(), DI_NOEFFECT);  // already acquired
  EXPECT_EQ(devices.mouse->Acquire(), DI_NOEFFECT);
  DIPROPDWORD read{};
  read.diph = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
  EXPECT_EQ(devices.keyboard->GetProperty(DIPROP_BUFFERSIZE, &read.diph), DI_OK);
  EXPECT_EQ(read.dwData, 16u);
  EXPECT_EQ(devices.mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DIERR_ACQUIRED);
  EXPECT_EQ(liveInputObjects() - before, 3u);  // never released by the demo
}

TEST_F(InputDevicesTest, EachFailingStepThrowsItsOwnText) {
  struct Case {
    InputCall call;
    InputDeviceKind kind;
    const char* text;  // Windows-1252 bytes
    size_t objectsLeft;
  };
  const Case cases[] = {
      {InputCall::kCreate, InputDeviceKind::kAny, "Kunde inte skapa DInput8", 0},
      {InputCall::kCreateDevice, InputDeviceKind::kKeyboard, "Kunde inte skapa Input Device", 1},
      {InputCall::kSetDataFormat, InputDeviceKind::kKeyboard, "Kunde inte S\xE4tta dataformat", 2},
      {InputCall::kSetCooperativeLevel, InputDeviceKind::kKeyboard, "Kunde inte s\xE4tta cooperativelevel",
       2},
      {InputCall::kAcquire, InputDeviceKind::kKeyboard, "Kunde inte ta r\xE4ttigheten till tangentbordet", 2},
      {InputCall::kCreateDevice, InputDeviceKind::kMouse, "CreateDevice Mouse", 2},
      {InputCall::kSetDataFormat, InputDeviceKind::kMouse, "SetDataFormat Mouse", 3},
      {InputCall::kSetCooperativeLevel, InputDeviceKind::kMouse, "SetCooperativeLevel Mouse", 3},
      {InputCall::kSetProperty, InputDeviceKind::kMouse, "SetPropert Mouse", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    clearInputFailures();
    failInputCall(c.call, c.kind);
    const size_t before = liveInputObjects();
    const char* thrown = nullptr;
    try {
      InputDevices devices(nullptr, window);
    } catch (const char* text) {
      thrown = text;
    }
    ASSERT_NE(thrown, nullptr);
    EXPECT_EQ(std::strcmp(thrown, c.text), 0);
    EXPECT_EQ(liveInputObjects() - before, c.objectsLeft);  // left as they are
  }
}

TEST_F(InputDevicesTest, UntestedStepsDoNotStopTheSetUp) {
  struct Case {
    const char* name;
    InputCall call;
    InputDeviceKind kind;
  };
  const Case cases[] = {
      {"keyboard buffer size refused", InputCall::kSetProperty, InputDeviceKind::kKeyboard},
      {"mouse not acquired", InputCall::kAcquire, InputDeviceKind::kMouse},
  };
  for (const Case& c : cases) {
    clearInputFailures();
    failInputCall(c.call, c.kind, DIERR_OTHERAPPHASPRIO);
    EXPECT_NO_THROW(InputDevices(nullptr, window)) << c.name;
  }
  // A window in the background: the mouse is not acquired and the demo goes on.
  clearInputFailures();
  destroyWindow(window);
  HWND other = createWindow(WindowDesc{});
  InputDevices devices(nullptr, other);
  EXPECT_EQ(devices.keyboard->Acquire(), DI_NOEFFECT);
}

}  // namespace
}  // namespace zentu
