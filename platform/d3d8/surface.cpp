// Surfaces: a texture level, a cube face level, an image surface, a render target, the back
// buffer or the depth buffer, with their locks.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DSurface8";
}

Surface::Surface(Device* device, Owner owner, IUnknown* container, const D3DSURFACE_DESC& desc,
                 const ImageLayout& layout, bool lockable, uint64_t* containerChanges)
    : ImageResource(ObjectClass::kSurface, kInterface, device, container, desc, layout, lockable,
                    containerChanges),
      owner_(owner) {
  if (owner_ == Owner::kSelf) device_->childCreated();
}

Surface::~Surface() {
  if (owner_ == Owner::kSelf) device_->childDestroyed();
}

HRESULT Surface::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<IDirect3DSurface8*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DSurface8});
}

ULONG Surface::AddRef() {
  switch (owner_) {
    case Owner::kContainer:
      return container_->AddRef();
    case Owner::kDevice:
      return device_->AddRef();
    case Owner::kSelf:
      break;
  }
  return ++refs_;
}

ULONG Surface::Release() {
  assertLive();
  switch (owner_) {
    case Owner::kContainer:
      return container_->Release();
    case Owner::kDevice:
      return device_->Release();
    case Owner::kSelf:
      break;
  }
  ULONG r = --refs_;
  if (r == 0) delete this;
  return r;
}

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
  HRESULT hr;
  if (!ppContainer)
    hr = invalidCall("null container pointer");
  else if (owner_ == Owner::kContainer)
    hr = container_->QueryInterface(riid, ppContainer);
  else
    hr = device_->QueryInterface(riid, ppContainer);
  return reportFailure(kInterface, "GetContainer", hr);
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  return reportFailure(kInterface, "LockRect", lockRect(pLockedRect, pRect, Flags));
}

HRESULT Surface::UnlockRect() {
  return reportFailure(kInterface, "UnlockRect", unlockRect());
}

HRESULT Surface::lockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (!locked) return invalidCall("null locked-rectangle record");
  if (const char* why = checkLockFlags(flags)) return invalidCall(why);
  if (!lockable_)
    return invalidCall(
        "surface is not lockable (default pool without D3DUSAGE_DYNAMIC, or a "
        "render target or depth buffer made without lock access)");
  if (locked_) return invalidCall("surface is already locked");
  RECT r;
  if (const char* why = checkRect(*format_, desc_.Width, desc_.Height, rect, &r)) return invalidCall(why);
  if (owner_ == Owner::kDevice) device_->readBack(*this);
  const uint64_t offset =
      uint64_t{static_cast<uint32_t>(r.top) / format_->blockHeight} * layout_.rowPitch +
      uint64_t{static_cast<uint32_t>(r.left) / format_->blockWidth} * format_->bytesPerBlock;
  locked->Pitch = static_cast<INT>(layout_.rowPitch);
  locked->pBits = takeLock(flags) + offset;
  return D3D_OK;
}

HRESULT Surface::unlockRect() {
  return releaseLock("surface is not locked");
}

}  // namespace zentu
