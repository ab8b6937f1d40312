// MemoryBuffer: the reference-counted block of bytes through which mesh operations hand back
// variable-size results (materials, adjacency, remaps).
#include <memory>
#include <new>

#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {

class MemoryBuffer final : public ID3DXBuffer {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_ID3DXBuffer) return E_NOINTERFACE;
    *ppv = static_cast<ID3DXBuffer*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refCount_; }
  ULONG Release() override {
    ULONG count = --refCount_;
    if (count == 0) delete this;
    return count;
  }
  LPVOID GetBufferPointer() override { return data_.get(); }
  DWORD GetBufferSize() override { return size_; }

  HRESULT init(DWORD size) {
    data_.reset(new (std::nothrow) BYTE[size == 0 ? 1 : size]);
    if (!data_) return E_OUTOFMEMORY;
    size_ = size;
    return S_OK;
  }

 private:
  ~MemoryBuffer() = default;

  [[maybe_unused]] ObjectTally<TalliedKind::Buffer> tally_;
  ULONG refCount_ = 1;
  DWORD size_ = 0;
  std::unique_ptr<BYTE[]> data_;
};

}  // namespace
}  // namespace zentu

HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
  if (!ppBuffer) return D3DERR_INVALIDCALL;
  auto* buffer = new (std::nothrow) zentu::MemoryBuffer;
  if (!buffer) return E_OUTOFMEMORY;
  if (FAILED(buffer->init(NumBytes))) {
    buffer->Release();
    return E_OUTOFMEMORY;
  }
  *ppBuffer = buffer;
  return D3D_OK;
}
