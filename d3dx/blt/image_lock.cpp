// SurfaceLock and VolumeLock: rectangle checks, the staging decision, lock flags and the widening
// of partial locks to whole DXT blocks and YUV pixel pairs.
#include "d3dx/blt/image_lock.h"

#include <algorithm>

#include "d3dx/math/services.h"

namespace zentu {
namespace {

UINT roundUp4(UINT v) {
  return v > 0xFFFFFFFCu ? v : (v + 3) & ~3u;
}

// Widens [left, right) x [top, bottom) to whole blocks or pairs of `format`, limited to the size.
void widen(D3DFORMAT format, UINT* left, UINT* top, UINT* right, UINT* bottom, UINT width, UINT height,
           bool limit) {
  if (IsDxtFormat(format)) {
    *left &= ~3u;
    *top &= ~3u;
    *right = roundUp4(*right);
    *bottom = roundUp4(*bottom);
    if (limit) {
      *right = std::min(*right, width);
      *bottom = std::min(*bottom, height);
    }
  } else if (IsYuvFormat(format)) {
    *left &= ~1u;
    *right = std::min(*right + (*right & 1u), width);
  }
}

// The single-level discard test: true when `resource`'s container of interface `iid` has one level.
template <class Texture, class Resource>
bool singleLevelContainer(Resource* resource, REFIID iid) {
  void* container = nullptr;
  MuteDebugRuntime(1);
  const HRESULT hr = resource->GetContainer(iid, &container);
  MuteDebugRuntime(0);
  if (FAILED(hr) || !container) return false;
  auto* texture = static_cast<Texture*>(container);
  const bool single = texture->GetLevelCount() == 1;
  texture->Release();
  return single;
}

}  // namespace

HRESULT SurfaceLock::LockImage(ImageDesc* out, IDirect3DSurface8* surface, const PALETTEENTRY* palette,
                               const RECT* rect, D3DCOLOR colorKey, DWORD flags) {
  UnlockImage();
  if (!out || !surface) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc = {};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;

  const bool readOnly = (flags & kLockReadOnly) != 0;
  RECT r = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
  bool partial = false;
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left > rect->right || rect->top > rect->bottom ||
        static_cast<UINT>(rect->right) > desc.Width || static_cast<UINT>(rect->bottom) > desc.Height)
      return D3DERR_INVALIDCALL;
    r = *rect;
    partial = !(r.left == 0 && r.top == 0 && static_cast<UINT>(r.right) == desc.Width &&
                static_cast<UINT>(r.bottom) == desc.Height);
  }
  const bool overwritesAll = !readOnly && !partial;

  // Default-pool surfaces that are not dynamic always go through a staging copy: that is correct
  // whether or not the surface belongs to a texture.
  const bool needCopy =
      (flags & kLockSameSurface) || (desc.Pool == D3DPOOL_DEFAULT && !(desc.Usage & D3DUSAGE_DYNAMIC));
  surface_ = surface;
  flags_ = flags;
  IDirect3DSurface8* target = surface;
  UINT targetWidth = desc.Width, targetHeight = desc.Height;
  if (needCopy) {
    hr = surface->GetDevice(&device_);
    if (FAILED(hr)) return hr;
    if (IsDxtFormat(desc.Format)) {
      targetWidth = roundUp4(targetWidth);
      targetHeight = roundUp4(targetHeight);
    }
    hr = device_->CreateImageSurface(targetWidth, targetHeight, desc.Format, &staging_);
    if (FAILED(hr)) return hr;
    if (!overwritesAll) {
      hr = device_->CopyRects(surface, nullptr, 0, staging_, nullptr);
      if (FAILED(hr)) return hr;
    }
    target = staging_;
  }

  DWORD lockFlags = D3DLOCK_NOSYSLOCK | (readOnly ? D3DLOCK_READONLY : 0);
  if (overwritesAll && !needCopy && (desc.Usage & D3DUSAGE_DYNAMIC) &&
      singleLevelContainer<IDirect3DTexture8>(surface, IID_IDirect3DTexture8))
    lockFlags |= D3DLOCK_DISCARD;

  D3DLOCKED_RECT locked = {};
  RECT region = r;
  if (partial) {
    UINT left = static_cast<UINT>(r.left), top = static_cast<UINT>(r.top);
    UINT right = static_cast<UINT>(r.right), bottom = static_cast<UINT>(r.bottom);
    widen(desc.Format, &left, &top, &right, &bottom, desc.Width, desc.Height, target == surface);
    if (left == 0 && top == 0 && right == targetWidth && bottom == targetHeight) {
      hr = target->LockRect(&locked, nullptr, lockFlags);
    } else {
      const RECT lockRect = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                             static_cast<LONG>(bottom)};
      hr = target->LockRect(&locked, &lockRect, lockFlags);
      region = {r.left - lockRect.left, r.top - lockRect.top, r.right - lockRect.left,
                r.bottom - lockRect.top};
    }
  } else {
    hr = target->LockRect(&locked, nullptr, lockFlags);
  }
  if (FAILED(hr)) return hr;
  locked_ = true;

  *out = ImageDesc{};
  out->Bits = locked.pBits;
  out->Format = desc.Format;
  out->RowPitch = static_cast<UINT>(locked.Pitch);
  out->SlicePitch = 0;
  out->Extent = {0, 0, desc.Width, desc.Height, 0, 1};
  out->Region = {static_cast<UINT>(region.left),
                 static_cast<UINT>(region.top),
                 static_cast<UINT>(region.right),
                 static_cast<UINT>(region.bottom),
                 0,
                 1};
  out->ColorKey = colorKey;
  out->Palette = palette;
  return D3D_OK;
}

