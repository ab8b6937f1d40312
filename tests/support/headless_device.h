// A headless graphics device for tests: `zentu::test::HeadlessDevice dev;` (or with a profile
// name) gives `dev->CreateTexture(...)` at once. It owns its Direct3D object and device and
// releases both when it goes.
#pragma once

#include <string_view>

#include <gtest/gtest.h>

#include "platform/d3d8/device_control.h"
#include "zentu/d3d8.h"

namespace zentu::test {

class HeadlessDevice {
 public:
  // Creates the device with the named profile ("default" when empty) and the demo's present
  // parameters (800 × 600 A8R8G8B8, D24S8, lockable back buffer), without a window. A failure
  // is a test failure and leaves get() null.
  explicit HeadlessDevice(std::string_view profile = {});
  ~HeadlessDevice();
  HeadlessDevice(const HeadlessDevice&) = delete;
  HeadlessDevice& operator=(const HeadlessDevice&) = delete;

  IDirect3DDevice8* get() const { return device_; }
  IDirect3DDevice8* operator->() const { return device_; }
  IDirect3D8* direct3D() const { return direct3D_; }
  explicit operator bool() const { return device_ != nullptr; }

 private:
  IDirect3D8* direct3D_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

// The present parameters HeadlessDevice uses.
inline D3DPRESENT_PARAMETERS headlessPresentParameters() {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = 800;
  p.BackBufferHeight = 600;
  p.BackBufferFormat = D3DFMT_A8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_FLIP;
  p.Windowed = FALSE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  p.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  return p;
}

inline HeadlessDevice::HeadlessDevice(std::string_view profile) {
  ScopedDeviceProfile scoped(profile.empty() ? std::string_view("default") : profile);
  direct3D_ = Direct3DCreate8(D3D_SDK_VERSION);
  if (!direct3D_) {
    ADD_FAILURE() << "Direct3DCreate8 failed";
    return;
  }
  D3DPRESENT_PARAMETERS p = headlessPresentParameters();
  HRESULT hr = direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_);
  if (FAILED(hr)) {
    ADD_FAILURE() << "CreateDevice failed: " << resultName(hr);
    device_ = nullptr;
  }
}

inline HeadlessDevice::~HeadlessDevice() {
  if (device_) device_->Release();
  if (direct3D_) direct3D_->Release();
}

}  // namespace zentu::test
