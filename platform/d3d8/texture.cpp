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
    : TextureResource(ObjectClass::kTexture, kInterface, IID_IDirect3DTexture8, device, usage, format, pool),
      width_(width),
      height_(height),
      requestedLevels_(levels) {}

HRESULT Texture::initialize() {
  UINT n = requestedLevels_ ? requestedLevels_ : fullLevelCount(width_, height_, 1);
  for (UINT i = 0; i < n; ++i) {
    UINT w = levelExtent(width_, i), h = levelExtent(height_, i);
    ImageLayout layout;
    if (computeImageLayout(format_, w, h, 1, &layout) != LayoutResult::kOk)
      return invalidCall("texture too large");
    D3DSURFACE_DESC d{format_, D3DRTYPE_SURFACE, usage_, pool_, 0, D3DMULTISAMPLE_NONE, w, h};
    if (!addImage(std::make_unique<Surface>(core_.device(), Surface::Owner::kContainer,
                                            static_cast<IDirect3DTexture8*>(this), d, layout,
                                            levelsLockable(pool_, usage_), &changes_)))
      return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

void Texture::levelSize(UINT level, UINT* w, UINT* h, UINT* d) const {
  *w = levelExtent(width_, level);
  *h = levelExtent(height_, level);
  *d = 1;
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) {
  return handOutLevel(Level, ppSurfaceLevel, "null surface pointer", "GetSurfaceLevel");
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range")
                                     : level(Level).lockRect(pLockedRect, pRect, Flags);
  return reportFailure(kInterface, "LockRect", hr);
}

HRESULT Texture::UnlockRect(UINT Level) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range") : level(Level).unlockRect();
  return reportFailure(kInterface, "UnlockRect", hr);
}

HRESULT Texture::AddDirtyRect(const RECT*) {
  return D3D_OK;
}  // every level is always current

}  // namespace zentu
