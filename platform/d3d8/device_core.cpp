// The device's life, its queries (capabilities, display mode, creation parameters, the
// vertex-cache report) and the back and depth buffers.
#include <cstring>
#include <memory>

#include "platform/d3d8/device.h"
#include "platform/d3d8/direct3d.h"
#include "platform/window/window_internal.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DDevice8";

// Makes a back or depth buffer: a default-pool surface whose references are the device's.
HRESULT makeDeviceSurface(Device* device, D3DFORMAT format, UINT width, UINT height, DWORD usage,
                          bool lockable, const char* tooLarge, std::unique_ptr<Surface>* out) {
  ImageLayout layout;
  if (computeImageLayout(format, width, height, 1, &layout) != LayoutResult::kOk)
    return invalidCall(tooLarge);
  D3DSURFACE_DESC d{format, D3DRTYPE_SURFACE, usage, D3DPOOL_DEFAULT, 0, D3DMULTISAMPLE_NONE, width, height};
  *out = std::make_unique<Surface>(device, Surface::Owner::kDevice, nullptr, d, layout, lockable, nullptr);
  return (*out)->allocate() ? D3D_OK : E_OUTOFMEMORY;
}
}  // namespace

Device* asDevice(IDirect3DDevice8* device) {
  return device ? dynamic_cast<Device*>(device) : nullptr;
}

Device::Device(Direct3D* direct3D, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
               const D3DPRESENT_PARAMETERS& present)
    : Accounted(ObjectClass::kDevice),
      direct3D_(direct3D),
      profile_(&direct3D->profile()),
      type_(type),
      window_(present.hDeviceWindow ? present.hDeviceWindow : focusWindow),
      behavior_(behavior),
      present_(present) {
  direct3D_->AddRef();
  state_.reset(present.EnableAutoDepthStencil != 0, present.BackBufferWidth, present.BackBufferHeight);
  for (int i = 0; i < 256; ++i) {
    WORD v = static_cast<WORD>(i * 0x101);
    gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = v;
  }
  RendererConfig config;
  config.width = present.BackBufferWidth;
  config.height = present.BackBufferHeight;
  config.backBufferFormat = present.BackBufferFormat;
  config.depthStencilFormat =
      present.EnableAutoDepthStencil ? present.AutoDepthStencilFormat : D3DFMT_UNKNOWN;
  config.presentationInterval = present.FullScreen_PresentationInterval;
  config.fullScreen = !present.Windowed;
  config.window = window_ ? sdlWindowOf(window_) : nullptr;
  renderer_ = rendererFactory()(config);
  if (!renderer_) renderer_ = makeNullRenderer(config);
  resetRenderState(renderState_, present.BackBufferWidth, present.BackBufferHeight);
}

namespace {
RendererFactory gRendererFactory = nullptr;
}

void setRendererFactory(RendererFactory factory) {
  gRendererFactory = factory;
}

RendererFactory rendererFactory() {
  return gRendererFactory ? gRendererFactory : makeGlRenderer;
}

void Device::readBack(Surface& surface) {
  if (&surface == backBuffer_.get()) renderer_->readBackBuffer(surface.bits(), surface.layout().rowPitch);
}

HRESULT Device::initialize() {
  const UINT w = present_.BackBufferWidth, h = present_.BackBufferHeight;
  HRESULT hr = makeDeviceSurface(this, present_.BackBufferFormat, w, h, D3DUSAGE_RENDERTARGET,
                                 (present_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0,
                                 "back buffer too large", &backBuffer_);
  if (FAILED(hr)) return hr;
  if (present_.EnableAutoDepthStencil) {
    hr = makeDeviceSurface(this, present_.AutoDepthStencilFormat, w, h, D3DUSAGE_DEPTHSTENCIL,
                           present_.AutoDepthStencilFormat == D3DFMT_D16_LOCKABLE, "depth buffer too large",
                           &depthStencil_);
    if (FAILED(hr)) return hr;
  }
  return D3D_OK;
}

Device::~Device() {
  backBuffer_.reset();
  depthStencil_.reset();
  renderer_.reset();
  direct3D_->Release();
}

void Device::releaseBindings() {
  for (auto& t : state_.textures) {
    if (t) t->Release();
    t = nullptr;
  }
  for (auto& s : state_.streams) {
    if (s.buffer) s.buffer->Release();
    s = {};
  }
  if (state_.indices) state_.indices->Release();
  state_.indices = nullptr;
}

void Device::childDestroyed() {
  if (--children_ == 0 && refs_ == 0) delete this;
}

HRESULT Device::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<IDirect3DDevice8*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DDevice8});
}

