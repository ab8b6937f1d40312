// Pixel codecs: read and write one image region in one pixel format, a row at a time, converting
// between the format's bits and FloatPixel.
#pragma once

#include <memory>
#include <vector>

#include "d3dx/blt/image_desc.h"

namespace zentu {

// Range classes: which channels are signed.
enum : DWORD {
  kRangeUnsigned = 1,     // all four channels 0..1
  kRangeSignedColor = 2,  // red, green, blue -1..1, alpha 0..1
  kRangeSignedAll = 3,    // all four -1..1
};

// Two consecutive tables of four rows of eight: every entry 0.5 (rounding), and the 4x4 ordered
// dither matrix M as (M + 0.5) / 16 with each row's four values repeated.
extern const float kRoundingThresholds[32];
extern const float kDitherThresholds[32];

class PixelCodec {
 public:
  virtual ~PixelCodec();
  // Fills `Width` pixels of region row `row`, slice `slice`; keyed pixels become (0, 0, 0, 0).
  virtual void DecodeRow(UINT row, UINT slice, FloatPixel* out);
  // Writes `Width` pixels into region row `row`, slice `slice`, converting range first if needed.
  virtual void EncodeRow(UINT row, UINT slice, const FloatPixel* in);
  // Makes `KeyColor` exactly what DecodeRow yields for the key's colour.
  virtual void QuantizeColorKey();

  // On the destination codec: arranges range conversion from `source`'s class.
  HRESULT PrepareConversion(const PixelCodec& source);
  // Converts `count` pixels in place from `OtherClass` into this codec's class.
  void ConvertRange(FloatPixel* pixels, UINT count) const;

  D3DFORMAT Format;
  DWORD RangeClass;
  DWORD PerPixel;
  D3DCOLOR ColorKeyRaw;
  DWORD Palettized;
  BYTE* Data;
  FloatPixel KeyColor;
  const float* Thresholds;
  FloatPixel PaletteColors[256];
  D3DBOX Box;
  DWORD OtherClass;
  std::vector<FloatPixel> ConvertBuffer;
  UINT RowPitch, SlicePitch;
  UINT Width, Height, Depth;
  UINT RowBytes;
  UINT BytesPerPixel;

 protected:
  PixelCodec(const ImageDesc& desc, UINT bitsPerPixel, DWORD rangeClass);

  BYTE* rowAddress(UINT row, UINT slice) const {
    return Data + static_cast<size_t>(row) * RowPitch + static_cast<size_t>(slice) * SlicePitch;
  }
  // The threshold row for (row, slice): entry (x & 3) is the threshold of column x.
  const float* thresholdRow(UINT row, UINT slice) const { return Thresholds + (row & 3) * 8 + (slice & 3); }
  // `in`, or its range-converted copy in ConvertBuffer.
  const FloatPixel* prepareInput(const FloatPixel* in);
  void applyColorKey(FloatPixel* pixels, UINT count) const;
};

// Converts `count` pixels in place between range classes.
void ConvertRangeClass(FloatPixel* pixels, UINT count, DWORD from, DWORD to);

// The codec for `desc`'s format and region, or null when the format is unsupported or memory is
// short. The codec keeps `desc.Bits` and `desc.Palette` only as addresses; the caller keeps both
// alive while the codec lives. DXT formats answer null until the block codec joins the factory;
// a block codec derives from PixelCodec (PerPixel 0, Data = Bits, Box = the region) and overrides
// all four operations.
std::unique_ptr<PixelCodec> CreateCodec(const ImageDesc& desc);

// Per-pixel codec factory (the formats with a fixed number of bits per pixel).
std::unique_ptr<PixelCodec> CreatePerPixelCodec(const ImageDesc& desc);
std::unique_ptr<PixelCodec> CreatePaletteCodec(const ImageDesc& desc);
std::unique_ptr<PixelCodec> CreateYuvCodec(const ImageDesc& desc);

// Grows `v` to `n` default values; false when memory is short.
template <class T>
bool TryResize(std::vector<T>& v, size_t n) {
  try {
    v.assign(n, T{});
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace zentu
