// Locks that turn a surface or a volume into an ImageDesc for the blitter. A default-pool surface
// that cannot be written directly is read and written through a system-memory staging copy.
#pragma once

#include "d3dx/blt/image_desc.h"

namespace zentu {

constexpr DWORD kLockReadOnly = 0x00001;     // a source: nothing is written back
constexpr DWORD kLockSameSurface = 0x10000;  // source and destination are one surface: read a private copy

class SurfaceLock {
 public:
  SurfaceLock() = default;
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;
  ~SurfaceLock() { UnlockImage(); }

  // Locks `rect` of `surface` (all of it when null) and describes it in `out`. The surface is not
  // referenced: the caller keeps it alive until UnlockImage. A staging surface and the device are
  // held (one reference each) only while locked.
  HRESULT LockImage(ImageDesc* out, IDirect3DSurface8* surface, const PALETTEENTRY* palette, const RECT* rect,
                    D3DCOLOR colorKey, DWORD flags);
  // Unlocks, writing a staging copy back unless read-only. Always D3D_OK.
  HRESULT UnlockImage();

 private:
  DWORD flags_ = 0;
  IDirect3DSurface8* surface_ = nullptr;
  IDirect3DSurface8* staging_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  bool locked_ = false;
};

class VolumeLock {
 public:
  VolumeLock() = default;
  VolumeLock(const VolumeLock&) = delete;
  VolumeLock& operator=(const VolumeLock&) = delete;
  ~VolumeLock() { UnlockImage(); }

  // As SurfaceLock; volumes are never staged, so a default-pool volume that is not dynamic gives
  // D3DERR_INVALIDCALL. The volume is not referenced.
  HRESULT LockImage(ImageDesc* out, IDirect3DVolume8* volume, const PALETTEENTRY* palette, const D3DBOX* box,
                    D3DCOLOR colorKey, DWORD flags);
  HRESULT UnlockImage();

 private:
  DWORD flags_ = 0;
  IDirect3DVolume8* volume_ = nullptr;
};

}  // namespace zentu
