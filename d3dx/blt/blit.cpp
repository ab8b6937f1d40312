// The blit driver (validation, codecs, method order) and the methods that do not filter: raw
// copy, same-size conversion, no filter and point sampling.
#include "d3dx/blt/blit.h"

#include <algorithm>
#include <cstring>

namespace zentu {
namespace {

bool boxValid(const D3DBOX& b) {
  return b.Left <= b.Right && b.Top <= b.Bottom && b.Front <= b.Back;
}

bool boxInside(const D3DBOX& inner, const D3DBOX& outer) {
  return inner.Left >= outer.Left && inner.Right <= outer.Right && inner.Top >= outer.Top &&
         inner.Bottom <= outer.Bottom && inner.Front >= outer.Front && inner.Back <= outer.Back;
}

bool boxEmpty(const D3DBOX& b) {
  return b.Left == b.Right || b.Top == b.Bottom || b.Front == b.Back;
}

bool samePalette(const PixelCodec& a, const PixelCodec& b) {
  for (unsigned i = 0; i < 256; ++i) {
    const FloatPixel &p = a.PaletteColors[i], &q = b.PaletteColors[i];
    if (p.r != q.r || p.g != q.g || p.b != q.b || p.a != q.a) return false;
  }
  return true;
}

}  // namespace

HRESULT Blit(const ImageDesc& dest, const ImageDesc& source, DWORD filter) {
  Blitter blitter;
  return blitter.Run(dest, source, filter);
}

HRESULT Blitter::Run(const ImageDesc& destDesc, const ImageDesc& sourceDesc, DWORD filterWord) {
  src.reset();
  dst.reset();
  filter = filterWord;
  const DWORD type = filter & 0xFFFF;
  if (type < kFilterNone || type > kFilterBox || (filter & 0xFFF00000u)) return D3DERR_INVALIDCALL;
  // Regions must lie inside their images; a destination needs something to sample from.
  if (!destDesc.Bits || !sourceDesc.Bits) return D3DERR_INVALIDCALL;
  if (!boxValid(destDesc.Region) || !boxValid(sourceDesc.Region) ||
      !boxInside(destDesc.Region, destDesc.Extent) || !boxInside(sourceDesc.Region, sourceDesc.Extent))
    return D3DERR_INVALIDCALL;
  if (boxEmpty(destDesc.Region)) return D3D_OK;
  if (boxEmpty(sourceDesc.Region)) return D3DERR_INVALIDCALL;

  ImageDesc dest = destDesc;
  dest.Dither = (filter & kFilterDither) ? 1 : 0;
  dst = CreateCodec(dest);
  if (!dst) return E_FAIL;
  src = CreateCodec(sourceDesc);
  if (!src) {
    dst.reset();
    return E_FAIL;
  }
  HRESULT hr = dst->PrepareConversion(*src);
  if (SUCCEEDED(hr)) {
    using Method = HRESULT (Blitter::*)();
    static constexpr Method kMethods[] = {
        &Blitter::CopySameFormat,     &Blitter::ConvertSameSize,  &Blitter::ResampleNone,
        &Blitter::ResamplePoint,      &Blitter::ResampleBox2D,    &Blitter::ResampleBox3D,
        &Blitter::ResampleLinear2D,   &Blitter::ResampleLinear3D, &Blitter::ResampleTriangle2D,
        &Blitter::ResampleTriangle3D,
    };
    hr = E_FAIL;
    for (Method m : kMethods) {
      if (SUCCEEDED((this->*m)())) {
        hr = D3D_OK;
        break;
      }
    }
  }
  // Destroying the destination codec flushes whatever it still holds.
  dst.reset();
  src.reset();
  return hr;
}

HRESULT Blitter::CopySameFormat() {
  if (src->Format != dst->Format || src->ColorKeyRaw || !sameSize()) return E_FAIL;
  if (src->Palettized && !samePalette(*src, *dst)) return E_FAIL;
  if (IsYuvFormat(src->Format)) return E_FAIL;
  if (src->PerPixel) {
    for (UINT z = 0; z < dst->Depth; ++z)
      for (UINT y = 0; y < dst->Height; ++y) {
        const BYTE* from =
            src->Data + static_cast<size_t>(y) * src->RowPitch + static_cast<size_t>(z) * src->SlicePitch;
        BYTE* to =
            dst->Data + static_cast<size_t>(y) * dst->RowPitch + static_cast<size_t>(z) * dst->SlicePitch;
        std::memmove(to, from, dst->RowBytes);
      }
    return D3D_OK;
  }
  if (!IsDxtFormat(src->Format)) return E_FAIL;
  const D3DBOX &sb = src->Box, &db = dst->Box;
  if ((sb.Left | sb.Top | sb.Right | sb.Bottom | db.Left | db.Top | db.Right | db.Bottom) & 3u) return E_FAIL;
  const size_t blockBytes = src->Format == D3DFMT_DXT1 ? 8 : 16;
  const size_t rowBytes = static_cast<size_t>(dst->Width / 4) * blockBytes;
  for (UINT z = 0; z < dst->Depth; ++z)
    for (UINT y = 0; y < dst->Height; y += 4) {
      const BYTE* from = src->Data + static_cast<size_t>(sb.Front + z) * src->SlicePitch +
                         static_cast<size_t>((sb.Top + y) / 4) * src->RowPitch + (sb.Left / 4) * blockBytes;
      BYTE* to = dst->Data + static_cast<size_t>(db.Front + z) * dst->SlicePitch +
                 static_cast<size_t>((db.Top + y) / 4) * dst->RowPitch + (db.Left / 4) * blockBytes;
      std::memmove(to, from, rowBytes);
    }
  return D3D_OK;
}

HRESULT Blitter::ConvertSameSize() {
  if (!sameSize()) return E_FAIL;
  std::vector<FloatPixel> row;
  if (!TryResize(row, dst->Width)) return E_OUTOFMEMORY;
  for (UINT z = 0; z < dst->Depth; ++z)
    for (UINT y = 0; y < dst->Height; ++y) {
      src->DecodeRow(y, z, row.data());
      dst->EncodeRow(y, z, row.data());
    }
  return D3D_OK;
}

HRESULT Blitter::ResampleNone() {
  if (filterType() != kFilterNone) return E_FAIL;
  std::vector<FloatPixel> a, b;
  if (!TryResize(a, std::max(src->Width, dst->Width)) || !TryResize(b, dst->Width)) return E_OUTOFMEMORY;
  const UINT depth = std::min(src->Depth, dst->Depth);
  const UINT height = std::min(src->Height, dst->Height);
  for (UINT z = 0; z < depth; ++z) {
    for (UINT y = 0; y < height; ++y) {
      src->DecodeRow(y, z, a.data());
      dst->EncodeRow(y, z, a.data());
    }
    for (UINT y = height; y < dst->Height; ++y) dst->EncodeRow(y, z, b.data());
  }
  for (UINT z = depth; z < dst->Depth; ++z)
    for (UINT y = 0; y < dst->Height; ++y) dst->EncodeRow(y, z, b.data());
  return D3D_OK;
}

HRESULT Blitter::ResamplePoint() {
  if (filterType() != kFilterPoint) return E_FAIL;
  std::vector<FloatPixel> in, out;
  if (!TryResize(in, src->Width) || !TryResize(out, dst->Width)) return E_OUTOFMEMORY;
  // 16.16 fixed point, held in 64 bits so that sources of 65536 pixels and more step correctly.
  const uint64_t stepX = (static_cast<uint64_t>(src->Width) << 16) / dst->Width;
  const uint64_t stepY = (static_cast<uint64_t>(src->Height) << 16) / dst->Height;
  const uint64_t stepZ = (static_cast<uint64_t>(src->Depth) << 16) / dst->Depth;
  uint64_t posZ = 0;
  for (UINT z = 0; z < dst->Depth; ++z, posZ += stepZ) {
    const UINT sz = static_cast<UINT>(posZ >> 16);
    bool haveRow = false;
    UINT lastRow = 0;
    uint64_t posY = 0;
    for (UINT y = 0; y < dst->Height; ++y, posY += stepY) {
      const UINT sy = static_cast<UINT>(posY >> 16);
      if (!haveRow || sy != lastRow) {
        src->DecodeRow(sy, sz, in.data());
        haveRow = true;
        lastRow = sy;
      }
      uint64_t posX = 0;
      for (UINT x = 0; x < dst->Width; ++x, posX += stepX) out[x] = in[static_cast<size_t>(posX >> 16)];
      dst->EncodeRow(y, z, out.data());
    }
  }
  return D3D_OK;
}

}  // namespace zentu
