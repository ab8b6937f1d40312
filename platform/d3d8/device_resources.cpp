// Resource creation with the checks the device's capabilities impose, and the two copies:
// CopyRects between surfaces and UpdateTexture from system memory to a default-pool texture.
#include <cstring>
#include <memory>

#include "platform/d3d8/device.h"
#include "platform/d3d8/direct3d.h"

namespace zentu {
namespace {

constexpr DWORD kTextureUsages =
    D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;
constexpr DWORD kBufferUsages = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP |
                                D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES | D3DUSAGE_DYNAMIC;

bool validPool(D3DPOOL pool) {
  return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM ||
         pool == D3DPOOL_SCRATCH;
}

HRESULT layoutFailure(LayoutResult r) {
  switch (r) {
    case LayoutResult::kOk:
      return D3D_OK;
    case LayoutResult::kUnknownFormat:
      return invalidCall("unknown format");
    case LayoutResult::kZeroSize:
      return invalidCall("zero size");
    case LayoutResult::kTooLarge:
      setFailureReason("resource too large");
      return E_OUTOFMEMORY;
  }
  return D3DERR_INVALIDCALL;
}

// The checks a vertex buffer and an index buffer request share, in the order they run.
HRESULT checkBufferLength(UINT length) {
  if (length == 0) return invalidCall("zero length");
  if (length > kMaxResourceBytes) return layoutFailure(LayoutResult::kTooLarge);
  return D3D_OK;
}

HRESULT checkBufferPlacement(D3DPOOL pool, DWORD usage) {
  if (!validPool(pool)) return invalidCall("unknown pool");
  if (usage & ~kBufferUsages) return invalidCall("usage not allowed for buffers");
  return D3D_OK;
}

// Finishes a creation: on failure the object goes and the out-pointer stays null.
template <class T, class I>
HRESULT handOut(T* object, HRESULT hr, I** out) {
  if (FAILED(hr)) {
    object->Release();
    return hr;
  }
  *out = object;
  return D3D_OK;
}

}  // namespace

HRESULT Device::validateTextureRequest(D3DRESOURCETYPE type, UINT width, UINT height, UINT depth, UINT levels,
                                       DWORD usage, D3DFORMAT format, D3DPOOL pool) {
  const FormatLayout* layout = findFormatLayout(format);
  if (!layout || !layout->resourceFormat) return invalidCall("unknown format");
  if (width == 0 || height == 0 || depth == 0) return invalidCall("zero size");
  if (!validPool(pool)) return invalidCall("unknown pool");
  if (usage & ~kTextureUsages) return invalidCall("usage not allowed for textures");
  if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && pool != D3DPOOL_DEFAULT)
    return invalidCall("render targets and depth buffers live in the default pool");
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED)
    return invalidCall("dynamic textures cannot be managed");
  if (levels > fullLevelCount(width, height, depth)) return invalidCall("too many levels");
  if (pool == D3DPOOL_SCRATCH) return D3D_OK;  // scratch resources ignore the device's limits

  const D3DCAPS8& caps = profile_->caps;
  if (!direct3D_->supportsFormat(usage & ~static_cast<DWORD>(D3DUSAGE_WRITEONLY), type, format))
    return invalidCall("format not supported by this device for that use");
  const bool pow2 = isPowerOfTwo(width) && isPowerOfTwo(height) && isPowerOfTwo(depth);
  DWORD pow2Bit = D3DPTEXTURECAPS_POW2, mipBit = D3DPTEXTURECAPS_MIPMAP;
  if (type == D3DRTYPE_VOLUMETEXTURE) {
    if (width > caps.MaxVolumeExtent || height > caps.MaxVolumeExtent || depth > caps.MaxVolumeExtent)
      return invalidCall("volume larger than the device's limit");
    pow2Bit = D3DPTEXTURECAPS_VOLUMEMAP_POW2;
    mipBit = D3DPTEXTURECAPS_MIPVOLUMEMAP;
  } else {
    if (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)
      return invalidCall("texture larger than the device's limit");
    if (type == D3DRTYPE_CUBETEXTURE) {
      pow2Bit = D3DPTEXTURECAPS_CUBEMAP_POW2;
      mipBit = D3DPTEXTURECAPS_MIPCUBEMAP;
    } else {
      if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height)
        return invalidCall("this device takes square textures only");
      const uint64_t ratio = caps.MaxTextureAspectRatio;
      if (ratio && (width > ratio * height || height > ratio * width))
        return invalidCall("texture aspect ratio beyond the device's limit");
    }
  }
  if (!pow2) {
    const bool conditional =
        (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && type == D3DRTYPE_TEXTURE;
    if ((caps.TextureCaps & pow2Bit) && !conditional)
      return invalidCall("this device takes power-of-two sizes only");
    if (conditional && levels > 1)
      return invalidCall("a size that is not a power of two takes one level on this device");
  }
  if (levels > 1 && !(caps.TextureCaps & mipBit))
    return invalidCall("this device has no mip levels for that texture type");
  return D3D_OK;
}

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                              D3DPOOL Pool, IDirect3DTexture8** ppTexture) {
  HRESULT hr;
  if (!ppTexture) {
    hr = invalidCall("null texture pointer");
  } else {
    *ppTexture = nullptr;
    hr = validateTextureRequest(D3DRTYPE_TEXTURE, Width, Height, 1, Levels, Usage, Format, Pool);
    if (SUCCEEDED(hr)) {
      // Without mip levels on the device, a full chain is a single level.
      if (Levels == 0 && Pool != D3DPOOL_SCRATCH &&
          (!(profile_->caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) ||
           (!(isPowerOfTwo(Width) && isPowerOfTwo(Height)) &&
            (profile_->caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL))))
        Levels = 1;
      Texture* t = new Texture(this, Width, Height, Levels, Usage, Format, Pool);
      hr = handOut(t, t->initialize(), ppTexture);
    }
  }
  return finish("CreateTexture", hr, TraceArgs() << Width << Height << Levels << Usage << Format << Pool);
}

