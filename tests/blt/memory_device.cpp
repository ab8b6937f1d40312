#include "tests/blt/memory_device.h"

#include <algorithm>
#include <cstring>

#include "d3dx/blt/image_desc.h"
#include "d3dx/tex/format_table.h"

namespace zentu::test {

int MemoryObject::live = 0;

namespace {

UINT blockBytes(D3DFORMAT f) {
  return f == D3DFMT_DXT1 ? 8 : 16;
}

// Byte offset of pixel (x, y) inside a surface of `format` and `pitch`.
size_t offsetOf(D3DFORMAT format, UINT pitch, UINT x, UINT y) {
  if (IsDxtFormat(format)) return static_cast<size_t>(y / 4) * pitch + (x / 4) * blockBytes(format);
  if (IsYuvFormat(format)) return static_cast<size_t>(y) * pitch + (x / 2) * 4;
  return static_cast<size_t>(y) * pitch + x * (GetPixelFormatInfo(format)->bitsPerPixel / 8);
}

}  // namespace

UINT SurfacePitch(D3DFORMAT format, UINT w) {
  if (IsDxtFormat(format)) return ((w + 3) / 4) * blockBytes(format);
  if (IsYuvFormat(format)) return ((w + 1) / 2) * 4;
  return w * (GetPixelFormatInfo(format)->bitsPerPixel / 8);
}

UINT SurfaceRows(D3DFORMAT format, UINT h) {
  return IsDxtFormat(format) ? (h + 3) / 4 : h;
}

MemorySurface::MemorySurface(MemoryDevice* dev, IUnknown* cont, D3DFORMAT f, D3DPOOL p, DWORD u, UINT w,
                             UINT h)
    : device(dev),
      container(cont),
      format(f),
      pool(p),
      usage(u),
      width(w),
      height(h),
      pitch(SurfacePitch(f, w)) {
  bits.assign(static_cast<size_t>(pitch) * SurfaceRows(f, h), 0);
  ++MemoryObject::live;
}

MemorySurface::~MemorySurface() {
  --MemoryObject::live;
}

HRESULT MemorySurface::QueryInterface(REFIID riid, void** out) {
  if (riid == IID_IUnknown || riid == IID_IDirect3DSurface8) {
    AddRef();
    *out = static_cast<IDirect3DSurface8*>(this);
    return D3D_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG MemorySurface::Release() {
  const ULONG r = --refs_;
  if (r == 0) delete this;
  return r;
}

HRESULT MemorySurface::GetDevice(IDirect3DDevice8** out) {
  device->AddRef();
  *out = device;
  return D3D_OK;
}

HRESULT MemorySurface::GetContainer(REFIID riid, void** out) {
  *out = nullptr;
  if (!container) return E_NOINTERFACE;
  return container->QueryInterface(riid, out);
}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* d) {
  *d = {};
  d->Format = format;
  d->Type = D3DRTYPE_SURFACE;
  d->Usage = usage;
  d->Pool = pool;
  d->Size = static_cast<UINT>(bits.size());
  d->Width = width;
  d->Height = height;
  return D3D_OK;
}

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* l, const RECT* rect, DWORD flags) {
  if (locked) return D3DERR_INVALIDCALL;
  locks.push_back({rect == nullptr, rect ? *rect : RECT{}, flags});
  locked = true;
  l->Pitch = static_cast<INT>(pitch);
  l->pBits = bits.data() + (rect ? offsetOf(format, pitch, rect->left, rect->top) : 0);
  return D3D_OK;
}

HRESULT MemorySurface::UnlockRect() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  return D3D_OK;
}

MemoryVolume::MemoryVolume(MemoryDevice* dev, IUnknown* cont, D3DFORMAT f, D3DPOOL p, DWORD u, UINT w, UINT h,
                           UINT d)
    : device(dev),
      container(cont),
      format(f),
      pool(p),
      usage(u),
      width(w),
      height(h),
      depth(d),
      pitch(SurfacePitch(f, w)),
      slicePitch(pitch * SurfaceRows(f, h)) {
  bits.assign(static_cast<size_t>(slicePitch) * d, 0);
  ++MemoryObject::live;
}

MemoryVolume::~MemoryVolume() {
  --MemoryObject::live;
}

