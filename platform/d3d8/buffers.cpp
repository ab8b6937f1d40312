// Vertex and index buffers: byte arrays with nested locks (each Lock needs its Unlock).
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {

HRESULT BufferStorage::lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
  if (!data) return invalidCall("null data pointer");
  *data = nullptr;
  if (const char* why = checkLockFlags(flags)) return invalidCall(why);
  const uint64_t len = bytes_.size();
  if (offset > len || uint64_t{offset} + size > len) return invalidCall("range outside the buffer");
  if (offset == len && len) return invalidCall("range outside the buffer");
  ++lockCount_;
  if (!(flags & D3DLOCK_READONLY)) writeLocked_ = true;
  *data = bytes_.data() + offset;
  return D3D_OK;
}

HRESULT BufferStorage::unlock() {
  if (lockCount_ == 0) return invalidCall("buffer is not locked");
  if (--lockCount_ == 0 && writeLocked_) {
    writeLocked_ = false;
    ++changes_;
  }
  return D3D_OK;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Accounted(ObjectClass::kVertexBuffer),
      core_(device),
      desc_{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf} {}

VertexBuffer::~VertexBuffer() {
  core_.device()->renderer().forget(storage_.resourceId());
}

HRESULT VertexBuffer::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<IDirect3DVertexBuffer8*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DVertexBuffer8});
}

ULONG VertexBuffer::Release() {
  assertLive();
  ULONG r = core_.release();
  if (r == 0) delete this;
  return r;
}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) {
  return reportFailure("IDirect3DVertexBuffer8", "Lock",
                       storage_.lock(OffsetToLock, SizeToLock, ppbData, Flags));
}

HRESULT VertexBuffer::Unlock() {
  return reportFailure("IDirect3DVertexBuffer8", "Unlock", storage_.unlock());
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (!pDesc) return reportFailure("IDirect3DVertexBuffer8", "GetDesc", invalidCall("null description"));
  *pDesc = desc_;
  return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Accounted(ObjectClass::kIndexBuffer),
      core_(device),
      desc_{format, D3DRTYPE_INDEXBUFFER, usage, pool, length} {}

IndexBuffer::~IndexBuffer() {
  core_.device()->renderer().forget(storage_.resourceId());
}

HRESULT IndexBuffer::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<IDirect3DIndexBuffer8*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DIndexBuffer8});
}

ULONG IndexBuffer::Release() {
  assertLive();
  ULONG r = core_.release();
  if (r == 0) delete this;
  return r;
}

HRESULT IndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) {
  return reportFailure("IDirect3DIndexBuffer8", "Lock",
                       storage_.lock(OffsetToLock, SizeToLock, ppbData, Flags));
}

HRESULT IndexBuffer::Unlock() {
  return reportFailure("IDirect3DIndexBuffer8", "Unlock", storage_.unlock());
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (!pDesc) return reportFailure("IDirect3DIndexBuffer8", "GetDesc", invalidCall("null description"));
  *pDesc = desc_;
  return D3D_OK;
}

}  // namespace zentu