HRESULT Device::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DCubeTexture8** ppCubeTexture) {
  HRESULT hr;
  if (!ppCubeTexture) {
    hr = invalidCall("null texture pointer");
  } else {
    *ppCubeTexture = nullptr;
    hr = validateTextureRequest(D3DRTYPE_CUBETEXTURE, EdgeLength, EdgeLength, 1, Levels, Usage, Format, Pool);
    if (SUCCEEDED(hr)) {
      if (Levels == 0 && Pool != D3DPOOL_SCRATCH &&
          !(profile_->caps.TextureCaps & D3DPTEXTURECAPS_MIPCUBEMAP))
        Levels = 1;
      CubeTexture* t = new CubeTexture(this, EdgeLength, Levels, Usage, Format, Pool);
      hr = handOut(t, t->initialize(), ppCubeTexture);
    }
  }
  return finish("CreateCubeTexture", hr, TraceArgs() << EdgeLength << Levels << Usage << Format << Pool);
}

HRESULT Device::CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage,
                                    D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DVolumeTexture8** ppVolumeTexture) {
  HRESULT hr;
  if (!ppVolumeTexture) {
    hr = invalidCall("null texture pointer");
  } else {
    *ppVolumeTexture = nullptr;
    hr = validateTextureRequest(D3DRTYPE_VOLUMETEXTURE, Width, Height, Depth, Levels, Usage, Format, Pool);
    if (SUCCEEDED(hr)) {
      if (Levels == 0 && Pool != D3DPOOL_SCRATCH &&
          !(profile_->caps.TextureCaps & D3DPTEXTURECAPS_MIPVOLUMEMAP))
        Levels = 1;
      VolumeTexture* t = new VolumeTexture(this, Width, Height, Depth, Levels, Usage, Format, Pool);
      hr = handOut(t, t->initialize(), ppVolumeTexture);
    }
  }
  return finish("CreateVolumeTexture", hr,
                TraceArgs() << Width << Height << Depth << Levels << Usage << Format << Pool);
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer8** ppVertexBuffer) {
  HRESULT hr = D3D_OK;
  if (!ppVertexBuffer) {
    hr = invalidCall("null buffer pointer");
  } else {
    *ppVertexBuffer = nullptr;
    hr = checkBufferLength(Length);
    if (SUCCEEDED(hr)) hr = checkBufferPlacement(Pool, Usage);
    if (SUCCEEDED(hr) && (FVF & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)))
      hr = invalidCall("reserved bits in the vertex format");
    if (SUCCEEDED(hr)) {
      VertexBuffer* b = new VertexBuffer(this, Length, Usage, FVF, Pool);
      hr = handOut(b, b->allocate() ? D3D_OK : E_OUTOFMEMORY, ppVertexBuffer);
    }
  }
  return finish("CreateVertexBuffer", hr, TraceArgs() << Length << Usage << FVF << Pool);
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer8** ppIndexBuffer) {
  HRESULT hr = D3D_OK;
  if (!ppIndexBuffer) {
    hr = invalidCall("null buffer pointer");
  } else {
    *ppIndexBuffer = nullptr;
    hr = checkBufferLength(Length);
    if (SUCCEEDED(hr) && Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32)
      hr = invalidCall("index format must be D3DFMT_INDEX16 or D3DFMT_INDEX32");
    if (SUCCEEDED(hr)) hr = checkBufferPlacement(Pool, Usage);
    if (SUCCEEDED(hr)) {
      IndexBuffer* b = new IndexBuffer(this, Length, Usage, Format, Pool);
      hr = handOut(b, b->allocate() ? D3D_OK : E_OUTOFMEMORY, ppIndexBuffer);
    }
  }
  return finish("CreateIndexBuffer", hr, TraceArgs() << Length << Usage << Format << Pool);
}

