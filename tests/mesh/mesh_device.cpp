#include "tests/mesh/mesh_device.h"

#include <cstring>

namespace zentu::test {
namespace {

int gLive = 0;

class MeshDirect3D final : public IDirect3D8 {
 public:
  explicit MeshDirect3D(MeshDevice* device) : device_(device) { ++gLive; }
  ~MeshDirect3D() { --gLive; }
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT RegisterSoftwareDevice(void*) override { return E_NOTIMPL; }
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* id) override {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    std::memset(id, 0, sizeof *id);
    id->VendorId = device_->profile.vendorId;
    id->DeviceId = device_->profile.deviceId;
    return D3D_OK;
  }
  UINT GetAdapterModeCount(UINT) override { return 0; }
  HRESULT EnumAdapterModes(UINT, UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return E_NOTIMPL; }
  HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT) override {
    return E_NOTIMPL;
  }
  HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE) override {
    return E_NOTIMPL;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
    return E_NOTIMPL;
  }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8*) override { return E_NOTIMPL; }
  HMONITOR GetAdapterMonitor(UINT) override { return nullptr; }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice8**) override {
    return E_NOTIMPL;
  }

 private:
  MeshDevice* device_;
  ULONG refs_ = 1;
};

template <class Base, class Desc>
class MemoryBuffer final : public Base {
 public:
  MemoryBuffer(MeshDevice* device, UINT length, Desc desc)
      : device_(device), bytes_(length, 0xCD), desc_(desc) {
    desc_.Size = length;
    device_->AddRef();
    ++gLive;
  }
  ~MemoryBuffer() {
    device_->Release();
    --gLive;
  }
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetDevice(IDirect3DDevice8** out) override {
    device_->AddRef();
    *out = device_;
    return D3D_OK;
  }
  HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT GetPrivateData(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT FreePrivateData(REFGUID) override { return E_NOTIMPL; }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return desc_.Type; }
  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override {
    if (!data || offset > bytes_.size() || (size && size > bytes_.size() - offset)) return D3DERR_INVALIDCALL;
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
  }
  HRESULT Unlock() override {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    --locks_;
    return D3D_OK;
  }
  HRESULT GetDesc(Desc* desc) override {
    *desc = desc_;
    return D3D_OK;
  }

 private:
  MeshDevice* device_;
  std::vector<BYTE> bytes_;
  Desc desc_;
  ULONG refs_ = 1;
  int locks_ = 0;
};

using VertexBuffer = MemoryBuffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>;
using IndexBuffer = MemoryBuffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>;

}  // namespace

int liveDeviceObjects() {
  return gLive;
}

MeshDevice* createMeshDevice(const DeviceProfile& profile) {
  return new MeshDevice(profile);
}

MeshDevice::MeshDevice(const DeviceProfile& p) : profile(p), d3d(new MeshDirect3D(this)) {
  ++gLive;
}

MeshDevice::~MeshDevice() {
  d3d->Release();
  --gLive;
}

ULONG MeshDevice::Release() {
  ULONG n = --refs;
  if (n == 0) delete this;
  return n;
}

HRESULT MeshDevice::GetDirect3D(IDirect3D8** out) {
  d3d->AddRef();
  *out = d3d;
  return D3D_OK;
}

HRESULT MeshDevice::GetDeviceCaps(D3DCAPS8* caps) {
  std::memset(caps, 0, sizeof *caps);
  caps->MaxVertexIndex = profile.maxVertexIndex;
  caps->MaxPrimitiveCount = profile.maxPrimitiveCount;
  return D3D_OK;
}

HRESULT MeshDevice::GetInfo(DWORD id, void* data, DWORD size) {
  ++infoQueries;
  if (id != D3DDEVINFOID_VCACHE || size != sizeof(D3DDEVINFO_VCACHE)) return D3DERR_INVALIDCALL;
  if (profile.cache == CacheAnswer::Fails) return D3DERR_NOTAVAILABLE;
  if (profile.cache == CacheAnswer::NotAvailable) return S_FALSE;
  std::memcpy(data, &profile.record, sizeof profile.record);
  return D3D_OK;
}

HRESULT MeshDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** out) {
  if (length == 0 || !out) return D3DERR_INVALIDCALL;
  *out = new VertexBuffer(this, length, {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, 0, fvf});
  return D3D_OK;
}

HRESULT MeshDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** out) {
  if (length == 0 || !out) return D3DERR_INVALIDCALL;
  *out = new IndexBuffer(this, length, {format, D3DRTYPE_INDEXBUFFER, usage, pool, 0});
  return D3D_OK;
}

HRESULT MeshDevice::SetVertexShader(DWORD handle) {
  trace.push_back({"SetVertexShader", {handle}});
  return D3D_OK;
}

// Only recorded: the buffers hold the device, so keeping them here would keep both alive.
HRESULT MeshDevice::SetStreamSource(UINT number, IDirect3DVertexBuffer8* vb, UINT stride) {
  trace.push_back({"SetStreamSource", {number, stride}});
  stream = vb;
  return D3D_OK;
}

HRESULT MeshDevice::SetIndices(IDirect3DIndexBuffer8* ib, UINT base) {
  trace.push_back({"SetIndices", {base}});
  indices = ib;
  return D3D_OK;
}

HRESULT MeshDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                         UINT startIndex, UINT primCount) {
  trace.push_back({"DrawIndexedPrimitive", {DWORD(type), minIndex, numVertices, startIndex, primCount}});
  return D3D_OK;
}

HRESULT MeshDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primCount, const void* data, UINT stride) {
  trace.push_back({"DrawPrimitiveUP", {DWORD(type), primCount, stride}});
  const BYTE* bytes = static_cast<const BYTE*>(data);
  upVertices.emplace_back(bytes, bytes + size_t(stride) * 3 * primCount);
  return D3D_OK;
}

std::vector<DeviceCall> MeshDevice::draws() const {
  std::vector<DeviceCall> out;
  for (const DeviceCall& c : trace)
    if (c.name.rfind("Draw", 0) == 0) out.push_back(c);
  return out;
}

}  // namespace zentu::test
