// Codecs of the palettized formats P8 and A8P8: decoding looks the index up, encoding searches the
// nearest palette entry (squared distance, lowest index on ties).
#include "d3dx/blt/codec_internal.h"

namespace zentu {
namespace {

using namespace codec;

// Index of the entry nearest to `p`; alpha counts only when `withAlpha`.
template <bool withAlpha>
BYTE nearestEntry(const FloatPixel (&palette)[256], const FloatPixel& p) {
  float best = 0.0f;
  unsigned bestIndex = 0;
  for (unsigned i = 0; i < 256; ++i) {
    const FloatPixel& e = palette[i];
    const float dr = p.r - e.r, dg = p.g - e.g, db = p.b - e.b;
    float d = dr * dr;
    d = d + dg * dg;
    d = d + db * db;
    if (withAlpha) {
      const float da = p.a - e.a;
      d = d + da * da;
    }
    // Strictly smaller only, so the lowest index keeps a tie; NaN distances never win.
    if (i == 0 || d < best) {
      best = d;
      bestIndex = i;
    }
  }
  return static_cast<BYTE>(bestIndex);
}

class P8Codec final : public PixelCodec {
 public:
  explicit P8Codec(const ImageDesc& desc) : PixelCodec(desc, 8, kRangeUnsigned) {}

  void DecodeRow(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = rowAddress(row, slice);
    for (UINT x = 0; x < Width; ++x) out[x] = PaletteColors[p[x]];
    applyColorKey(out, Width);
  }

  void EncodeRow(UINT row, UINT slice, const FloatPixel* in) override {
    in = prepareInput(in);
    BYTE* p = rowAddress(row, slice);
    for (UINT x = 0; x < Width; ++x) p[x] = nearestEntry<true>(PaletteColors, in[x]);
  }
};

class A8P8Codec final : public PixelCodec {
 public:
  explicit A8P8Codec(const ImageDesc& desc) : PixelCodec(desc, 16, kRangeUnsigned) {}

  void DecodeRow(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = rowAddress(row, slice);
    for (UINT x = 0; x < Width; ++x, p += 2) {
      out[x] = PaletteColors[p[0]];
      out[x].a = p[1] * k1_255;
    }
    applyColorKey(out, Width);
  }

  void EncodeRow(UINT row, UINT slice, const FloatPixel* in) override {
    in = prepareInput(in);
    BYTE* p = rowAddress(row, slice);
    const float* t = thresholdRow(row, slice);
    for (UINT x = 0; x < Width; ++x, p += 2) {
      p[0] = nearestEntry<false>(PaletteColors, in[x]);
      p[1] = static_cast<BYTE>(fieldTop(in[x].a, 255.0f, t[x & 3]));
    }
  }
};

}  // namespace

std::unique_ptr<PixelCodec> CreatePaletteCodec(const ImageDesc& desc) {
  if (desc.Format == D3DFMT_P8) return std::make_unique<P8Codec>(desc);
  if (desc.Format == D3DFMT_A8P8) return std::make_unique<A8P8Codec>(desc);
  return nullptr;
}

}  // namespace zentu