HRESULT Device::createStandaloneSurface(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                                        bool lockable, IDirect3DSurface8** out) {
  if (!out) return invalidCall("null surface pointer");
  *out = nullptr;
  const FormatLayout* fl = findFormatLayout(format);
  if (!fl || !fl->resourceFormat) return invalidCall("unknown format");
  ImageLayout layout;
  HRESULT hr = layoutFailure(computeImageLayout(format, width, height, 1, &layout));
  if (FAILED(hr)) return hr;
  D3DSURFACE_DESC d{format, D3DRTYPE_SURFACE, usage, pool, 0, D3DMULTISAMPLE_NONE, width, height};
  Surface* s = new Surface(this, Surface::Owner::kSelf, nullptr, d, layout, lockable, nullptr);
  return handOut(s, s->allocate() ? D3D_OK : E_OUTOFMEMORY, out);
}

HRESULT Device::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                   BOOL Lockable, IDirect3DSurface8** ppSurface) {
  HRESULT hr;
  if (MultiSample != D3DMULTISAMPLE_NONE)
    hr = invalidCall("multisampling not supported");
  else if (!direct3D_->supportsFormat(D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, Format))
    hr = invalidCall("format cannot be rendered to");
  else
    hr = createStandaloneSurface(Width, Height, Format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, Lockable != 0,
                                 ppSurface);
  if (FAILED(hr) && ppSurface) *ppSurface = nullptr;
  return finish("CreateRenderTarget", hr,
                TraceArgs() << Width << Height << Format << MultiSample << Lockable);
}

HRESULT Device::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                          D3DMULTISAMPLE_TYPE MultiSample, IDirect3DSurface8** ppSurface) {
  HRESULT hr;
  if (MultiSample != D3DMULTISAMPLE_NONE)
    hr = invalidCall("multisampling not supported");
  else if (!direct3D_->supportsFormat(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, Format))
    hr = invalidCall("not a depth-stencil format of this device");
  else
    hr = createStandaloneSurface(Width, Height, Format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                                 Format == D3DFMT_D16_LOCKABLE, ppSurface);
  if (FAILED(hr) && ppSurface) *ppSurface = nullptr;
  return finish("CreateDepthStencilSurface", hr, TraceArgs() << Width << Height << Format << MultiSample);
}

