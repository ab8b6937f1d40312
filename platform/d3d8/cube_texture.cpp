// Cube textures: six faces of level surfaces sharing the texture's reference count.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kInterface = "IDirect3DCubeTexture8";
}

CubeTexture::CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : TextureResource(ObjectClass::kCubeTexture, kInterface, IID_IDirect3DCubeTexture8, device, usage, format,
                      pool),
      edge_(edge),
      levels_(levels ? levels : fullLevelCount(edge, edge, 1)) {}

HRESULT CubeTexture::initialize() {
  for (UINT face = 0; face < 6; ++face) {
    for (UINT i = 0; i < levels_; ++i) {
      UINT e = levelExtent(edge_, i);
      ImageLayout layout;
      if (computeImageLayout(format_, e, e, 1, &layout) != LayoutResult::kOk)
        return invalidCall("cube texture too large");
      D3DSURFACE_DESC d{format_, D3DRTYPE_SURFACE, usage_, pool_, 0, D3DMULTISAMPLE_NONE, e, e};
      if (!addImage(std::make_unique<Surface>(core_.device(), Surface::Owner::kContainer,
                                              static_cast<IDirect3DCubeTexture8*>(this), d, layout,
                                              levelsLockable(pool_, usage_), &changes_)))
        return E_OUTOFMEMORY;
    }
  }
  return D3D_OK;
}

void CubeTexture::levelSize(UINT level, UINT* w, UINT* h, UINT* d) const {
  *w = *h = levelExtent(edge_, level);
  *d = 1;
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level,
                                       IDirect3DSurface8** ppCubeMapSurface) {
  HRESULT hr = D3D_OK;
  if (!ppCubeMapSurface) {
    hr = invalidCall("null surface pointer");
  } else if (static_cast<UINT>(FaceType) >= 6 || Level >= levels_) {
    *ppCubeMapSurface = nullptr;
    hr = invalidCall("face or level out of range");
  } else {
    Surface* s = surface(FaceType, Level);
    s->AddRef();
    *ppCubeMapSurface = s;
  }
  return reportFailure(kInterface, "GetCubeMapSurface", hr);
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect,
                              const RECT* pRect, DWORD Flags) {
  HRESULT hr = static_cast<UINT>(FaceType) >= 6 || Level >= levels_
                   ? invalidCall("face or level out of range")
                   : surface(FaceType, Level)->lockRect(pLockedRect, pRect, Flags);
  return reportFailure(kInterface, "LockRect", hr);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) {
  HRESULT hr = static_cast<UINT>(FaceType) >= 6 || Level >= levels_
                   ? invalidCall("face or level out of range")
                   : surface(FaceType, Level)->unlockRect();
  return reportFailure(kInterface, "UnlockRect", hr);
}

HRESULT CubeTexture::AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT*) {
  return static_cast<UINT>(FaceType) >= 6
             ? reportFailure(kInterface, "AddDirtyRect", invalidCall("face out of range"))
             : D3D_OK;
}

}  // namespace zentu
