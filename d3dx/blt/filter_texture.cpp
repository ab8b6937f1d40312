// D3DXFilterTexture: fills the mip levels below a source level, face by face, either as a chain
// (point and box: each level from the one above) or every level from the source level.
#include "d3dx/blt/blit.h"
#include "zentu/d3dx_tex.h"

namespace zentu {
namespace {

bool powerOfTwo(UINT v) {
  return v != 0 && (v & (v - 1)) == 0;
}

// Releases an interface pointer when it goes out of scope.
template <class T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }
  void reset(T* q = nullptr) {
    if (p) p->Release();
    p = q;
  }
  T* release() {
    T* q = p;
    p = nullptr;
    return q;
  }
};

// Level `level` of face `face` (surfaces) or the volume level.
HRESULT getSurface(IDirect3DTexture8* tex, IDirect3DCubeTexture8* cube, UINT face, UINT level,
                   IDirect3DSurface8** out) {
  if (cube) return cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, out);
  return tex->GetSurfaceLevel(level, out);
}

}  // namespace
}  // namespace zentu

using namespace zentu;

HRESULT D3DXFilterTexture(LPDIRECT3DBASETEXTURE8 pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                          DWORD Filter) {
  if (!pBaseTexture) return D3DERR_INVALIDCALL;
  const D3DRESOURCETYPE type = pBaseTexture->GetType();
  if (type != D3DRTYPE_TEXTURE && type != D3DRTYPE_VOLUMETEXTURE && type != D3DRTYPE_CUBETEXTURE)
    return D3DERR_INVALIDCALL;

  Ref<IDirect3DTexture8> tex;
  Ref<IDirect3DCubeTexture8> cube;
  Ref<IDirect3DVolumeTexture8> vol;
  HRESULT hr = D3D_OK;
  bool allPowersOfTwo = false;
  if (type == D3DRTYPE_TEXTURE) {
    hr = pBaseTexture->QueryInterface(IID_IDirect3DTexture8, reinterpret_cast<void**>(&tex.p));
    D3DSURFACE_DESC d = {};
    if (SUCCEEDED(hr)) hr = tex.p->GetLevelDesc(0, &d);
    allPowersOfTwo = powerOfTwo(d.Width) && powerOfTwo(d.Height);
  } else if (type == D3DRTYPE_CUBETEXTURE) {
    hr = pBaseTexture->QueryInterface(IID_IDirect3DCubeTexture8, reinterpret_cast<void**>(&cube.p));
    D3DSURFACE_DESC d = {};
    if (SUCCEEDED(hr)) hr = cube.p->GetLevelDesc(0, &d);
    allPowersOfTwo = powerOfTwo(d.Width) && powerOfTwo(d.Height);
  } else {
    hr = pBaseTexture->QueryInterface(IID_IDirect3DVolumeTexture8, reinterpret_cast<void**>(&vol.p));
    D3DVOLUME_DESC d = {};
    if (SUCCEEDED(hr)) hr = vol.p->GetLevelDesc(0, &d);
    allPowersOfTwo = powerOfTwo(d.Width) && powerOfTwo(d.Height) && powerOfTwo(d.Depth);
  }
  if (FAILED(hr)) return hr;

  if (Filter == D3DX_DEFAULT)
    Filter = allPowersOfTwo ? D3DX_FILTER_BOX : (D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER);
  // Cube faces meet at their edges: wrapping round one face would be wrong.
  if (cube.p) Filter |= D3DX_FILTER_MIRROR;
  if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
  const UINT levels = pBaseTexture->GetLevelCount();
  if (SrcLevel >= levels) return D3DERR_INVALIDCALL;
  const DWORD filterType = Filter & 0xFF;
  const bool chain = filterType == D3DX_FILTER_POINT || filterType == D3DX_FILTER_BOX;

  const UINT faces = cube.p ? 6 : 1;
  for (UINT face = 0; face < faces; ++face) {
    if (vol.p) {
      Ref<IDirect3DVolume8> source;
      hr = vol.p->GetVolumeLevel(SrcLevel, &source.p);
      if (FAILED(hr)) return hr;
      for (UINT level = SrcLevel + 1; level < levels; ++level) {
        Ref<IDirect3DVolume8> dest;
        hr = vol.p->GetVolumeLevel(level, &dest.p);
        if (FAILED(hr)) return hr;
        hr = D3DXLoadVolumeFromVolume(dest.p, pPalette, nullptr, source.p, pPalette, nullptr, Filter, 0);
        if (FAILED(hr)) return hr;
        if (chain) source.reset(dest.release());
      }
    } else {
      Ref<IDirect3DSurface8> source;
      hr = getSurface(tex.p, cube.p, face, SrcLevel, &source.p);
      if (FAILED(hr)) return hr;
      for (UINT level = SrcLevel + 1; level < levels; ++level) {
        Ref<IDirect3DSurface8> dest;
        hr = getSurface(tex.p, cube.p, face, level, &dest.p);
        if (FAILED(hr)) return hr;
        hr = D3DXLoadSurfaceFromSurface(dest.p, pPalette, nullptr, source.p, pPalette, nullptr, Filter, 0);
        if (FAILED(hr)) return hr;
        if (chain) source.reset(dest.release());
      }
    }
  }
  return D3D_OK;
}
