// What a mesh asks of its device after each resize: whether the device can draw its index range in
// hardware, and the vertex-cache size and magic number the optimiser orders for, remembered
// process-wide for the last device asked.
#include "d3dx/math/services.h"
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

constexpr DWORD kUnusedCacheVendor = 0x1002;  // devices 0x5144 to 0x5147 report a cache that is not used

}  // namespace

VertexCacheMemo& vertexCacheMemo() {
  static VertexCacheMemo memo;
  return memo;
}

HRESULT Mesh::queryDevice() {
  D3DCAPS8 caps;
  HRESULT hr = device->GetDeviceCaps(&caps);
  if (FAILED(hr)) return hr;
  Ref<IDirect3D8> direct3d;
  if (FAILED(hr = device->GetDirect3D(direct3d.put()))) return hr;
  D3DADAPTER_IDENTIFIER8 adapter;
  if (FAILED(hr = direct3d->GetAdapterIdentifier(caps.AdapterOrdinal, D3DENUM_NO_WHQL_LEVEL, &adapter)))
    return hr;
  if (adapter.VendorId == kUnusedCacheVendor && adapter.DeviceId >= 0x5144 && adapter.DeviceId <= 0x5147)
    state |= MESHSTATE_NO_VCACHE;
  if (caps.MaxVertexIndex < vertexCapacity || caps.MaxVertexIndex <= 0xFFFF ||
      caps.MaxPrimitiveCount < faceCapacity)
    state |= MESHSTATE_SOFTWARE_DRAW;

  if (state & MESHSTATE_NO_VCACHE) {
    vertexCacheSize = vertexCacheMagic = 0;
    return D3D_OK;
  }
  VertexCacheMemo& memo = vertexCacheMemo();
  if (memo.device != device || memo.vendorId != adapter.VendorId || memo.deviceId != adapter.DeviceId) {
    D3DDEVINFO_VCACHE info = {};
    MuteDebugRuntime(1);
    HRESULT answer = device->GetInfo(D3DDEVINFOID_VCACHE, &info, sizeof info);
    MuteDebugRuntime(0);
    if (FAILED(answer) || answer == S_FALSE || info.Pattern != MAKEFOURCC('C', 'A', 'C', 'H'))
      info.OptMethod = 1, info.CacheSize = 12, info.MagicNumber = 7;
    memo.device = device;
    memo.vendorId = adapter.VendorId;
    memo.deviceId = adapter.DeviceId;
    memo.size = info.OptMethod == 0 ? 0 : info.CacheSize;
    memo.magic = info.OptMethod == 0 ? 0 : info.MagicNumber;
  }
  vertexCacheSize = memo.size;
  vertexCacheMagic = memo.magic;
  return D3D_OK;
}

}  // namespace zentu