HRESULT Device::CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format, IDirect3DSurface8** ppSurface) {
  // Image surfaces live in system memory and take any format the device knows.
  const FormatLayout* fl = findFormatLayout(Format);
  HRESULT hr = fl && fl->depth && Format != D3DFMT_D16_LOCKABLE
                   ? invalidCall("depth formats need CreateDepthStencilSurface")
                   : createStandaloneSurface(Width, Height, Format, 0, D3DPOOL_SYSTEMMEM, true, ppSurface);
  if (FAILED(hr) && ppSurface) *ppSurface = nullptr;
  return finish("CreateImageSurface", hr, TraceArgs() << Width << Height << Format);
}

namespace {

// A rectangle in whole blocks of the format.
struct BlockRect {
  uint32_t left, top, width, height;
};

BlockRect toBlocks(const FormatLayout& f, const RECT& r) {
  const uint32_t bl = static_cast<uint32_t>(r.left) / f.blockWidth;
  const uint32_t bt = static_cast<uint32_t>(r.top) / f.blockHeight;
  const uint32_t br = (static_cast<uint32_t>(r.right) + f.blockWidth - 1) / f.blockWidth;
  const uint32_t bb = (static_cast<uint32_t>(r.bottom) + f.blockHeight - 1) / f.blockHeight;
  return {bl, bt, br - bl, bb - bt};
}

void copyBlocks(const FormatLayout& f, const BYTE* src, uint32_t srcPitch, BYTE* dst, uint32_t dstPitch,
                uint32_t blocksWide, uint32_t blockRows) {
  const size_t rowBytes = size_t{blocksWide} * f.bytesPerBlock;
  for (uint32_t y = 0; y < blockRows; ++y)
    std::memcpy(dst + size_t{y} * dstPitch, src + size_t{y} * srcPitch, rowBytes);
}

}  // namespace

HRESULT Device::copyRects(IDirect3DSurface8* src, const RECT* rects, UINT count, IDirect3DSurface8* dst,
                          const POINT* points) {
  Surface* s = dynamic_cast<Surface*>(src);
  Surface* d = dynamic_cast<Surface*>(dst);
  if (!s || !d) return invalidCall("null surface, or a surface of another origin");
  if (s == d) return invalidCall("source and destination are the same surface");
  if (s->device() != this || d->device() != this) return invalidCall("surface belongs to another device");
  if (s->desc().Format != d->desc().Format) return invalidCall("formats differ");
  if (s->locked() || d->locked()) return invalidCall("a surface is locked");
  if (s->format().depth || d->format().depth) return invalidCall("depth buffers cannot be copied");
  if (rects && count == 0) return invalidCall("rectangles given with a count of 0");
  if (!rects && count != 0) return invalidCall("a count without rectangles");
  const FormatLayout& f = s->format();
  const UINT n = rects ? count : 1;
  // Check every rectangle before copying any, so a failing call changes nothing. Sizes compare
  // in whole blocks: a block-format rectangle ending at its surface's edge may land on a smaller
  // surface whose edge lies in the same last block (a 4×4 staging copy of a 2×2 level).
  std::vector<std::pair<BlockRect, BlockRect>> plan;
  plan.reserve(n);
  const BlockRect dstAll =
      toBlocks(f, {0, 0, static_cast<LONG>(d->desc().Width), static_cast<LONG>(d->desc().Height)});
  for (UINT i = 0; i < n; ++i) {
    RECT r;
    if (const char* why = checkRect(f, s->desc().Width, s->desc().Height, rects ? &rects[i] : nullptr, &r))
      return invalidCall(why);
    const POINT p = points ? points[i] : POINT{r.left, r.top};
    if (p.x < 0 || p.y < 0) return invalidCall("destination point outside the surface");
    if (p.x % f.blockWidth || p.y % f.blockHeight)
      return invalidCall("destination point not on a block edge");
    BlockRect from = toBlocks(f, r);
    BlockRect to{static_cast<uint32_t>(p.x) / f.blockWidth, static_cast<uint32_t>(p.y) / f.blockHeight,
                 from.width, from.height};
    if (uint64_t{to.left} + to.width > dstAll.width || uint64_t{to.top} + to.height > dstAll.height)
      return invalidCall("rectangle does not fit the destination");
    plan.emplace_back(from, to);
  }
  const ImageLayout& sl = s->layout();
  const ImageLayout& dl = d->layout();
  for (const auto& [from, to] : plan) {
    const BYTE* sp = s->bits() + size_t{from.top} * sl.rowPitch + size_t{from.left} * f.bytesPerBlock;
    BYTE* dp = d->bits() + size_t{to.top} * dl.rowPitch + size_t{to.left} * f.bytesPerBlock;
    copyBlocks(f, sp, sl.rowPitch, dp, dl.rowPitch, from.width, from.height);
  }
  d->markChanged();
  return D3D_OK;
}

