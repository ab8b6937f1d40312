// What every resource shares: storage allocation, the device link, private data, and the checks
// of lock rectangles, boxes and flags.
#include <atomic>
#include <cstring>
#include <new>

#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {

bool allocateStorage(std::vector<BYTE>& storage, uint32_t size) {
  try {
    storage.assign(size, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

ResourceCore::ResourceCore(Device* device) : device_(device) {
  device_->childCreated();
}

ResourceCore::~ResourceCore() {
  device_->childDestroyed();
}

HRESULT ResourceCore::getDevice(IDirect3DDevice8** ppDevice) const {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

template <class Interface, class Desc>
ImageResource<Interface, Desc>::ImageResource(ObjectClass objectClass, const char* interfaceName,
                                              Device* device, IUnknown* container, const Desc& desc,
                                              const ImageLayout& layout, bool lockable,
                                              uint64_t* containerChanges)
    : Accounted(objectClass),
      device_(device),
      container_(container),
      desc_(desc),
      layout_(layout),
      format_(findFormatLayout(desc.Format)),
      interfaceName_(interfaceName),
      lockable_(lockable) {
  desc_.Size = layout.size;
  changes_.container = containerChanges;
}

template <class Interface, class Desc>
HRESULT ImageResource<Interface, Desc>::GetDevice(IDirect3DDevice8** ppDevice) {
  HRESULT hr = D3D_OK;
  if (!ppDevice) {
    hr = invalidCall("null device pointer");
  } else {
    device_->AddRef();
    *ppDevice = device_;
  }
  return reportFailure(interfaceName_, "GetDevice", hr);
}

template <class Interface, class Desc>
HRESULT ImageResource<Interface, Desc>::SetPrivateData(REFGUID g, const void* d, DWORD s, DWORD f) {
  return reportFailure(interfaceName_, "SetPrivateData", private_.set(g, d, s, f));
}

template <class Interface, class Desc>
HRESULT ImageResource<Interface, Desc>::GetPrivateData(REFGUID g, void* d, DWORD* s) {
  return private_.get(g, d, s);
}

template <class Interface, class Desc>
HRESULT ImageResource<Interface, Desc>::FreePrivateData(REFGUID g) {
  return private_.free(g);
}

template <class Interface, class Desc>
HRESULT ImageResource<Interface, Desc>::GetDesc(Desc* pDesc) {
  if (!pDesc) return reportFailure(interfaceName_, "GetDesc", invalidCall("null description"));
  *pDesc = desc_;
  return D3D_OK;
}

template <class Interface, class Desc>
BYTE* ImageResource<Interface, Desc>::takeLock(DWORD flags) {
  locked_ = true;
  lockedReadOnly_ = (flags & D3DLOCK_READONLY) != 0;
  return storage_.data();
}

template <class Interface, class Desc>
HRESULT ImageResource<Interface, Desc>::releaseLock(const char* notLocked) {
  if (!locked_) return invalidCall(notLocked);
  locked_ = false;
  if (!lockedReadOnly_) changes_.bump();
  return D3D_OK;
}

template class ImageResource<IDirect3DSurface8, D3DSURFACE_DESC>;
template class ImageResource<IDirect3DVolume8, D3DVOLUME_DESC>;

HRESULT PrivateData::set(REFGUID guid, const void* data, DWORD size, DWORD flags) {
  if (flags & D3DSPD_IUNKNOWN) return E_NOTIMPL;  // interface pointers as private data
  if (flags || (!data && size)) return D3DERR_INVALIDCALL;
  free(guid);
  std::vector<BYTE> bytes;
  if (!allocateStorage(bytes, size)) return E_OUTOFMEMORY;
  if (size) std::memcpy(bytes.data(), data, size);
  entries_.emplace_back(guid, std::move(bytes));
  return D3D_OK;
}

HRESULT PrivateData::get(REFGUID guid, void* data, DWORD* size) const {
  if (!size) return D3DERR_INVALIDCALL;
  for (const auto& e : entries_) {
    if (e.first != guid) continue;
    DWORD have = static_cast<DWORD>(e.second.size());
    if (!data || *size < have) {
      *size = have;
      return D3DERR_MOREDATA;
    }
    if (have) std::memcpy(data, e.second.data(), have);
    *size = have;
    return D3D_OK;
  }
  return D3DERR_NOTFOUND;
}

HRESULT PrivateData::free(REFGUID guid) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == guid) {
      entries_.erase(it);
      return D3D_OK;
    }
  }
  return D3DERR_NOTFOUND;
}

namespace {
bool onBlockEdge(uint64_t v, UINT block, UINT extent) {
  return v % block == 0 || v == extent;
}
}  // namespace

const char* checkRect(const FormatLayout& format, UINT width, UINT height, const RECT* rect, RECT* out) {
  if (!rect) {
    *out = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    return nullptr;
  }
  if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top)
    return "empty or negative rectangle";
  if (static_cast<uint64_t>(rect->right) > width || static_cast<uint64_t>(rect->bottom) > height)
    return "rectangle outside the surface";
  if (!onBlockEdge(rect->left, format.blockWidth, width) ||
      !onBlockEdge(rect->right, format.blockWidth, width) ||
      !onBlockEdge(rect->top, format.blockHeight, height) ||
      !onBlockEdge(rect->bottom, format.blockHeight, height))
    return "rectangle not on block edges";
  *out = *rect;
  return nullptr;
}

const char* checkBox(const FormatLayout& format, UINT width, UINT height, UINT depth, const D3DBOX* box,
                     D3DBOX* out) {
  if (!box) {
    *out = {0, 0, width, height, 0, depth};
    return nullptr;
  }
  if (box->Right <= box->Left || box->Bottom <= box->Top || box->Back <= box->Front) return "empty box";
  if (box->Right > width || box->Bottom > height || box->Back > depth) return "box outside the volume";
  if (!onBlockEdge(box->Left, format.blockWidth, width) ||
      !onBlockEdge(box->Right, format.blockWidth, width) ||
      !onBlockEdge(box->Top, format.blockHeight, height) ||
      !onBlockEdge(box->Bottom, format.blockHeight, height))
    return "box not on block edges";
  *out = *box;
  return nullptr;
}

const char* checkLockFlags(DWORD flags) {
  const DWORD known =
      D3DLOCK_READONLY | D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK | D3DLOCK_NO_DIRTY_UPDATE;
  if (flags & ~known) return "unknown lock flags";
  if ((flags & D3DLOCK_READONLY) && (flags & (D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE)))
    return "read-only lock cannot discard or promise no overwrite";
  return nullptr;
}

uint64_t nextResourceId() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

TextureBase* asTextureBase(IDirect3DBaseTexture8* texture) {
  return texture ? dynamic_cast<TextureBase*>(texture) : nullptr;
}

}  // namespace zentu
