// The demo's graphics device: the Direct3D object and one hardware device rendering at 800 × 600
// for the main window, full screen unless the program was asked for a window.
#pragma once

#include "zentu/d3d8.h"

namespace zentu {

class GraphicsDevice {
 public:
  // Brings the device up at once. A failed creation leaves `device` null (the entry checks).
  explicit GraphicsDevice(HWND window, bool windowed = false);
  // Releases the device and the Direct3D object; the program does this only as it ends.
  ~GraphicsDevice();
  GraphicsDevice(const GraphicsDevice&) = delete;
  GraphicsDevice& operator=(const GraphicsDevice&) = delete;

  void Create();

  // The present parameters the device is created with, for the given window.
  static D3DPRESENT_PARAMETERS demoPresentParameters(HWND window, bool windowed);

  HWND window;
  IDirect3D8* direct3D = nullptr;  // one reference, held by this object
  D3DPRESENT_PARAMETERS presentParameters{};
  IDirect3DDevice8* device = nullptr;  // one reference, held by this object

 private:
  bool windowed_;
};

}  // namespace zentu
