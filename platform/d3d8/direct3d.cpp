// The entry object and Direct3DCreate8: adapter identity, display modes, the format support
// matrix and device creation, all from the device profile.
#include "platform/d3d8/direct3d.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/device.h"

namespace zentu {
namespace {

constexpr const char* kInterface = "IDirect3D8";

bool contains(const std::vector<D3DFORMAT>& v, D3DFORMAT f) {
  return std::find(v.begin(), v.end(), f) != v.end();
}

bool isDisplayFormat(D3DFORMAT f) {
  return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5;
}

bool isBackBufferFormat(D3DFORMAT f) {
  return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5;
}

}  // namespace

Direct3D::Direct3D(const DeviceProfile& profile) : Accounted(ObjectClass::kDirect3D), profile_(&profile) {}

bool Direct3D::supportsFormat(DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) const {
  const DeviceProfile& p = *profile_;
  if (type == D3DRTYPE_VERTEXBUFFER) return format == D3DFMT_VERTEXDATA;
  if (type == D3DRTYPE_INDEXBUFFER)
    return format == D3DFMT_INDEX16 || (format == D3DFMT_INDEX32 && p.index32);
  if ((usage & D3DUSAGE_DYNAMIC) && !(p.caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES)) return false;
  if ((usage & D3DUSAGE_RENDERTARGET) && (usage & D3DUSAGE_DEPTHSTENCIL)) return false;
  switch (type) {
    case D3DRTYPE_SURFACE:
      if (usage & D3DUSAGE_DEPTHSTENCIL) return contains(p.depthStencilFormats, format);
      if (usage & D3DUSAGE_RENDERTARGET) return contains(p.renderTargetFormats, format);
      return contains(p.textureFormats, format);
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE:
      if (type == D3DRTYPE_CUBETEXTURE && !(p.caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP)) return false;
      if (usage & D3DUSAGE_DEPTHSTENCIL) return false;
      if (usage & D3DUSAGE_RENDERTARGET) return contains(p.renderTargetFormats, format);
      return contains(p.textureFormats, format);
    case D3DRTYPE_VOLUMETEXTURE:
      if (!(p.caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP)) return false;
      if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return false;
      return contains(p.volumeFormats, format);
    default:
      return false;
  }
}

HRESULT Direct3D::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<IDirect3D8*>(this), riid, ppvObj, {&IID_IUnknown, &IID_IDirect3D8});
}

ULONG Direct3D::Release() {
  assertLive();
  ULONG r = --refs_;
  if (r == 0) delete this;
  return r;
}

HRESULT Direct3D::RegisterSoftwareDevice(void*) {
  setFailureReason("software devices are not supported");
  return reportFailure(kInterface, "RegisterSoftwareDevice", E_NOTIMPL);
}

HRESULT Direct3D::GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER8* pIdentifier) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0) {
    hr = invalidCall("no such adapter");
  } else if (!pIdentifier) {
    hr = invalidCall("null identifier");
  } else if (Flags & ~static_cast<DWORD>(D3DENUM_NO_WHQL_LEVEL)) {
    hr = invalidCall("unknown flags");
  } else {
    std::memset(pIdentifier, 0, sizeof *pIdentifier);
    std::snprintf(pIdentifier->Driver, sizeof pIdentifier->Driver, "zentu_d3d8");
    std::snprintf(pIdentifier->Description, sizeof pIdentifier->Description,
                  "Zentu graphics device (profile %.*s)", static_cast<int>(profile_->name.size()),
                  profile_->name.data());
    pIdentifier->DriverVersion.QuadPart = 0x0001000000000000LL;
    pIdentifier->VendorId = profile_->vendorId;
    pIdentifier->DeviceId = profile_->deviceId;
    pIdentifier->DeviceIdentifier = {
        0x7A656E74, 0x7500, 0x0008, {0, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(profile_->deviceId)}};
    pIdentifier->WHQLLevel = (Flags & D3DENUM_NO_WHQL_LEVEL) ? 0 : 1;
  }
  return reportFailure(kInterface, "GetAdapterIdentifier", hr);
}

D3DDISPLAYMODE Direct3D::displayMode() const {
  return {800, 600, 60, profile_->displayFormat};
}

UINT Direct3D::GetAdapterModeCount(UINT Adapter) {
  return Adapter == 0 ? 1 : 0;
}

HRESULT Direct3D::EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0 || Mode != 0 || !pMode)
    hr = invalidCall("no such adapter or mode, or null mode");
  else
    *pMode = displayMode();
  return reportFailure(kInterface, "EnumAdapterModes", hr);
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0 || !pMode)
    hr = invalidCall("no such adapter, or null mode");
  else
    *pMode = displayMode();
  return reportFailure(kInterface, "GetAdapterDisplayMode", hr);
}

HRESULT Direct3D::CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat,
                                  D3DFORMAT BackBufferFormat, BOOL) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0 || (CheckType != D3DDEVTYPE_HAL && CheckType != D3DDEVTYPE_REF))
    hr = invalidCall("no such adapter or device type");
  else if (!isDisplayFormat(DisplayFormat) || !isBackBufferFormat(BackBufferFormat))
    hr = D3DERR_NOTAVAILABLE;
  return reportFailure(kInterface, "CheckDeviceType", hr);
}

