// Plain textures: a chain of level surfaces that share the texture's reference count.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DTexture8";
}

bool levelsLockable(D3DPOOL pool, DWORD usage) {
  return pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
}

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                 D3DPOOL pool)
    : Accounted(ObjectClass::kTexture),
      core_(device),
      width_(width),
      height_(height),
      requestedLevels_(levels),
      usage_(usage),
      format_(format),
      pool_(pool) {}

Texture::~Texture() {
  core_.device()->renderer().forget(id_);
}

HRESULT Texture::initialize() {
  UINT n = requestedLevels_ ? requestedLevels_ : fullLevelCount(width_, height_, 1);
  for (UINT i = 0; i < n; ++i) {
    UINT w = levelExtent(width_, i), h = levelExtent(height_, i);
    ImageLayout layout;
    if (computeImageLayout(format_, w, h, 1, &layout) != LayoutResult::kOk)
      return invalidCall("texture too large");
    D3DSURFACE_DESC d{format_, D3DRTYPE_SURFACE, usage_, pool_, 0, D3DMULTISAMPLE_NONE, w, h};
    levels_.push_back(std::make_unique<Surface>(core_.device(), Surface::Owner::kContainer,
                                                static_cast<IDirect3DTexture8*>(this), d, layout,
                                                levelsLockable(pool_, usage_), &changes_));
    if (!levels_.back()->allocate()) return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Texture::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(
      static_cast<IDirect3DTexture8*>(this), riid, ppvObj,
      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DBaseTexture8, &IID_IDirect3DTexture8});
}

ULONG Texture::Release() {
  assertLive();
  ULONG r = core_.release();
  if (r == 0) delete this;
  return r;
}

DWORD Texture::SetLOD(DWORD LODNew) {
  DWORD old = lod_;
  if (pool_ == D3DPOOL_MANAGED) lod_ = LODNew < levelCount() ? LODNew : levelCount() - 1;
  return old;
}

void Texture::levelSize(UINT level, UINT* w, UINT* h, UINT* d) const {
  *w = levelExtent(width_, level);
  *h = levelExtent(height_, level);
  *d = 1;
}

BYTE* Texture::levelBits(UINT, UINT level, const ImageLayout** layout) {
  *layout = &levels_[level]->layout();
  return levels_[level]->bits();
}

bool Texture::anyLevelLocked() const {
  for (const auto& l : levels_)
    if (l->locked()) return true;
  return false;
}

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  HRESULT hr = D3D_OK;
  if (Level >= levelCount())
    hr = invalidCall("level out of range");
  else if (!pDesc)
    hr = invalidCall("null description");
  else
    *pDesc = levels_[Level]->desc();
  return reportFailure(kInterface, "GetLevelDesc", hr);
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) {
  HRESULT hr = D3D_OK;
  if (!ppSurfaceLevel) {
    hr = invalidCall("null surface pointer");
  } else if (Level >= levelCount()) {
    *ppSurfaceLevel = nullptr;
    hr = invalidCall("level out of range");
  } else {
    levels_[Level]->AddRef();
    *ppSurfaceLevel = levels_[Level].get();
  }
  return reportFailure(kInterface, "GetSurfaceLevel", hr);
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range")
                                     : levels_[Level]->lockRect(pLockedRect, pRect, Flags);
  return reportFailure(kInterface, "LockRect", hr);
}

HRESULT Texture::UnlockRect(UINT Level) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range") : levels_[Level]->unlockRect();
  return reportFailure(kInterface, "UnlockRect", hr);
}

HRESULT Texture::AddDirtyRect(const RECT*) {
  return D3D_OK;
}  // every level is always current

}  // namespace zentu
