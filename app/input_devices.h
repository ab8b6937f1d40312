// The demo's input devices: the keyboard (shared, in the background) and the mouse (exclusive, in
// the foreground), acquired once for the main window and never read. Set-up failures are thrown
// as a pointer to a static Windows-1252 text naming the failing step.
#pragma once

#include "zentu/dinput.h"

namespace zentu {

class InputDevices {
 public:
  // Throws const char* on failure. The input object and devices live until the process ends;
  // after a throw, those made so far are left as they are.
  InputDevices(HINSTANCE instance, HWND window);

  void InitKeyboard(HINSTANCE instance, HWND window);
  void InitMouse(HWND window);

  IDirectInput8A* directInput = nullptr;
  IDirectInputDevice8A* keyboard = nullptr;
  IDirectInputDevice8A* mouse = nullptr;
};

}  // namespace zentu
