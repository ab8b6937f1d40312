// A small in-memory device for the loader tests: image surfaces, textures (plain, cube, volume)
// with exact pitches per format, CopyRects, and a record of the locks and copies asked for.
// Every object counts its references; `MemoryObject::live` returns to zero when nothing leaks.
#pragma once

#include <memory>
#include <vector>

#include "tests/blt/null_device.h"

namespace zentu::test {

struct MemoryObject {
  static int live;
};

struct LockRecord {
  bool whole;
  RECT rect;
  DWORD flags;
};

class MemoryDevice;

// Row pitch and row count of a w x h surface of `format` (block rows for DXT).
UINT SurfacePitch(D3DFORMAT format, UINT w);
UINT SurfaceRows(D3DFORMAT format, UINT h);

class MemorySurface final : public IDirect3DSurface8 {
 public:
  MemorySurface(MemoryDevice* device, IUnknown* container, D3DFORMAT format, D3DPOOL pool, DWORD usage,
                UINT w, UINT h);
  ~MemorySurface();
  HRESULT QueryInterface(REFIID riid, void** out) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice8** out) override;
  HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT GetPrivateData(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT FreePrivateData(REFGUID) override { return E_NOTIMPL; }
  HRESULT GetContainer(REFIID riid, void** out) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  BYTE* row(UINT y) { return bits.data() + static_cast<size_t>(y) * pitch; }

  MemoryDevice* device;
  IUnknown* container;
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD usage;
  UINT width, height, pitch;
  std::vector<BYTE> bits;
  std::vector<LockRecord> locks;
  bool locked = false;

 private:
  ULONG refs_ = 1;
};

class MemoryVolume final : public IDirect3DVolume8 {
 public:
  MemoryVolume(MemoryDevice* device, IUnknown* container, D3DFORMAT format, D3DPOOL pool, DWORD usage, UINT w,
               UINT h, UINT d);
  ~MemoryVolume();
  HRESULT QueryInterface(REFIID riid, void** out) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice8** out) override;
  HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT GetPrivateData(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT FreePrivateData(REFGUID) override { return E_NOTIMPL; }
  HRESULT GetContainer(REFIID riid, void** out) override;
  HRESULT GetDesc(D3DVOLUME_DESC* desc) override;
  HRESULT LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
  HRESULT UnlockBox() override;

  BYTE* row(UINT y, UINT z) {
    return bits.data() + static_cast<size_t>(z) * slicePitch + static_cast<size_t>(y) * pitch;
  }

  MemoryDevice* device;
  IUnknown* container;
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD usage;
  UINT width, height, depth, pitch, slicePitch;
  std::vector<BYTE> bits;
  bool locked = false;

 private:
  ULONG refs_ = 1;
};

// One class for the three texture kinds; it answers QueryInterface only for its own kind.
class MemoryTexture final : public IDirect3DTexture8,
                            public IDirect3DCubeTexture8,
                            public IDirect3DVolumeTexture8 {
 public:
  MemoryTexture(MemoryDevice* device, D3DRESOURCETYPE type, UINT w, UINT h, UINT d, UINT levels,
                D3DFORMAT format, D3DPOOL pool, DWORD usage = 0);
  ~MemoryTexture();

  IDirect3DBaseTexture8* base();
  MemorySurface* surface(UINT level, UINT face = 0) { return surfaces_[face * levels_ + level]; }
  MemoryVolume* volume(UINT level) { return volumes_[level]; }
  ULONG refs() const { return refs_; }

 private:
  D3DRESOURCETYPE type_;
  UINT levels_;
  ULONG refs_ = 1;
  MemoryDevice* device_;
  std::vector<MemorySurface*> surfaces_;
  std::vector<MemoryVolume*> volumes_;

  HRESULT query(REFIID riid, void** out);
  ULONG release();

  // IUnknown and the resource and base-texture slots are shared by the three bases.
#define ZENTU_MEMORY_TEXTURE_COMMON                                     \
  HRESULT QueryInterface(REFIID riid, void** out) override {            \
    return query(riid, out);                                            \
  }                                                                     \
  ULONG AddRef() override {                                             \
    return ++refs_;                                                     \
  }                                                                     \
  ULONG Release() override {                                            \
    return release();                                                   \
  }                                                                     \
  HRESULT GetDevice(IDirect3DDevice8** out) override;                   \
  HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { \
    return E_NOTIMPL;                                                   \
  }                                                                     \
  HRESULT GetPrivateData(REFGUID, void*, DWORD*) override {             \
    return E_NOTIMPL;                                                   \
  }                                                                     \
  HRESULT FreePrivateData(REFGUID) override {                           \
    return E_NOTIMPL;                                                   \
  }                                                                     \
  DWORD SetPriority(DWORD) override {                                   \
    return 0;                                                           \
  }                                                                     \
  DWORD GetPriority() override {                                        \
    return 0;                                                           \
  }                                                                     \
  void PreLoad() override {}                                            \
  D3DRESOURCETYPE GetType() override {                                  \
    return type_;                                                       \
  }                                                                     \
  DWORD SetLOD(DWORD) override {                                        \
    return 0;                                                           \
  }                                                                     \
  DWORD GetLOD() override {                                             \
    return 0;                                                           \
  }                                                                     \
  DWORD GetLevelCount() override {                                      \
    return levels_;                                                     \
  }

 public:
  ZENTU_MEMORY_TEXTURE_COMMON
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** out) override;
  HRESULT LockRect(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT UnlockRect(UINT) override {
    return E_NOTIMPL;
  }
  HRESULT AddDirtyRect(const RECT*) override {
    return D3D_OK;
  }
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** out) override;
  HRESULT LockRect(D3DCUBEMAP_FACES, UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT UnlockRect(D3DCUBEMAP_FACES, UINT) override {
    return E_NOTIMPL;
  }
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES, const RECT*) override {
    return D3D_OK;
  }
  HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
  HRESULT GetVolumeLevel(UINT level, IDirect3DVolume8** out) override;
  HRESULT LockBox(UINT, D3DLOCKED_BOX*, const D3DBOX*, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT UnlockBox(UINT) override {
    return E_NOTIMPL;
  }
  HRESULT AddDirtyBox(const D3DBOX*) override {
    return D3D_OK;
  }
#undef ZENTU_MEMORY_TEXTURE_COMMON
};

class MemoryDevice final : public NullDevice {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT CreateImageSurface(UINT w, UINT h, D3DFORMAT format, IDirect3DSurface8** out) override;
  HRESULT CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count, IDirect3DSurface8* dest,
                    const POINT* points) override;

  ULONG refs = 1;
  int copyRectsCalls = 0;
  int copyRectsCalledWithRects = 0;
  int imageSurfacesCreated = 0;
  bool copyRectsFails = false;
};

}  // namespace zentu::test
