// The device's resources, all in system memory: surfaces, volumes, the three texture kinds and
// the vertex and index buffers. A level surface or volume shares its texture's reference count,
// so holding one keeps the texture alive; a stand-alone resource counts its own references and
// keeps its device object alive until it goes.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/d3d8/diagnostics.h"
#include "platform/d3d8/format_layout.h"
#include "zentu/d3d8.h"

namespace zentu {

class Device;

// Application data attached by GUID (SetPrivateData and its companions).
class PrivateData {
 public:
  HRESULT set(REFGUID guid, const void* data, DWORD size, DWORD flags);
  HRESULT get(REFGUID guid, void* data, DWORD* size) const;
  HRESULT free(REFGUID guid);

 private:
  std::vector<std::pair<GUID, std::vector<BYTE>>> entries_;
};

// Allocates zeroed storage; false when memory is short.
bool allocateStorage(std::vector<BYTE>& storage, uint32_t size);

// Checks a rectangle against a width × height image of that format: inside, not empty, and on
// block edges (the image's right and bottom edges count as block edges). Null means the whole
// image. On success `out` is the rectangle in pixels; nullptr result means valid.
const char* checkRect(const FormatLayout& format, UINT width, UINT height, const RECT* rect, RECT* out);
// The same for boxes.
const char* checkBox(const FormatLayout& format, UINT width, UINT height, UINT depth, const D3DBOX* box,
                     D3DBOX* out);
// Lock flags a surface, volume or buffer accepts; null when valid, else the reason.
const char* checkLockFlags(DWORD flags);

// Whether the levels of a texture in that pool and with that usage can be locked directly.
bool levelsLockable(D3DPOOL pool, DWORD usage);

// A process-unique resource id for the renderer (never 0, never reused).
uint64_t nextResourceId();

// A change counter that also bumps its container's.
struct ChangeCounter {
  uint64_t value = 0;
  uint64_t* container = nullptr;
  void bump() {
    ++value;
    if (container) ++*container;
  }
};

// What surfaces and volumes share: the device link, the container, the description, the
// storage with its single lock, and private data.
template <class Interface, class Desc>
class ImageResource : public Interface, public Accounted {
 public:
  // Makes the storage; false when memory is short.
  bool allocate() { return allocateStorage(storage_, layout_.size); }

  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
  HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override;
  HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override;
  HRESULT FreePrivateData(REFGUID refguid) override;
  HRESULT GetDesc(Desc* pDesc) override;

  const Desc& desc() const { return desc_; }
  const ImageLayout& layout() const { return layout_; }
  const FormatLayout& format() const { return *format_; }
  BYTE* bits() { return storage_.data(); }
  const BYTE* bits() const { return storage_.data(); }
  bool locked() const { return locked_; }
  uint64_t changeCount() const { return changes_.value; }
  void markChanged() { changes_.bump(); }

 protected:
  ImageResource(ObjectClass objectClass, const char* interfaceName, Device* device, IUnknown* container,
                const Desc& desc, const ImageLayout& layout, bool lockable, uint64_t* containerChanges);
  // Takes the lock (checked by the caller) and returns the storage.
  BYTE* takeLock(DWORD flags);
  // Ends the lock; a write lock counts as a change.
  HRESULT releaseLock(const char* notLocked);

  Device* device_;
  IUnknown* container_;
  Desc desc_;
  ImageLayout layout_;
  const FormatLayout* format_;
  const char* interfaceName_;
  bool lockable_;
  bool locked_ = false;

 private:
  bool lockedReadOnly_ = false;
  ChangeCounter changes_;
  std::vector<BYTE> storage_;
  PrivateData private_;
};

class Surface final : public ImageResource<IDirect3DSurface8, D3DSURFACE_DESC> {
 public:
  enum class Owner { kSelf, kContainer, kDevice };
  // `container` (a texture) or the device receives AddRef/Release for kContainer and kDevice;
  // kSelf surfaces count their own references and hold the device object.
  Surface(Device* device, Owner owner, IUnknown* container, const D3DSURFACE_DESC& desc,
          const ImageLayout& layout, bool lockable, uint64_t* containerChanges);
  ~Surface();

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;

  // For the device and the renderer.
  HRESULT lockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT unlockRect();
  Device* device() const { return device_; }

 private:
  Owner owner_;
  ULONG refs_ = 1;
};

class Volume final : public ImageResource<IDirect3DVolume8, D3DVOLUME_DESC> {
 public:
  Volume(Device* device, IUnknown* container, const D3DVOLUME_DESC& desc, const ImageLayout& layout,
         bool lockable, uint64_t* containerChanges);

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT LockBox(D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) override;
  HRESULT UnlockBox() override;

  HRESULT lockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags);
  HRESULT unlockBox();
};

