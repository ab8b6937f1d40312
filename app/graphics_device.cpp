// Device bring-up. The window is created as a normal window; a full-screen device then takes the
// desktop with it (its 800 × 600 back buffer shown scaled with the aspect kept).
#include "app/graphics_device.h"

#include "platform/window/window.h"

namespace zentu {

GraphicsDevice::GraphicsDevice(HWND window, bool windowed) : window(window), windowed_(windowed) {
  Create();
}

GraphicsDevice::~GraphicsDevice() {
  if (device) device->Release();
  if (direct3D) direct3D->Release();
}

D3DPRESENT_PARAMETERS GraphicsDevice::demoPresentParameters(HWND window, bool windowed) {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = 800;
  p.BackBufferHeight = 600;
  p.BackBufferFormat = D3DFMT_A8R8G8B8;
  p.BackBufferCount = 1;
  p.MultiSampleType = D3DMULTISAMPLE_NONE;
  p.SwapEffect = D3DSWAPEFFECT_FLIP;
  p.hDeviceWindow = window;
  p.Windowed = windowed ? TRUE : FALSE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  p.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
  p.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  return p;
}

void GraphicsDevice::Create() {
  direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  presentParameters = demoPresentParameters(window, windowed_);
  if (!direct3D) return;
  if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &presentParameters, &device))) {
    device = nullptr;
    return;
  }
  // Nothing is shown headless, so the window keeps its size there.
  if (!presentParameters.Windowed && window && !isHeadless()) setWindowFullScreen(window, true);
}

}  // namespace zentu