HRESULT Direct3D::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                    D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0 || (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF))
    hr = invalidCall("no such adapter or device type");
  else if (!isDisplayFormat(AdapterFormat))
    hr = invalidCall("adapter format is not a display format");
  else if (!supportsFormat(Usage, RType, CheckFormat))
    hr = D3DERR_NOTAVAILABLE;
  return reportFailure(kInterface, "CheckDeviceFormat", hr);
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                             D3DMULTISAMPLE_TYPE MultiSampleType) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0)
    hr = invalidCall("no such adapter");
  else if (MultiSampleType != D3DMULTISAMPLE_NONE)
    hr = D3DERR_NOTAVAILABLE;
  return reportFailure(kInterface, "CheckDeviceMultiSampleType", hr);
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE, D3DFORMAT AdapterFormat,
                                         D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0 || !isDisplayFormat(AdapterFormat))
    hr = invalidCall("no such adapter, or not a display format");
  else if (!contains(profile_->renderTargetFormats, RenderTargetFormat) ||
           !contains(profile_->depthStencilFormats, DepthStencilFormat))
    hr = D3DERR_NOTAVAILABLE;
  return reportFailure(kInterface, "CheckDepthStencilMatch", hr);
}

HRESULT Direct3D::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) {
  HRESULT hr = D3D_OK;
  if (Adapter != 0 || !pCaps || (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF)) {
    hr = invalidCall("no such adapter or device type, or null caps");
  } else {
    *pCaps = profile_->caps;
    pCaps->DeviceType = DeviceType;
  }
  return reportFailure(kInterface, "GetDeviceCaps", hr);
}

HMONITOR Direct3D::GetAdapterMonitor(UINT) {
  return nullptr;
}

HRESULT Direct3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                               D3DPRESENT_PARAMETERS* pPresent, IDirect3DDevice8** ppDevice) {
  HRESULT hr = D3D_OK;
  const DWORD processing =
      BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                       D3DCREATE_MIXED_VERTEXPROCESSING);
  const DWORD knownFlags = D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED | D3DCREATE_PUREDEVICE |
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                           D3DCREATE_MIXED_VERTEXPROCESSING;
  if (ppDevice) *ppDevice = nullptr;
  if (!ppDevice || !pPresent) {
    hr = invalidCall("null present parameters or device pointer");
  } else if (Adapter != 0 || (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF)) {
    hr = invalidCall("no such adapter or device type");
  } else if ((BehaviorFlags & ~knownFlags) || (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
                                               processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
                                               processing != D3DCREATE_MIXED_VERTEXPROCESSING)) {
    hr = invalidCall("behaviour flags need exactly one vertex processing kind");
  } else {
    D3DPRESENT_PARAMETERS p = *pPresent;
    // Windowed devices may leave the size to the window; without one it is the display mode.
    if (p.BackBufferWidth == 0) p.BackBufferWidth = 800;
    if (p.BackBufferHeight == 0) p.BackBufferHeight = 600;
    if (p.BackBufferFormat == D3DFMT_UNKNOWN && p.Windowed) p.BackBufferFormat = profile_->displayFormat;
    if (p.BackBufferCount == 0) p.BackBufferCount = 1;
    if (!isBackBufferFormat(p.BackBufferFormat)) {
      hr = invalidCall("back buffer format not supported");
    } else if (p.BackBufferCount > 3 || p.BackBufferWidth > 8192 || p.BackBufferHeight > 8192) {
      hr = invalidCall("back buffer count or size out of range");
    } else if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC) {
      hr = invalidCall("unknown swap effect");
    } else if (p.MultiSampleType != D3DMULTISAMPLE_NONE) {
      hr = invalidCall("multisampling not supported");
    } else if (p.EnableAutoDepthStencil &&
               !contains(profile_->depthStencilFormats, p.AutoDepthStencilFormat)) {
      hr = invalidCall("depth-stencil format not supported");
    } else if (p.Flags & ~static_cast<DWORD>(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)) {
      hr = invalidCall("unknown present flags");
    } else {
      if (!p.hDeviceWindow) p.hDeviceWindow = hFocusWindow;
      *pPresent = p;
      Device* device = new Device(this, DeviceType, hFocusWindow, BehaviorFlags, p);
      hr = device->initialize();
      if (FAILED(hr))
        device->Release();
      else
        *ppDevice = device;
    }
  }
  return reportFailure(kInterface, "CreateDevice", hr);
}

}  // namespace zentu

IDirect3D8* Direct3DCreate8(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION) {
    zentu::setFailureReason("the interface version must be 220");
    zentu::reportFailure("Direct3DCreate8", "Direct3DCreate8", D3DERR_INVALIDCALL);
    return nullptr;
  }
  return new zentu::Direct3D(zentu::selectedDeviceProfile());
}
