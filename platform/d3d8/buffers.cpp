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

template <class Interface, class Desc>
BufferResource<Interface, Desc>::BufferResource(ObjectClass objectClass, const char* interfaceName,
                                                const GUID& iid, Device* device, const Desc& desc)
    : Accounted(objectClass), core_(device), interfaceName_(interfaceName), iid_(&iid), desc_(desc) {}

template <class Interface, class Desc>
BufferResource<Interface, Desc>::~BufferResource() {
  core_.device()->renderer().forget(storage_.resourceId());
}

template <class Interface, class Desc>
HRESULT BufferResource<Interface, Desc>::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<Interface*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DResource8, iid_});
}

template <class Interface, class Desc>
ULONG BufferResource<Interface, Desc>::Release() {
  assertLive();
  ULONG r = core_.release();
  if (r == 0) delete this;
  return r;
}

template <class Interface, class Desc>
HRESULT BufferResource<Interface, Desc>::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData,
                                              DWORD Flags) {
  return reportFailure(interfaceName_, "Lock", storage_.lock(OffsetToLock, SizeToLock, ppbData, Flags));
}

template <class Interface, class Desc>
HRESULT BufferResource<Interface, Desc>::Unlock() {
  return reportFailure(interfaceName_, "Unlock", storage_.unlock());
}

template <class Interface, class Desc>
HRESULT BufferResource<Interface, Desc>::GetDesc(Desc* pDesc) {
  if (!pDesc) return reportFailure(interfaceName_, "GetDesc", invalidCall("null description"));
  *pDesc = desc_;
  return D3D_OK;
}

template class BufferResource<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>;
template class BufferResource<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>;

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : BufferResource(ObjectClass::kVertexBuffer, "IDirect3DVertexBuffer8", IID_IDirect3DVertexBuffer8, device,
                     {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf}) {}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : BufferResource(ObjectClass::kIndexBuffer, "IDirect3DIndexBuffer8", IID_IDirect3DIndexBuffer8, device,
                     {format, D3DRTYPE_INDEXBUFFER, usage, pool, length}) {}

}  // namespace zentu