HRESULT Device::CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                          IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) {
  HRESULT hr = copyRects(pSourceSurface, pSourceRectsArray, cRects, pDestinationSurface, pDestPointsArray);
  return finish("CopyRects", hr,
                TraceArgs() << static_cast<const void*>(pSourceSurface) << pSourceRectsArray << cRects
                            << static_cast<const void*>(pDestinationSurface)
                            << static_cast<const void*>(pDestPointsArray));
}

HRESULT Device::updateTexture(IDirect3DBaseTexture8* src, IDirect3DBaseTexture8* dst) {
  TextureBase* s = asTextureBase(src);
  TextureBase* d = asTextureBase(dst);
  if (!s || !d) return invalidCall("null texture, or a texture of another origin");
  if (s == d) return invalidCall("source and destination are the same texture");
  if (s->kind() != d->kind()) return invalidCall("texture types differ");
  if (s->pool() != D3DPOOL_SYSTEMMEM) return invalidCall("source must be in D3DPOOL_SYSTEMMEM");
  if (d->pool() != D3DPOOL_DEFAULT) return invalidCall("destination must be in D3DPOOL_DEFAULT");
  if (s->format() != d->format()) return invalidCall("formats differ");
  if (s->anyLevelLocked() || d->anyLevelLocked()) return invalidCall("a level is locked");
  // The destination's top level matches a source level of the same size; from there the levels
  // pair up one to one.
  UINT dw, dh, dd;
  d->levelSize(0, &dw, &dh, &dd);
  UINT first = s->levelCount();
  for (UINT i = 0; i < s->levelCount(); ++i) {
    UINT w, h, z;
    s->levelSize(i, &w, &h, &z);
    if (w == dw && h == dh && z == dd) {
      first = i;
      break;
    }
  }
  if (first == s->levelCount()) return invalidCall("no source level matches the destination size");
  if (s->levelCount() - first < d->levelCount())
    return invalidCall("the source has fewer matching levels than the destination");
  for (UINT face = 0; face < d->faceCount(); ++face) {
    for (UINT i = 0; i < d->levelCount(); ++i) {
      const ImageLayout* sl;
      const ImageLayout* dl;
      const BYTE* sp = s->levelBits(face, first + i, &sl);
      BYTE* dp = d->levelBits(face, i, &dl);
      std::memcpy(dp, sp, dl->size);
      d->markLevelChanged(face, i);
    }
  }
  return D3D_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture8* pSourceTexture,
                              IDirect3DBaseTexture8* pDestinationTexture) {
  return finish("UpdateTexture", updateTexture(pSourceTexture, pDestinationTexture),
                TraceArgs() << static_cast<const void*>(pSourceTexture)
                            << static_cast<const void*>(pDestinationTexture));
}

}  // namespace zentu
