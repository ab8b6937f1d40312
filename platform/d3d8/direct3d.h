// The entry object: one adapter described by a device profile.
#pragma once

#include "platform/d3d8/device_control.h"
#include "platform/d3d8/diagnostics.h"

namespace zentu {

class Direct3D final : public IDirect3D8, public Accounted {
 public:
  explicit Direct3D(const DeviceProfile& profile);
  const DeviceProfile& profile() const { return *profile_; }
  // Whether the device described by the profile takes `format` for that usage and type.
  bool supportsFormat(DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) const;

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT RegisterSoftwareDevice(void* pInitializeFunction) override;
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER8* pIdentifier) override;
  UINT GetAdapterModeCount(UINT Adapter) override;
  HRESULT EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) override;
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat,
                          D3DFORMAT BackBufferFormat, BOOL Windowed) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat,
                                     BOOL Windowed, D3DMULTISAMPLE_TYPE MultiSampleType) override;
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) override;
  HMONITOR GetAdapterMonitor(UINT Adapter) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice8** ppReturnedDeviceInterface) override;

  // The display mode the adapter reports: 800 × 600 at 60 Hz in the profile's format.
  D3DDISPLAYMODE displayMode() const;

 private:
  ~Direct3D() = default;
  const DeviceProfile* profile_;
  ULONG refs_ = 1;
};

}  // namespace zentu