HRESULT SurfaceLock::UnlockImage() {
  if (!surface_) return D3D_OK;
  IDirect3DSurface8* target = staging_ ? staging_ : surface_;
  if (locked_) target->UnlockRect();
  if (staging_ && locked_ && !(flags_ & kLockReadOnly))
    device_->CopyRects(staging_, nullptr, 0, surface_, nullptr);
  if (staging_) staging_->Release();
  if (device_) device_->Release();
  staging_ = nullptr;
  device_ = nullptr;
  surface_ = nullptr;
  locked_ = false;
  return D3D_OK;
}

HRESULT VolumeLock::LockImage(ImageDesc* out, IDirect3DVolume8* volume, const PALETTEENTRY* palette,
                              const D3DBOX* box, D3DCOLOR colorKey, DWORD flags) {
  UnlockImage();
  if (!out || !volume) return D3DERR_INVALIDCALL;
  D3DVOLUME_DESC desc = {};
  HRESULT hr = volume->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  const bool readOnly = (flags & kLockReadOnly) != 0;
  D3DBOX b = {0, 0, desc.Width, desc.Height, 0, desc.Depth};
  bool partial = false;
  if (box) {
    if (box->Left > box->Right || box->Right > desc.Width || box->Top > box->Bottom ||
        box->Bottom > desc.Height || box->Front > box->Back || box->Back > desc.Depth)
      return D3DERR_INVALIDCALL;
    b = *box;
    partial = !(b.Left == 0 && b.Top == 0 && b.Front == 0 && b.Right == desc.Width &&
                b.Bottom == desc.Height && b.Back == desc.Depth);
  }
  if (desc.Pool == D3DPOOL_DEFAULT && !(desc.Usage & D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
  const bool overwritesAll = !readOnly && !partial;

  DWORD lockFlags = D3DLOCK_NOSYSLOCK | (readOnly ? D3DLOCK_READONLY : 0);
  if (overwritesAll && (desc.Usage & D3DUSAGE_DYNAMIC) &&
      singleLevelContainer<IDirect3DVolumeTexture8>(volume, IID_IDirect3DVolumeTexture8))
    lockFlags |= D3DLOCK_DISCARD;

  D3DLOCKED_BOX locked = {};
  D3DBOX region = b;
  if (partial) {
    D3DBOX lockBox = b;
    widen(desc.Format, &lockBox.Left, &lockBox.Top, &lockBox.Right, &lockBox.Bottom, desc.Width, desc.Height,
          true);
    if (lockBox.Left == 0 && lockBox.Top == 0 && lockBox.Front == 0 && lockBox.Right == desc.Width &&
        lockBox.Bottom == desc.Height && lockBox.Back == desc.Depth) {
      hr = volume->LockBox(&locked, nullptr, lockFlags);
    } else {
      hr = volume->LockBox(&locked, &lockBox, lockFlags);
      region = {b.Left - lockBox.Left,  b.Top - lockBox.Top,     b.Right - lockBox.Left,
                b.Bottom - lockBox.Top, b.Front - lockBox.Front, b.Back - lockBox.Front};
    }
  } else {
    hr = volume->LockBox(&locked, nullptr, lockFlags);
  }
  if (FAILED(hr)) return hr;
  volume_ = volume;
  flags_ = flags;

  *out = ImageDesc{};
  out->Bits = locked.pBits;
  out->Format = desc.Format;
  out->RowPitch = static_cast<UINT>(locked.RowPitch);
  out->SlicePitch = static_cast<UINT>(locked.SlicePitch);
  out->Extent = {0, 0, desc.Width, desc.Height, 0, desc.Depth};
  out->Region = region;
  out->ColorKey = colorKey;
  out->Palette = palette;
  return D3D_OK;
}

HRESULT VolumeLock::UnlockImage() {
  if (!volume_) return D3D_OK;
  volume_->UnlockBox();
  volume_ = nullptr;
  return D3D_OK;
}

}  // namespace zentu