ULONG Device::AddRef() {
  return ++refs_;
}

ULONG Device::Release() {
  assertLive();
  ULONG r = --refs_;
  if (r == 0) {
    // Bound resources may be the last holders of themselves; with no caller left they go now.
    // Keep the object alive through that even if they were the only children.
    ++children_;
    releaseBindings();
    childDestroyed();
  }
  return r;
}

HRESULT Device::finish(const char* method, HRESULT hr, TraceArgs& args) {
  assertLive();
  if (callTraceActive()) recordDeviceCall(method, args.take(), hr);
  return reportFailure(kInterface, method, hr);
}

HRESULT Device::finish(const char* method, HRESULT hr) {
  TraceArgs none;
  return finish(method, hr, none);
}

HRESULT Device::TestCooperativeLevel() {
  return finish("TestCooperativeLevel", D3D_OK);
}

UINT Device::GetAvailableTextureMem() {
  finish("GetAvailableTextureMem", D3D_OK);
  return 512u << 20;
}

HRESULT Device::ResourceManagerDiscardBytes(DWORD Bytes) {
  return finish("ResourceManagerDiscardBytes", D3D_OK, TraceArgs() << Bytes);
}

HRESULT Device::GetDirect3D(IDirect3D8** ppD3D8) {
  HRESULT hr = D3D_OK;
  if (!ppD3D8) {
    hr = invalidCall("null pointer");
  } else {
    direct3D_->AddRef();
    *ppD3D8 = direct3D_;
  }
  return finish("GetDirect3D", hr);
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* pCaps) {
  HRESULT hr = D3D_OK;
  if (!pCaps) {
    hr = invalidCall("null caps");
  } else {
    *pCaps = profile_->caps;
    pCaps->DeviceType = type_;
  }
  return finish("GetDeviceCaps", hr);
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* pMode) {
  HRESULT hr = D3D_OK;
  if (!pMode)
    hr = invalidCall("null mode");
  else
    *pMode = direct3D_->displayMode();
  return finish("GetDisplayMode", hr);
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
  HRESULT hr = D3D_OK;
  if (!pParameters)
    hr = invalidCall("null parameters");
  else
    *pParameters = {0, type_, window_, behavior_};
  return finish("GetCreationParameters", hr);
}

HRESULT Device::SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface8* pCursor) {
  HRESULT hr = pCursor ? D3D_OK : invalidCall("null cursor surface");
  return finish("SetCursorProperties", hr, TraceArgs() << XHotSpot << YHotSpot << pCursor);
}

void Device::SetCursorPosition(int X, int Y, DWORD Flags) {
  finish("SetCursorPosition", D3D_OK, TraceArgs() << X << Y << Flags);
}

BOOL Device::ShowCursor(BOOL bShow) {
  BOOL previous = cursorShown_;
  cursorShown_ = bShow ? TRUE : FALSE;
  finish("ShowCursor", D3D_OK, TraceArgs() << bShow);
  return previous;
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8** ppSwap) {
  if (ppSwap) *ppSwap = nullptr;
  setFailureReason("additional swap chains are not supported");
  return finish("CreateAdditionalSwapChain", E_NOTIMPL);
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS*) {
  setFailureReason("Reset is not supported");
  return finish("Reset", E_NOTIMPL);
}

HRESULT Device::GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface8** ppBackBuffer) {
  HRESULT hr = D3D_OK;
  if (!ppBackBuffer) {
    hr = invalidCall("null surface pointer");
  } else if (BackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO) {
    // Every back buffer of the chain shows the same memory, so only the first is handed out.
    *ppBackBuffer = nullptr;
    hr = invalidCall("only back buffer 0 of type mono exists");
  } else {
    backBuffer_->AddRef();
    *ppBackBuffer = backBuffer_.get();
  }
  return finish("GetBackBuffer", hr, TraceArgs() << BackBuffer << Type);
}