// What every resource shares: its device link, reference count, private data and priority.
class ResourceCore {
 public:
  explicit ResourceCore(Device* device);
  ~ResourceCore();
  ResourceCore(const ResourceCore&) = delete;
  ResourceCore& operator=(const ResourceCore&) = delete;
  Device* device() const { return device_; }
  HRESULT getDevice(IDirect3DDevice8** ppDevice) const;
  ULONG addRef() { return ++refs_; }
  ULONG release() { return --refs_; }
  PrivateData privateData;
  DWORD priority = 0;

 private:
  Device* device_;
  ULONG refs_ = 1;
};

// The IDirect3DResource8 methods every resource class forwards to its ResourceCore `core_`.
#define ZENTU_D3D8_RESOURCE_METHODS()                                           \
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override {                     \
    return core_.getDevice(ppDevice);                                           \
  }                                                                             \
  HRESULT SetPrivateData(REFGUID g, const void* d, DWORD s, DWORD f) override { \
    return core_.privateData.set(g, d, s, f);                                   \
  }                                                                             \
  HRESULT GetPrivateData(REFGUID g, void* d, DWORD* s) override {               \
    return core_.privateData.get(g, d, s);                                      \
  }                                                                             \
  HRESULT FreePrivateData(REFGUID g) override {                                 \
    return core_.privateData.free(g);                                           \
  }                                                                             \
  DWORD SetPriority(DWORD p) override {                                         \
    DWORD old = core_.priority;                                                 \
    core_.priority = p;                                                         \
    return old;                                                                 \
  }                                                                             \
  DWORD GetPriority() override {                                                \
    return core_.priority;                                                      \
  }                                                                             \
  void PreLoad() override {}

// The texture kinds seen alike by SetTexture and UpdateTexture.
class TextureBase {
 public:
  virtual ~TextureBase() = default;
  virtual D3DRESOURCETYPE kind() const = 0;
  virtual UINT levelCount() const = 0;
  virtual D3DFORMAT format() const = 0;
  virtual D3DPOOL pool() const = 0;
  virtual DWORD usage() const = 0;
  // Level extents (depth 1 for plain and cube textures).
  virtual void levelSize(UINT level, UINT* width, UINT* height, UINT* depth) const = 0;
  // Number of faces (6 for cube textures, else 1) and the memory of one face's level.
  virtual UINT faceCount() const { return 1; }
  virtual BYTE* levelBits(UINT face, UINT level, const ImageLayout** layout) = 0;
  virtual bool anyLevelLocked() const = 0;
  virtual void markLevelChanged(UINT face, UINT level) = 0;
  // Bumped whenever any level is written.
  uint64_t changeCount() const { return changes_; }
  uint64_t resourceId() const { return id_; }

 protected:
  uint64_t changes_ = 0;
  uint64_t id_ = nextResourceId();
};

// Recovers our texture from an interface pointer (null for objects of another origin).
TextureBase* asTextureBase(IDirect3DBaseTexture8* texture);

// What the three texture kinds share: the resource core, description, LOD and the level images
// (`Image` is Surface or Volume), stored face-major and sharing this texture's reference count.
template <class Interface, class Image>
class TextureResource : public Interface, public TextureBase, public Accounted {
 public:
  using LevelDesc = std::decay_t<decltype(std::declval<const Image&>().desc())>;
  ~TextureResource() override;

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override { return core_.addRef(); }
  ULONG Release() override;
  ZENTU_D3D8_RESOURCE_METHODS()
  DWORD SetLOD(DWORD LODNew) override;
  DWORD GetLOD() override { return lod_; }
  DWORD GetLevelCount() override { return levelCount(); }
  HRESULT GetLevelDesc(UINT Level, LevelDesc* pDesc) override;

  UINT levelCount() const override { return static_cast<UINT>(images_.size() / faceCount()); }
  D3DFORMAT format() const override { return format_; }
  D3DPOOL pool() const override { return pool_; }
  DWORD usage() const override { return usage_; }
  BYTE* levelBits(UINT face, UINT level, const ImageLayout** layout) override;
  bool anyLevelLocked() const override;
  void markLevelChanged(UINT face, UINT level) override { image(face, level)->markChanged(); }

 protected:
  TextureResource(ObjectClass objectClass, const char* interfaceName, const GUID& iid, Device* device,
                  DWORD usage, D3DFORMAT format, D3DPOOL pool);
  Image* image(UINT face, UINT level) const { return images_[face * levelCount() + level].get(); }
  // Appends the next image of the face-major order; false when memory is short.
  bool addImage(std::unique_ptr<Image> image);
  // Hands out a new reference to level `level` of face 0 (reports failures as `method`).
  template <class Out>
  HRESULT handOutLevel(UINT level, Out** out, const char* nullReason, const char* method) {
    HRESULT hr = D3D_OK;
    if (!out) {
      hr = invalidCall(nullReason);
    } else if (level >= levelCount()) {
      *out = nullptr;
      hr = invalidCall("level out of range");
    } else {
      images_[level]->AddRef();
      *out = images_[level].get();
    }
    return reportFailure(interfaceName_, method, hr);
  }

