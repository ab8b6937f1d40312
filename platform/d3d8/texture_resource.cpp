// The methods the three texture kinds share.
#include "platform/d3d8/device.h"
#include "platform/d3d8/resources.h"

namespace zentu {

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

}  // namespace zentu
