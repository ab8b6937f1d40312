// A small device for the mesh tests: vertex and index buffers in memory, capabilities, adapter
// identity and vertex-cache answer chosen per test, and a trace of the drawing calls. Every object
// counts its references; `liveDeviceObjects()` returns to zero when nothing leaks.
#pragma once

#include <string>
#include <vector>

#include "tests/blt/null_device.h"

namespace zentu::test {

int liveDeviceObjects();

struct DeviceCall {
  std::string name;
  std::vector<DWORD> args;
  bool operator==(const DeviceCall& o) const { return name == o.name && args == o.args; }
};

enum class CacheAnswer { Record, NotAvailable, Fails };

struct DeviceProfile {
  DWORD maxVertexIndex = 0xFFFFFF;
  DWORD maxPrimitiveCount = 0xFFFFF;
  DWORD vendorId = 0x1234;
  DWORD deviceId = 0x0100;
  CacheAnswer cache = CacheAnswer::Record;
  D3DDEVINFO_VCACHE record = {MAKEFOURCC('C', 'A', 'C', 'H'), 1, 24, 9};
};

class MeshDevice;

// Creates a device with one reference for the caller.
MeshDevice* createMeshDevice(const DeviceProfile& profile = DeviceProfile());

class MeshDevice final : public NullDevice {
 public:
  explicit MeshDevice(const DeviceProfile& profile);
  ~MeshDevice();
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override;
  HRESULT GetDirect3D(IDirect3D8** out) override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT GetInfo(DWORD id, void* data, DWORD size) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** out) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** out) override;
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* vb, UINT stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* ib, UINT base) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                               UINT primCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primCount, const void* data, UINT stride) override;

  // Draw calls only (DrawIndexedPrimitive, DrawPrimitiveUP), in order.
  std::vector<DeviceCall> draws() const;

  DeviceProfile profile;
  std::vector<DeviceCall> trace;
  std::vector<std::vector<BYTE>> upVertices;  // the vertices handed to each DrawPrimitiveUP
  int infoQueries = 0;
  ULONG refs = 1;
  IDirect3D8* d3d;
  IDirect3DVertexBuffer8* stream = nullptr;  // last set, not held
  IDirect3DIndexBuffer8* indices = nullptr;
};

}  // namespace zentu::test
