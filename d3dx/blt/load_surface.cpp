// D3DXLoadSurfaceFromMemory and D3DXLoadSurfaceFromSurface: lock, describe, blit, unlock.
#include <cstring>

#include "d3dx/blt/blit.h"
#include "d3dx/blt/image_lock.h"
#include "d3dx/math/services.h"
#include "zentu/d3dx_tex.h"

namespace zentu {
namespace {

constexpr DWORD kDefaultFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;

bool palettesMatch(const PALETTEENTRY* a, const PALETTEENTRY* b) {
  if (a == b) return true;
  return a && b && std::memcmp(a, b, 256 * sizeof(PALETTEENTRY)) == 0;
}

bool filterWordValid(DWORD filter) {
  const DWORD type = filter & 0xFFFF;
  return type >= D3DX_FILTER_NONE && type <= D3DX_FILTER_BOX && !(filter & 0xFFF00000u);
}

// `rect`, or the whole surface. Fails for a rectangle that does not lie inside the surface, so that
// only the lock, never the device, judges such a rectangle.
HRESULT surfaceRect(IDirect3DSurface8* surface, const RECT* rect, RECT* out) {
  D3DSURFACE_DESC desc = {};
  const HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (!rect) {
    *out = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    return D3D_OK;
  }
  if (rect->left < 0 || rect->top < 0 || rect->left > rect->right || rect->top > rect->bottom ||
      static_cast<UINT>(rect->right) > desc.Width || static_cast<UINT>(rect->bottom) > desc.Height)
    return D3DERR_INVALIDCALL;
  *out = *rect;
  return D3D_OK;
}

// The device copies equal-sized rectangles itself when it can; false sends the load to the blitter.
bool tryDeviceCopy(IDirect3DSurface8* dest, const RECT* destRect, IDirect3DSurface8* source,
                   const RECT* sourceRect) {
  RECT s, d;
  if (FAILED(surfaceRect(source, sourceRect, &s)) || FAILED(surfaceRect(dest, destRect, &d))) return false;
  if (s.right - s.left != d.right - d.left || s.bottom - s.top != d.bottom - d.top) return false;
  IDirect3DDevice8* device = nullptr;
  if (FAILED(source->GetDevice(&device)) || !device) return false;
  const POINT at = {d.left, d.top};
  MuteDebugRuntime(1);
  const HRESULT hr = device->CopyRects(source, &s, 1, dest, &at);
  MuteDebugRuntime(0);
  device->Release();
  return SUCCEEDED(hr);
}

}  // namespace
}  // namespace zentu

using namespace zentu;

HRESULT D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                  const RECT* pDestRect, LPCVOID pSrcMemory, D3DFORMAT SrcFormat,
                                  UINT SrcPitch, const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                  DWORD Filter, D3DCOLOR ColorKey) {
  if (!pDestSurface || !pSrcMemory || !pSrcRect) return D3DERR_INVALIDCALL;
  // A source rectangle must not be inverted or start before the memory it describes.
  if (pSrcRect->left < 0 || pSrcRect->top < 0 || pSrcRect->left > pSrcRect->right ||
      pSrcRect->top > pSrcRect->bottom)
    return D3DERR_INVALIDCALL;
  if (Filter == D3DX_DEFAULT) Filter = kDefaultFilter;

  SurfaceLock lock;
  ImageDesc dest;
  HRESULT hr = lock.LockImage(&dest, pDestSurface, pDestPalette, pDestRect, 0, 0);
  if (FAILED(hr)) return hr;

  ImageDesc source;
  source.Bits = const_cast<void*>(pSrcMemory);  // read only: the source codec never writes
  source.Format = SrcFormat;
  source.RowPitch = SrcPitch;
  source.SlicePitch = 0;
  source.Extent = {static_cast<UINT>(pSrcRect->left),
                   static_cast<UINT>(pSrcRect->top),
                   static_cast<UINT>(pSrcRect->right),
                   static_cast<UINT>(pSrcRect->bottom),
                   0,
                   1};
  source.Region = source.Extent;
  source.ColorKey = ColorKey;
  source.Palette = pSrcPalette;

  hr = Blit(dest, source, Filter);
  lock.UnlockImage();
  return FAILED(hr) ? hr : D3D_OK;
}

HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                   const RECT* pDestRect, LPDIRECT3DSURFACE8 pSrcSurface,
                                   const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                   D3DCOLOR ColorKey) {
  if (!pDestSurface || !pSrcSurface) return D3DERR_INVALIDCALL;
  // A bad filter word fails here too, not only when the load reaches the blitter.
  if (Filter != D3DX_DEFAULT && !filterWordValid(Filter)) return D3DERR_INVALIDCALL;

  if ((Filter & 0xFFFF) != D3DX_FILTER_BOX && ColorKey == 0 && palettesMatch(pDestPalette, pSrcPalette) &&
      tryDeviceCopy(pDestSurface, pDestRect, pSrcSurface, pSrcRect))
    return D3D_OK;

  SurfaceLock lock;
  ImageDesc source;
  const DWORD flags = kLockReadOnly | (pSrcSurface == pDestSurface ? kLockSameSurface : 0);
  HRESULT hr = lock.LockImage(&source, pSrcSurface, pSrcPalette, pSrcRect, 0, flags);
  if (FAILED(hr)) return hr;
  const RECT rect = {static_cast<LONG>(source.Region.Left), static_cast<LONG>(source.Region.Top),
                     static_cast<LONG>(source.Region.Right), static_cast<LONG>(source.Region.Bottom)};
  hr = D3DXLoadSurfaceFromMemory(pDestSurface, pDestPalette, pDestRect, source.Bits, source.Format,
                                 source.RowPitch, pSrcPalette, &rect, Filter, ColorKey);
  lock.UnlockImage();
  return FAILED(hr) ? hr : D3D_OK;
}
