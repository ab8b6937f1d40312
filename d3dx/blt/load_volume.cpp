// D3DXLoadVolumeFromMemory and D3DXLoadVolumeFromVolume: lock, describe, blit, unlock.
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3dx/blt/blit.h"
#include "d3dx/blt/image_lock.h"
#include "zentu/d3dx_tex.h"

using namespace zentu;

HRESULT D3DXLoadVolumeFromMemory(LPDIRECT3DVOLUME8 pDestVolume, const PALETTEENTRY* pDestPalette,
                                 const D3DBOX* pDestBox, LPCVOID pSrcMemory, D3DFORMAT SrcFormat,
                                 UINT SrcRowPitch, UINT SrcSlicePitch, const PALETTEENTRY* pSrcPalette,
                                 const D3DBOX* pSrcBox, DWORD Filter, D3DCOLOR ColorKey) {
  if (!pDestVolume || !pSrcMemory || !pSrcBox) return D3DERR_INVALIDCALL;
  if (pSrcBox->Left > pSrcBox->Right || pSrcBox->Top > pSrcBox->Bottom || pSrcBox->Front > pSrcBox->Back)
    return D3DERR_INVALIDCALL;
  if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;

  VolumeLock lock;
  ImageDesc dest;
  HRESULT hr = lock.LockImage(&dest, pDestVolume, pDestPalette, pDestBox, 0, 0);
  if (FAILED(hr)) return hr;

  ImageDesc source;
  source.Bits = const_cast<void*>(pSrcMemory);  // read only: the source codec never writes
  source.Format = SrcFormat;
  source.RowPitch = SrcRowPitch;
  source.SlicePitch = SrcSlicePitch;
  source.Extent = *pSrcBox;
  source.Region = *pSrcBox;
  source.ColorKey = ColorKey;
  source.Palette = pSrcPalette;

  hr = Blit(dest, source, Filter);
  lock.UnlockImage();
  return FAILED(hr) ? hr : D3D_OK;
}

HRESULT D3DXLoadVolumeFromVolume(LPDIRECT3DVOLUME8 pDestVolume, const PALETTEENTRY* pDestPalette,
                                 const D3DBOX* pDestBox, LPDIRECT3DVOLUME8 pSrcVolume,
                                 const PALETTEENTRY* pSrcPalette, const D3DBOX* pSrcBox, DWORD Filter,
                                 D3DCOLOR ColorKey) {
  if (!pDestVolume || !pSrcVolume) return D3DERR_INVALIDCALL;
  VolumeLock lock;
  ImageDesc source;
  const DWORD flags = kLockReadOnly | (pSrcVolume == pDestVolume ? kLockSameSurface : 0);
  HRESULT hr = lock.LockImage(&source, pSrcVolume, pSrcPalette, pSrcBox, 0, flags);
  if (FAILED(hr)) return hr;
  // Volumes have no staging copy: a volume loaded onto itself is read from a private copy of the
  // locked slices, so that writing the destination cannot change pixels still to be read.
  std::vector<BYTE> copy;
  if (flags & kLockSameSurface) {
    const uint64_t bytes = static_cast<uint64_t>(source.SlicePitch) * source.Region.Back;
    if (bytes > SIZE_MAX || !TryResize(copy, static_cast<size_t>(bytes))) return E_OUTOFMEMORY;
    std::memcpy(copy.data(), source.Bits, copy.size());
    source.Bits = copy.data();
    lock.UnlockImage();
  }
  hr = D3DXLoadVolumeFromMemory(pDestVolume, pDestPalette, pDestBox, source.Bits, source.Format,
                                source.RowPitch, source.SlicePitch, pSrcPalette, &source.Region, Filter,
                                ColorKey);
  lock.UnlockImage();
  return FAILED(hr) ? hr : D3D_OK;
}