HRESULT MemoryVolume::QueryInterface(REFIID riid, void** out) {
  if (riid == IID_IUnknown || riid == IID_IDirect3DVolume8) {
    AddRef();
    *out = static_cast<IDirect3DVolume8*>(this);
    return D3D_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG MemoryVolume::Release() {
  const ULONG r = --refs_;
  if (r == 0) delete this;
  return r;
}

HRESULT MemoryVolume::GetDevice(IDirect3DDevice8** out) {
  device->AddRef();
  *out = device;
  return D3D_OK;
}

HRESULT MemoryVolume::GetContainer(REFIID riid, void** out) {
  *out = nullptr;
  if (!container) return E_NOINTERFACE;
  return container->QueryInterface(riid, out);
}

HRESULT MemoryVolume::GetDesc(D3DVOLUME_DESC* d) {
  *d = {};
  d->Format = format;
  d->Type = D3DRTYPE_VOLUME;
  d->Usage = usage;
  d->Pool = pool;
  d->Size = static_cast<UINT>(bits.size());
  d->Width = width;
  d->Height = height;
  d->Depth = depth;
  return D3D_OK;
}

HRESULT MemoryVolume::LockBox(D3DLOCKED_BOX* l, const D3DBOX* box, DWORD) {
  if (locked) return D3DERR_INVALIDCALL;
  locked = true;
  l->RowPitch = static_cast<INT>(pitch);
  l->SlicePitch = static_cast<INT>(slicePitch);
  l->pBits =
      bits.data() +
      (box ? static_cast<size_t>(box->Front) * slicePitch + offsetOf(format, pitch, box->Left, box->Top) : 0);
  return D3D_OK;
}

HRESULT MemoryVolume::UnlockBox() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  return D3D_OK;
}

MemoryTexture::MemoryTexture(MemoryDevice* device, D3DRESOURCETYPE type, UINT w, UINT h, UINT d, UINT levels,
                             D3DFORMAT format, D3DPOOL pool, DWORD usage)
    : type_(type), levels_(levels), device_(device) {
  ++MemoryObject::live;
  const UINT faces = type == D3DRTYPE_CUBETEXTURE ? 6 : 1;
  IUnknown* self = static_cast<IDirect3DTexture8*>(this);
  for (UINT f = 0; f < faces; ++f)
    for (UINT l = 0; l < levels; ++l) {
      const UINT lw = std::max(1u, w >> l), lh = std::max(1u, h >> l), ld = std::max(1u, d >> l);
      if (type == D3DRTYPE_VOLUMETEXTURE)
        volumes_.push_back(new MemoryVolume(device, self, format, pool, usage, lw, lh, ld));
      else
        surfaces_.push_back(new MemorySurface(device, self, format, pool, usage, lw, lh));
    }
}

MemoryTexture::~MemoryTexture() {
  for (auto* s : surfaces_) s->Release();
  for (auto* v : volumes_) v->Release();
  --MemoryObject::live;
}

IDirect3DBaseTexture8* MemoryTexture::base() {
  if (type_ == D3DRTYPE_CUBETEXTURE) return static_cast<IDirect3DCubeTexture8*>(this);
  if (type_ == D3DRTYPE_VOLUMETEXTURE) return static_cast<IDirect3DVolumeTexture8*>(this);
  return static_cast<IDirect3DTexture8*>(this);
}

HRESULT MemoryTexture::query(REFIID riid, void** out) {
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirect3DBaseTexture8 || riid == IID_IDirect3DResource8)
    *out = base();
  else if (riid == IID_IDirect3DTexture8 && type_ == D3DRTYPE_TEXTURE)
    *out = static_cast<IDirect3DTexture8*>(this);
  else if (riid == IID_IDirect3DCubeTexture8 && type_ == D3DRTYPE_CUBETEXTURE)
    *out = static_cast<IDirect3DCubeTexture8*>(this);
  else if (riid == IID_IDirect3DVolumeTexture8 && type_ == D3DRTYPE_VOLUMETEXTURE)
    *out = static_cast<IDirect3DVolumeTexture8*>(this);
  if (!*out) return E_NOINTERFACE;
  ++refs_;
  return D3D_OK;
}

ULONG MemoryTexture::release() {
  const ULONG r = --refs_;
  if (r == 0) delete this;
  return r;
}

HRESULT MemoryTexture::GetDevice(IDirect3DDevice8** out) {
  device_->AddRef();
  *out = device_;
  return D3D_OK;
}

HRESULT MemoryTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levels_ || surfaces_.empty()) return D3DERR_INVALIDCALL;
  return surfaces_[level]->GetDesc(desc);
}

HRESULT MemoryTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** out) {
  if (level >= levels_ || type_ != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
  surfaces_[level]->AddRef();
  *out = surfaces_[level];
  return D3D_OK;
}

HRESULT MemoryTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** out) {
  if (level >= levels_ || face > 5 || type_ != D3DRTYPE_CUBETEXTURE) return D3DERR_INVALIDCALL;
  MemorySurface* s = surfaces_[face * levels_ + level];
  s->AddRef();
  *out = s;
  return D3D_OK;
}

HRESULT MemoryTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) {
  if (level >= levels_ || volumes_.empty()) return D3DERR_INVALIDCALL;
  return volumes_[level]->GetDesc(desc);
}

HRESULT MemoryTexture::GetVolumeLevel(UINT level, IDirect3DVolume8** out) {
  if (level >= levels_ || volumes_.empty()) return D3DERR_INVALIDCALL;
  volumes_[level]->AddRef();
  *out = volumes_[level];
  return D3D_OK;
}

HRESULT MemoryDevice::CreateImageSurface(UINT w, UINT h, D3DFORMAT format, IDirect3DSurface8** out) {
  ++imageSurfacesCreated;
  *out = new MemorySurface(this, nullptr, format, D3DPOOL_SYSTEMMEM, 0, w, h);
  return D3D_OK;
}

HRESULT MemoryDevice::CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count,
                                IDirect3DSurface8* dest, const POINT* points) {
  ++copyRectsCalls;
  if (copyRectsFails) return D3DERR_INVALIDCALL;
  auto* s = static_cast<MemorySurface*>(source);
  auto* d = static_cast<MemorySurface*>(dest);
  if (s->format != d->format) return D3DERR_INVALIDCALL;
  if (!rects || count == 0) {
    const UINT rows = std::min(SurfaceRows(s->format, s->height), SurfaceRows(d->format, d->height));
    for (UINT y = 0; y < rows; ++y) std::memcpy(d->row(y), s->row(y), std::min(s->pitch, d->pitch));
    return D3D_OK;
  }
  ++copyRectsCalledWithRects;
  const UINT bpp = GetPixelFormatInfo(s->format)->bitsPerPixel / 8;
  for (UINT i = 0; i < count; ++i) {
    const RECT& r = rects[i];
    const POINT p = points ? points[i] : POINT{r.left, r.top};
    for (LONG y = r.top; y < r.bottom; ++y)
      std::memcpy(d->row(p.y + (y - r.top)) + p.x * bpp, s->row(y) + r.left * bpp, (r.right - r.left) * bpp);
  }
  return D3D_OK;
}

}  // namespace zentu::test