HRESULT Device::GetRasterStatus(D3DRASTER_STATUS* pRasterStatus) {
  if (pRasterStatus) *pRasterStatus = {};
  setFailureReason("the scan line cannot be read");
  return finish("GetRasterStatus", D3DERR_INVALIDCALL);
}

void Device::SetGammaRamp(DWORD Flags, const D3DGAMMARAMP* pRamp) {
  if (pRamp) gamma_ = *pRamp;
  finish("SetGammaRamp", D3D_OK, TraceArgs() << Flags << pRamp);
}

void Device::GetGammaRamp(D3DGAMMARAMP* pRamp) {
  if (pRamp) *pRamp = gamma_;
  finish("GetGammaRamp", D3D_OK);
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8*) {
  setFailureReason("GetFrontBuffer is not supported");
  return finish("GetFrontBuffer", E_NOTIMPL);
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) {
  HRESULT hr = D3D_OK;
  // Only the device's own buffers can be bound for now.
  if ((pRenderTarget && pRenderTarget != backBuffer_.get()) ||
      (pNewZStencil && pNewZStencil != depthStencil_.get())) {
    setFailureReason("only the back buffer and the automatic depth buffer can be bound");
    hr = E_NOTIMPL;
  }
  return finish("SetRenderTarget", hr, TraceArgs() << pRenderTarget << pNewZStencil);
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** ppRenderTarget) {
  HRESULT hr = D3D_OK;
  if (!ppRenderTarget) {
    hr = invalidCall("null surface pointer");
  } else {
    backBuffer_->AddRef();
    *ppRenderTarget = backBuffer_.get();
  }
  return finish("GetRenderTarget", hr);
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) {
  HRESULT hr = D3D_OK;
  if (!ppZStencilSurface) {
    hr = invalidCall("null surface pointer");
  } else if (!depthStencil_) {
    *ppZStencilSurface = nullptr;
    hr = D3DERR_NOTFOUND;
  } else {
    depthStencil_->AddRef();
    *ppZStencilSurface = depthStencil_.get();
  }
  return finish("GetDepthStencilSurface", hr);
}

HRESULT Device::ValidateDevice(DWORD* pNumPasses) {
  HRESULT hr = D3D_OK;
  if (!pNumPasses)
    hr = invalidCall("null pass count");
  else
    *pNumPasses = 1;
  return finish("ValidateDevice", hr);
}

HRESULT Device::GetInfo(DWORD DevInfoID, void* pDevInfoStruct, DWORD DevInfoStructSize) {
  HRESULT hr = S_FALSE;  // queries the device does not answer
  if (!pDevInfoStruct || DevInfoStructSize == 0) {
    hr = invalidCall("null or empty record");
  } else if (DevInfoID == 0 || DevInfoID > D3DDEVINFOID_VERTEXSTATS) {
    hr = invalidCall("unknown information id");
  } else if (DevInfoID == D3DDEVINFOID_VCACHE) {
    if (DevInfoStructSize != sizeof(D3DDEVINFO_VCACHE)) {
      hr = invalidCall("record size is not that of D3DDEVINFO_VCACHE");
    } else {
      switch (profile_->vertexCache) {
        case VertexCacheAnswer::kRecord:
          std::memcpy(pDevInfoStruct, &profile_->vertexCacheRecord, sizeof(D3DDEVINFO_VCACHE));
          hr = D3D_OK;
          break;
        case VertexCacheAnswer::kSFalse:
          hr = S_FALSE;
          break;
        case VertexCacheAnswer::kFail:
          setFailureReason("this device gives no vertex-cache report");
          hr = D3DERR_NOTAVAILABLE;
          break;
      }
    }
  }
  return finish("GetInfo", hr, TraceArgs() << DevInfoID << DevInfoStructSize);
}

}  // namespace zentu