  ResourceCore core_;
  const char* interfaceName_;
  const GUID* iid_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  DWORD lod_ = 0;

 private:
  std::vector<std::unique_ptr<Image>> images_;
};

class Texture final : public TextureResource<IDirect3DTexture8, Surface> {
 public:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  // Makes the levels; E_OUTOFMEMORY or D3DERR_INVALIDCALL (too large) on failure.
  HRESULT initialize();

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;
  HRESULT AddDirtyRect(const RECT* pDirtyRect) override;

  D3DRESOURCETYPE kind() const override { return D3DRTYPE_TEXTURE; }
  void levelSize(UINT level, UINT* w, UINT* h, UINT* d) const override;
  Surface& level(UINT i) { return *image(0, i); }

 private:
  UINT width_, height_, requestedLevels_;
};

class CubeTexture final : public TextureResource<IDirect3DCubeTexture8, Surface> {
 public:
  CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  HRESULT initialize();

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level,
                            IDirect3DSurface8** ppCubeMapSurface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD Flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) override;
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT* pDirtyRect) override;

  D3DRESOURCETYPE kind() const override { return D3DRTYPE_CUBETEXTURE; }
  void levelSize(UINT level, UINT* w, UINT* h, UINT* d) const override;
  UINT faceCount() const override { return 6; }
  Surface* surface(UINT face, UINT level) { return image(face, level); }

 private:
  UINT edge_, levels_;
};

class VolumeTexture final : public TextureResource<IDirect3DVolumeTexture8, Volume> {
 public:
  VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                D3DFORMAT format, D3DPOOL pool);
  HRESULT initialize();

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VOLUMETEXTURE; }
  HRESULT GetVolumeLevel(UINT Level, IDirect3DVolume8** ppVolumeLevel) override;
  HRESULT LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) override;
  HRESULT UnlockBox(UINT Level) override;
  HRESULT AddDirtyBox(const D3DBOX* pDirtyBox) override;

  D3DRESOURCETYPE kind() const override { return D3DRTYPE_VOLUMETEXTURE; }
  void levelSize(UINT level, UINT* w, UINT* h, UINT* d) const override;
  Volume& level(UINT i) { return *image(0, i); }

 private:
  UINT width_, height_, depth_, requestedLevels_;
};

// Memory and lock bookkeeping of a vertex or index buffer.
class BufferStorage {
 public:
  bool allocate(UINT length) { return allocateStorage(bytes_, length); }
  HRESULT lock(UINT offset, UINT size, BYTE** data, DWORD flags);
  HRESULT unlock();
  UINT length() const { return static_cast<UINT>(bytes_.size()); }
  BYTE* data() { return bytes_.data(); }
  const BYTE* data() const { return bytes_.data(); }
  bool locked() const { return lockCount_ > 0; }
  uint64_t changeCount() const { return changes_; }
  uint64_t resourceId() const { return id_; }

 private:
  uint64_t id_ = nextResourceId();
  std::vector<BYTE> bytes_;
  UINT lockCount_ = 0;
  bool writeLocked_ = false;
  uint64_t changes_ = 0;
};

// What vertex and index buffers share: the resource core, the description and the storage.
template <class Interface, class Desc>
class BufferResource : public Interface, public Accounted {
 public:
  virtual ~BufferResource();
  bool allocate() { return storage_.allocate(desc_.Size); }

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override { return core_.addRef(); }
  ULONG Release() override;
  ZENTU_D3D8_RESOURCE_METHODS()
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(Desc* pDesc) override;

  const Desc& desc() const { return desc_; }
  BufferStorage& storage() { return storage_; }

 protected:
  BufferResource(ObjectClass objectClass, const char* interfaceName, const GUID& iid, Device* device,
                 const Desc& desc);

 private:
  ResourceCore core_;
  const char* interfaceName_;
  const GUID* iid_;
  Desc desc_;
  BufferStorage storage_;
};

class VertexBuffer final : public BufferResource<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
};

class IndexBuffer final : public BufferResource<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  UINT indexSize() const { return desc().Format == D3DFMT_INDEX32 ? 4 : 2; }
};

// Hands out a new reference to `object` (an interface pointer whose chain of bases holds every
// id in `ids`) as `riid` when it is one of `ids`.
template <class T>
HRESULT queryAmong(T* object, REFIID riid, void** out, std::initializer_list<const GUID*> ids) {
  if (!out) return E_POINTER;
  for (const GUID* id : ids) {
    if (riid == *id) {
      object->AddRef();
      *out = object;
      return S_OK;
    }
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

}  // namespace zentu
