// Volumes: the levels of a volume texture, with their box locks.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DVolume8";
}

Volume::Volume(Device* device, IUnknown* container, const D3DVOLUME_DESC& desc, const ImageLayout& layout,
               bool lockable, uint64_t* containerChanges)
    : ImageResource(ObjectClass::kVolume, kInterface, device, container, desc, layout, lockable,
                    containerChanges) {}

HRESULT Volume::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<IDirect3DVolume8*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DVolume8});
}

ULONG Volume::AddRef() {
  return container_->AddRef();
}
ULONG Volume::Release() {
  return container_->Release();
}

HRESULT Volume::GetContainer(REFIID riid, void** ppContainer) {
  HRESULT hr =
      ppContainer ? container_->QueryInterface(riid, ppContainer) : invalidCall("null container pointer");
  return reportFailure(kInterface, "GetContainer", hr);
}

HRESULT Volume::LockBox(D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) {
  return reportFailure(kInterface, "LockBox", lockBox(pLockedVolume, pBox, Flags));
}

HRESULT Volume::UnlockBox() {
  return reportFailure(kInterface, "UnlockBox", unlockBox());
}

HRESULT Volume::lockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) {
  if (!locked) return invalidCall("null locked-box record");
  if (const char* why = checkLockFlags(flags)) return invalidCall(why);
  if (!lockable_) return invalidCall("volume is not lockable (default pool without D3DUSAGE_DYNAMIC)");
  if (locked_) return invalidCall("volume is already locked");
  D3DBOX b;
  if (const char* why = checkBox(*format_, desc_.Width, desc_.Height, desc_.Depth, box, &b))
    return invalidCall(why);
  const uint64_t offset = uint64_t{b.Front} * layout_.slicePitch +
                          uint64_t{b.Top / format_->blockHeight} * layout_.rowPitch +
                          uint64_t{b.Left / format_->blockWidth} * format_->bytesPerBlock;
  locked->RowPitch = static_cast<INT>(layout_.rowPitch);
  locked->SlicePitch = static_cast<INT>(layout_.slicePitch);
  locked->pBits = takeLock(flags) + offset;
  return D3D_OK;
}

HRESULT Volume::unlockBox() {
  return releaseLock("volume is not locked");
}

}  // namespace zentu
