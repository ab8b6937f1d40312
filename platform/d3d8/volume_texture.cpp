// Volume textures: a chain of volumes sharing the texture's reference count.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DVolumeTexture8";
}

VolumeTexture::VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                             D3DFORMAT format, D3DPOOL pool)
    : TextureResource(ObjectClass::kVolumeTexture, kInterface, IID_IDirect3DVolumeTexture8, device, usage,
                      format, pool),
      width_(width),
      height_(height),
      depth_(depth),
      requestedLevels_(levels) {}

HRESULT VolumeTexture::initialize() {
  UINT n = requestedLevels_ ? requestedLevels_ : fullLevelCount(width_, height_, depth_);
  for (UINT i = 0; i < n; ++i) {
    UINT w = levelExtent(width_, i), h = levelExtent(height_, i), d = levelExtent(depth_, i);
    ImageLayout layout;
    if (computeImageLayout(format_, w, h, d, &layout) != LayoutResult::kOk)
      return invalidCall("volume texture too large");
    D3DVOLUME_DESC desc{format_, D3DRTYPE_VOLUME, usage_, pool_, 0, w, h, d};
    if (!addImage(std::make_unique<Volume>(core_.device(), static_cast<IDirect3DVolumeTexture8*>(this), desc,
                                           layout, levelsLockable(pool_, usage_), &changes_)))
      return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

void VolumeTexture::levelSize(UINT level, UINT* w, UINT* h, UINT* d) const {
  *w = levelExtent(width_, level);
  *h = levelExtent(height_, level);
  *d = levelExtent(depth_, level);
}

HRESULT VolumeTexture::GetVolumeLevel(UINT Level, IDirect3DVolume8** ppVolumeLevel) {
  return handOutLevel(Level, ppVolumeLevel, "null volume pointer", "GetVolumeLevel");
}

HRESULT VolumeTexture::LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range")
                                     : level(Level).lockBox(pLockedVolume, pBox, Flags);
  return reportFailure(kInterface, "LockBox", hr);
}

HRESULT VolumeTexture::UnlockBox(UINT Level) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range") : level(Level).unlockBox();
  return reportFailure(kInterface, "UnlockBox", hr);
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX*) {
  return D3D_OK;
}

}  // namespace zentu
