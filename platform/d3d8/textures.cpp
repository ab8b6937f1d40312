// The three texture kinds: plain textures (a chain of level surfaces), cube textures (six faces
// of level surfaces) and volume textures (a chain of volumes). Every level shares its texture's
// reference count.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {
namespace {
constexpr const char* kTextureInterface = "IDirect3DTexture8";
constexpr const char* kCubeInterface = "IDirect3DCubeTexture8";
constexpr const char* kVolumeInterface = "IDirect3DVolumeTexture8";
}  // namespace

bool levelsLockable(D3DPOOL pool, DWORD usage) {
  return pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
}

// What the three kinds share.

template <class Interface, class Image>
TextureResource<Interface, Image>::TextureResource(ObjectClass objectClass, const char* interfaceName,
                                                   const GUID& iid, Device* device, DWORD usage,
                                                   D3DFORMAT format, D3DPOOL pool)
    : Accounted(objectClass),
      core_(device),
      interfaceName_(interfaceName),
      iid_(&iid),
      usage_(usage),
      format_(format),
      pool_(pool) {}

template <class Interface, class Image>
TextureResource<Interface, Image>::~TextureResource() {
  core_.device()->renderer().forget(id_);
}

template <class Interface, class Image>
HRESULT TextureResource<Interface, Image>::QueryInterface(REFIID riid, void** ppvObj) {
  return queryAmong(static_cast<Interface*>(this), riid, ppvObj,
                    {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DBaseTexture8, iid_});
}

template <class Interface, class Image>
ULONG TextureResource<Interface, Image>::Release() {
  assertLive();
  ULONG r = core_.release();
  if (r == 0) delete this;
  return r;
}

template <class Interface, class Image>
DWORD TextureResource<Interface, Image>::SetLOD(DWORD LODNew) {
  DWORD old = lod_;
  if (pool_ == D3DPOOL_MANAGED) lod_ = LODNew < levelCount() ? LODNew : levelCount() - 1;
  return old;
}

template <class Interface, class Image>
HRESULT TextureResource<Interface, Image>::GetLevelDesc(UINT Level, LevelDesc* pDesc) {
  HRESULT hr = D3D_OK;
  if (Level >= levelCount())
    hr = invalidCall("level out of range");
  else if (!pDesc)
    hr = invalidCall("null description");
  else
    *pDesc = image(0, Level)->desc();
  return reportFailure(interfaceName_, "GetLevelDesc", hr);
}

template <class Interface, class Image>
BYTE* TextureResource<Interface, Image>::levelBits(UINT face, UINT level, const ImageLayout** layout) {
  Image* l = image(face, level);
  *layout = &l->layout();
  return l->bits();
}

template <class Interface, class Image>
bool TextureResource<Interface, Image>::anyLevelLocked() const {
  for (const auto& l : images_)
    if (l->locked()) return true;
  return false;
}

template <class Interface, class Image>
bool TextureResource<Interface, Image>::addImage(std::unique_ptr<Image> image) {
  images_.push_back(std::move(image));
  return images_.back()->allocate();
}

template class TextureResource<IDirect3DTexture8, Surface>;
template class TextureResource<IDirect3DCubeTexture8, Surface>;
template class TextureResource<IDirect3DVolumeTexture8, Volume>;

// Plain textures.

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                 D3DPOOL pool)
    : TextureResource(ObjectClass::kTexture, kTextureInterface, IID_IDirect3DTexture8, device, usage, format,
                      pool),
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
  return reportFailure(kTextureInterface, "LockRect", hr);
}

HRESULT Texture::UnlockRect(UINT Level) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range") : level(Level).unlockRect();
  return reportFailure(kTextureInterface, "UnlockRect", hr);
}

HRESULT Texture::AddDirtyRect(const RECT*) {
  return D3D_OK;
}  // every level is always current

// Cube textures.

CubeTexture::CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : TextureResource(ObjectClass::kCubeTexture, kCubeInterface, IID_IDirect3DCubeTexture8, device, usage,
                      format, pool),
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
  return reportFailure(kCubeInterface, "GetCubeMapSurface", hr);
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect,
                              const RECT* pRect, DWORD Flags) {
  HRESULT hr = static_cast<UINT>(FaceType) >= 6 || Level >= levels_
                   ? invalidCall("face or level out of range")
                   : surface(FaceType, Level)->lockRect(pLockedRect, pRect, Flags);
  return reportFailure(kCubeInterface, "LockRect", hr);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) {
  HRESULT hr = static_cast<UINT>(FaceType) >= 6 || Level >= levels_
                   ? invalidCall("face or level out of range")
                   : surface(FaceType, Level)->unlockRect();
  return reportFailure(kCubeInterface, "UnlockRect", hr);
}

HRESULT CubeTexture::AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT*) {
  return static_cast<UINT>(FaceType) >= 6
             ? reportFailure(kCubeInterface, "AddDirtyRect", invalidCall("face out of range"))
             : D3D_OK;
}

// Volume textures.

VolumeTexture::VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                             D3DFORMAT format, D3DPOOL pool)
    : TextureResource(ObjectClass::kVolumeTexture, kVolumeInterface, IID_IDirect3DVolumeTexture8, device,
                      usage, format, pool),
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
  return reportFailure(kVolumeInterface, "LockBox", hr);
}

HRESULT VolumeTexture::UnlockBox(UINT Level) {
  HRESULT hr = Level >= levelCount() ? invalidCall("level out of range") : level(Level).unlockBox();
  return reportFailure(kVolumeInterface, "UnlockBox", hr);
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX*) {
  return D3D_OK;
}

}  // namespace zentu
