// Volume textures: a chain of volumes sharing the texture's reference count.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DVolumeTexture8";
}

VolumeTexture::VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                             D3DFORMAT format, D3DPOOL pool)
    : Accounted(ObjectClass::kVolumeTexture),
      core_(device),
      width_(width),
      height_(height),
      depth_(depth),
      requestedLevels_(levels),
      usage_(usage),
      format_(format),
      pool_(pool) {}

VolumeTexture::~VolumeTexture() {
  core_.device()->renderer().forget(id_);
}

HRESULT VolumeTexture::initialize() {
  UINT n = requestedLevels_ ? requestedLevels_ : fullLevelCount(width_, height_, depth_);
  for (UINT i = 0; i < n; ++i) {
    UINT w = levelExtent(width_, i), h = levelExtent(height_, i), d = levelExtent(depth_, i);
    ImageLayout layout;
    if (computeImageLayout(format_, w, h, d, &layout) != LayoutResult::kOk)
      return invalidCall("volume texture too large");
    D3DVOLUME_DESC desc{format_, D3DRTYPE_VOLUME, usage_, pool_, 0, w, h, d};
    levels_.push_back(std::make_unique<Volume>(core_.device(), static_cast<IDirect3DVolumeTexture8*>(this),
                                               desc, layout, levelsLockable(pool_, usage_), &changes_));
    if (!levels_.back()->allocate()) return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT VolumeTexture::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(
      static_cast<IDirect3DVolumeTexture8*>(this), riid, ppvObj,
      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DBaseTexture8, &IID_IDirect3DVolumeTexture8});
}

ULONG VolumeTexture::Release() {
  assertLive();
  ULONG r = core_.release();
  if (r == 0) delete this;
  return r;
}

DWORD VolumeTexture::SetLOD(DWORD LODNew) {
  DWORD old = lod_;
  if (pool_ == D3DPOOL_MANAGED) lod_ = LODNew < levelCount() ? LODNew : levelCount() - 1;
  return old;
}

void VolumeTexture::levelSize(UINT level, UINT* w, UINT* h, UINT* d) const {
  *w = levelExtent(width_, level);
  *h = levelExtent(height_, level);
  *d = levelExtent(depth_, level);
}

BYTE* VolumeTexture::levelBits(UINT, UINT level, const ImageLayout** layout) {
  *layout = &levels_[level]->layout();
  return levels_[level]->bits();
}

bool VolumeTexture::anyLevelLocked() const {
  for (const auto& l : levels_)
    if (l->locked()) return true;
  return false;
}

HRESULT VolumeTexture::GetLevelDesc(UINT Level, D3DVOLUME_DESC* pDesc) {
  HRESULT hr = D3D_OK;
  if (Level >= levelCount())
    hr = invalidCall("level out of range");
  else if (!pDesc)
    hr = invalidCall("null description");
  else
    *pDesc = levels_[Level]->desc();
  return reportFailure(kInterface, "GetLevelDesc", hr);
}

HRESULT VolumeTexture::GetVolumeLevel(UINT Level, IDirect3DVolume8** ppVolumeLevel) {
  HRESULT hr = D3D_OK;
  if (!ppVolumeLevel) {
    hr = invalidCall("null volume pointer");
  } else if (Level >= levelCount()) {
    *ppVolumeLevel = nullptr;
    hr = invalidCall("level out of range");
  } else {
    levels_[Level]->AddRef();
    *ppVolumeLevel = levels_[Level].get();
  }
  return reportFailure(kInterface, "GetVolumeLevel", hr);
}

HRESULT VolumeTexture::LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range")
                                     : levels_[Level]->lockBox(pLockedVolume, pBox, Flags);
  return reportFailure(kInterface, "LockBox", hr);
}

HRESULT VolumeTexture::UnlockBox(UINT Level) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range") : levels_[Level]->unlockBox();
  return reportFailure(kInterface, "UnlockBox", hr);
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX*) {
  return D3D_OK;
}

}  // namespace zentu
