// Set-up of the demo's input devices. Each tested step throws its own text; the keyboard's buffer
// size and the mouse's acquisition are not tested (a mouse acquired while the window is in the
// background simply fails).
#include "app/input_devices.h"

namespace zentu {
namespace {

// A buffer of 16 input events for the whole device.
DIPROPDWORD bufferSizeProperty() {
  DIPROPDWORD property{};
  property.diph.dwSize = sizeof(DIPROPDWORD);
  property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  property.diph.dwObj = 0;
  property.diph.dwHow = DIPH_DEVICE;
  property.dwData = 16;
  return property;
}

}  // namespace

InputDevices::InputDevices(HINSTANCE instance, HWND window) {
  InitKeyboard(instance, window);
  InitMouse(window);
}

void InputDevices::InitKeyboard(HINSTANCE instance, HWND window) {
  if (FAILED(DirectInput8Create(instance, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&directInput),
                                nullptr)))
    throw "Kunde inte skapa DInput8";
  if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr)))
    throw "Kunde inte skapa Input Device";
  if (FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard))) throw "Kunde inte S\xE4tta dataformat";
  if (FAILED(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)))
    throw "Kunde inte s\xE4tta cooperativelevel";
  const DIPROPDWORD property = bufferSizeProperty();
  keyboard->SetProperty(DIPROP_BUFFERSIZE, &property.diph);
  if (FAILED(keyboard->Acquire())) throw "Kunde inte ta r\xE4ttigheten till tangentbordet";
}

void InputDevices::InitMouse(HWND window) {
  if (FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr))) throw "CreateDevice Mouse";
  if (FAILED(mouse->SetDataFormat(&c_dfDIMouse))) throw "SetDataFormat Mouse";
  if (FAILED(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND)))
    throw "SetCooperativeLevel Mouse";
  const DIPROPDWORD property = bufferSizeProperty();
  if (FAILED(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph))) throw "SetPropert Mouse";
  mouse->Acquire();
}

}  // namespace zentu
