// Codecs of the formats with a fixed number of bits per pixel (except the palettized ones): one
// small traits record per format with its unpacking and packing written out, driven by one row loop.
#include "d3dx/blt/codec_internal.h"
#include "d3dx/tex/format_table.h"

namespace zentu {
namespace {

using namespace codec;

template <class F>
class PackedCodec final : public PixelCodec {
 public:
  explicit PackedCodec(const ImageDesc& desc) : PixelCodec(desc, F::kBits, F::kClass) {}

  void DecodeRow(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = rowAddress(row, slice);
    for (UINT x = 0; x < Width; ++x, p += F::kBits / 8) F::decode(p, out[x]);
    applyColorKey(out, Width);
  }

  void EncodeRow(UINT row, UINT slice, const FloatPixel* in) override {
    in = prepareInput(in);
    BYTE* p = rowAddress(row, slice);
    const float* t = thresholdRow(row, slice);
    for (UINT x = 0; x < Width; ++x, p += F::kBits / 8) F::encode(p, in[x], t[x & 3]);
  }
};

struct R8G8B8 {
  static constexpr UINT kBits = 24;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    o = {p[2] * k1_255, p[1] * k1_255, p[0] * k1_255, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[2] = static_cast<BYTE>(fieldTop(i.r, 255.0f, t));
    p[1] = static_cast<BYTE>(fieldTop(i.g, 255.0f, t));
    p[0] = static_cast<BYTE>(fieldTop(i.b, 255.0f, t));
  }
};

struct A8R8G8B8 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    o = {((w >> 16) & 0xFF) * k1_255, ((w >> 8) & 0xFF) * k1_255, (w & 0xFF) * k1_255, (w >> 24) * k1_255};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldTop(i.a, 255.0f, t) << 24 | fieldClamped(i.r, 255.0f, t, 255) << 16 |
                   fieldClamped(i.g, 255.0f, t, 255) << 8 | fieldClamped(i.b, 255.0f, t, 255));
  }
};

struct X8R8G8B8 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    o = {((w >> 16) & 0xFF) * k1_255, ((w >> 8) & 0xFF) * k1_255, (w & 0xFF) * k1_255, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldClamped(i.r, 255.0f, t, 255) << 16 | fieldClamped(i.g, 255.0f, t, 255) << 8 |
                   fieldClamped(i.b, 255.0f, t, 255));
  }
};

struct R5G6B5 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load16(p);
    o = {(w >> 11) * k1_31, ((w >> 5) & 0x3F) * k1_63, (w & 0x1F) * k1_31, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldTop(i.r, 31.0f, t) << 11 | fieldClamped(i.g, 63.0f, t, 63) << 5 |
                   fieldClamped(i.b, 31.0f, t, 31));
  }
};

struct X1R5G5B5 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load16(p);
    o = {((w >> 10) & 0x1F) * k1_31, ((w >> 5) & 0x1F) * k1_31, (w & 0x1F) * k1_31, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldClamped(i.r, 31.0f, t, 31) << 10 | fieldClamped(i.g, 31.0f, t, 31) << 5 |
                   fieldClamped(i.b, 31.0f, t, 31));
  }
};

struct A1R5G5B5 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load16(p);
    o = {((w >> 10) & 0x1F) * k1_31, ((w >> 5) & 0x1F) * k1_31, (w & 0x1F) * k1_31,
         static_cast<float>(w >> 15)};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldTop(i.a, 1.0f, t) << 15 | fieldClamped(i.r, 31.0f, t, 31) << 10 |
                   fieldClamped(i.g, 31.0f, t, 31) << 5 | fieldClamped(i.b, 31.0f, t, 31));
  }
};

struct A4R4G4B4 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load16(p);
    o = {((w >> 8) & 0xF) * k1_15, ((w >> 4) & 0xF) * k1_15, (w & 0xF) * k1_15, (w >> 12) * k1_15};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldTop(i.a, 15.0f, t) << 12 | fieldClamped(i.r, 15.0f, t, 15) << 8 |
                   fieldClamped(i.g, 15.0f, t, 15) << 4 | fieldClamped(i.b, 15.0f, t, 15));
  }
};

struct X4R4G4B4 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load16(p);
    o = {((w >> 8) & 0xF) * k1_15, ((w >> 4) & 0xF) * k1_15, (w & 0xF) * k1_15, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldClamped(i.r, 15.0f, t, 15) << 8 | fieldClamped(i.g, 15.0f, t, 15) << 4 |
                   fieldClamped(i.b, 15.0f, t, 15));
  }
};

struct R3G3B2 {
  static constexpr UINT kBits = 8;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = p[0];
    o = {(w >> 5) * k1_7, ((w >> 2) & 7) * k1_7, (w & 3) * k1_3, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldTop(i.r, 7.0f, t) << 5 | fieldClamped(i.g, 7.0f, t, 7) << 2 |
                             fieldClamped(i.b, 3.0f, t, 3));
  }
};

struct A8 {
  static constexpr UINT kBits = 8;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) { o = {0.0f, 0.0f, 0.0f, p[0] * k1_255}; }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldTop(i.a, 255.0f, t));
  }
};

struct A8R3G3B2 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = p[0];
    o = {(w >> 5) * k1_7, ((w >> 2) & 7) * k1_7, (w & 3) * k1_3, p[1] * k1_255};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldTop(i.a, 255.0f, t) << 8 | fieldClamped(i.r, 7.0f, t, 7) << 5 |
                   fieldClamped(i.g, 7.0f, t, 7) << 2 | fieldClamped(i.b, 3.0f, t, 3));
  }
};

struct A2B10G10R10 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    o = {(w & 0x3FF) * k1_1023, ((w >> 10) & 0x3FF) * k1_1023, ((w >> 20) & 0x3FF) * k1_1023,
         (w >> 30) * k1_3};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldTop(i.a, 3.0f, t) << 30 | fieldClamped(i.b, 1023.0f, t, 1023) << 20 |
                   fieldClamped(i.g, 1023.0f, t, 1023) << 10 | fieldClamped(i.r, 1023.0f, t, 1023));
  }
};

struct G16R16 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    o = {(w & 0xFFFF) * k1_65535, (w >> 16) * k1_65535, 1.0f, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldTop(i.g, 65535.0f, t) << 16 | fieldClamped(i.r, 65535.0f, t, 65535));
  }
};

struct L8 {
  static constexpr UINT kBits = 8;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const float l = p[0] * k1_255;
    o = {l, l, l, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldTop(luminance(i), 255.0f, t));
  }
};

struct A8L8 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const float l = p[0] * k1_255;
    o = {l, l, l, p[1] * k1_255};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldTop(luminance(i), 255.0f, t));
    p[1] = static_cast<BYTE>(fieldTop(i.a, 255.0f, t));
  }
};

struct A4L4 {
  static constexpr UINT kBits = 8;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const float l = (p[0] & 0xF) * k1_15;
    o = {l, l, l, (p[0] >> 4) * k1_15};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldTop(i.a, 15.0f, t) << 4 | fieldClamped(luminance(i), 15.0f, t, 15));
  }
};

struct V8U8 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeSignedColor;
  static void decode(const BYTE* p, FloatPixel& o) {
    o = {static_cast<int8_t>(p[0]) * (1.0f / 128), static_cast<int8_t>(p[1]) * (1.0f / 128), 0.0f, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldSigned(i.r, 128.0f, t, 0xFF));
    p[1] = static_cast<BYTE>(fieldSigned(i.g, 128.0f, t, 0xFF));
  }
};

struct L6V5U5 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeSignedColor;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load16(p);
    o = {signedField(w, 0, 5) * (1.0f / 16), signedField(w, 5, 5) * (1.0f / 16), 0.0f, (w >> 10) * k1_63};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldTop(i.a, 63.0f, t) << 10 | fieldSigned(i.g, 16.0f, t, 0x1F) << 5 |
                   fieldSigned(i.r, 16.0f, t, 0x1F));
  }
};

struct X8L8V8U8 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeSignedColor;
  static void decode(const BYTE* p, FloatPixel& o) {
    o = {static_cast<int8_t>(p[0]) * (1.0f / 128), static_cast<int8_t>(p[1]) * (1.0f / 128), 0.0f,
         p[2] * k1_255};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldSigned(i.r, 128.0f, t, 0xFF));
    p[1] = static_cast<BYTE>(fieldSigned(i.g, 128.0f, t, 0xFF));
    p[2] = static_cast<BYTE>(fieldTop(i.a, 255.0f, t));
    p[3] = 0;
  }
};

struct Q8W8V8U8 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeSignedAll;
  static void decode(const BYTE* p, FloatPixel& o) {
    constexpr float k = 1.0f / 128;
    o = {static_cast<int8_t>(p[0]) * k, static_cast<int8_t>(p[1]) * k, static_cast<int8_t>(p[2]) * k,
         static_cast<int8_t>(p[3]) * k};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    p[0] = static_cast<BYTE>(fieldSigned(i.r, 128.0f, t, 0xFF));
    p[1] = static_cast<BYTE>(fieldSigned(i.g, 128.0f, t, 0xFF));
    p[2] = static_cast<BYTE>(fieldSigned(i.b, 128.0f, t, 0xFF));
    p[3] = static_cast<BYTE>(fieldSigned(i.a, 128.0f, t, 0xFF));
  }
};

struct V16U16 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeSignedColor;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    constexpr float k = 1.0f / 32768;
    o = {signedField(w, 0, 16) * k, signedField(w, 16, 16) * k, 0.0f, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldSigned(i.g, 32768.0f, t, 0xFFFF) << 16 | fieldSigned(i.r, 32768.0f, t, 0xFFFF));
  }
};

struct W11V11U10 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeSignedColor;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    o = {signedField(w, 0, 10) * (1.0f / 512), signedField(w, 10, 11) * (1.0f / 1024),
         signedField(w, 21, 11) * (1.0f / 1024), 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldSigned(i.b, 1024.0f, t, 0x7FF) << 21 | fieldSigned(i.g, 1024.0f, t, 0x7FF) << 10 |
                   fieldSigned(i.r, 512.0f, t, 0x3FF));
  }
};

struct A2W10V10U10 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeSignedColor;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    constexpr float k = 1.0f / 512;
    o = {signedField(w, 0, 10) * k, signedField(w, 10, 10) * k, signedField(w, 20, 10) * k, (w >> 30) * k1_3};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldTop(i.a, 3.0f, t) << 30 | fieldSigned(i.b, 512.0f, t, 0x3FF) << 20 |
                   fieldSigned(i.g, 512.0f, t, 0x3FF) << 10 | fieldSigned(i.r, 512.0f, t, 0x3FF));
  }
};

// D16_LOCKABLE and the internal " L16".
struct L16 {
  static constexpr UINT kBits = 16;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const float l = load16(p) * k1_65535;
    o = {l, l, l, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p, fieldTop(luminance(i), 65535.0f, t));
  }
};

struct A16L16 {
  static constexpr UINT kBits = 32;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    const uint32_t w = load32(p);
    const float l = (w & 0xFFFF) * k1_65535;
    o = {l, l, l, (w >> 16) * k1_65535};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store32(p, fieldTop(i.a, 65535.0f, t) << 16 | fieldClamped(luminance(i), 65535.0f, t, 65535));
  }
};

struct R16G16B16 {
  static constexpr UINT kBits = 48;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    o = {load16(p + 4) * k1_65535, load16(p + 2) * k1_65535, load16(p) * k1_65535, 1.0f};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p + 4, fieldTop(i.r, 65535.0f, t));
    store16(p + 2, fieldTop(i.g, 65535.0f, t));
    store16(p, fieldTop(i.b, 65535.0f, t));
  }
};

struct A16R16G16B16 {
  static constexpr UINT kBits = 64;
  static constexpr DWORD kClass = kRangeUnsigned;
  static void decode(const BYTE* p, FloatPixel& o) {
    o = {load16(p + 4) * k1_65535, load16(p + 2) * k1_65535, load16(p) * k1_65535, load16(p + 6) * k1_65535};
  }
  static void encode(BYTE* p, const FloatPixel& i, float t) {
    store16(p + 6, fieldTop(i.a, 65535.0f, t));
    store16(p + 4, fieldTop(i.r, 65535.0f, t));
    store16(p + 2, fieldTop(i.g, 65535.0f, t));
    store16(p, fieldTop(i.b, 65535.0f, t));
  }
};

template <class F>
std::unique_ptr<PixelCodec> make(const ImageDesc& desc) {
  return std::make_unique<PackedCodec<F>>(desc);
}

}  // namespace

std::unique_ptr<PixelCodec> CreatePerPixelCodec(const ImageDesc& desc) {
  switch (static_cast<DWORD>(desc.Format)) {
    case D3DFMT_R8G8B8:
      return make<R8G8B8>(desc);
    case D3DFMT_A8R8G8B8:
      return make<A8R8G8B8>(desc);
    case D3DFMT_X8R8G8B8:
      return make<X8R8G8B8>(desc);
    case D3DFMT_R5G6B5:
      return make<R5G6B5>(desc);
    case D3DFMT_X1R5G5B5:
      return make<X1R5G5B5>(desc);
    case D3DFMT_A1R5G5B5:
      return make<A1R5G5B5>(desc);
    case D3DFMT_A4R4G4B4:
      return make<A4R4G4B4>(desc);
    case D3DFMT_R3G3B2:
      return make<R3G3B2>(desc);
    case D3DFMT_A8:
      return make<A8>(desc);
    case D3DFMT_A8R3G3B2:
      return make<A8R3G3B2>(desc);
    case D3DFMT_X4R4G4B4:
      return make<X4R4G4B4>(desc);
    case D3DFMT_A2B10G10R10:
      return make<A2B10G10R10>(desc);
    case D3DFMT_G16R16:
      return make<G16R16>(desc);
    case D3DFMT_L8:
      return make<L8>(desc);
    case D3DFMT_A8L8:
      return make<A8L8>(desc);
    case D3DFMT_A4L4:
      return make<A4L4>(desc);
    case D3DFMT_V8U8:
      return make<V8U8>(desc);
    case D3DFMT_L6V5U5:
      return make<L6V5U5>(desc);
    case D3DFMT_X8L8V8U8:
      return make<X8L8V8U8>(desc);
    case D3DFMT_Q8W8V8U8:
      return make<Q8W8V8U8>(desc);
    case D3DFMT_V16U16:
      return make<V16U16>(desc);
    case D3DFMT_W11V11U10:
      return make<W11V11U10>(desc);
    case D3DFMT_A2W10V10U10:
      return make<A2W10V10U10>(desc);
    case D3DFMT_D16_LOCKABLE:
      return make<L16>(desc);
    case FMT_L16:
      return make<L16>(desc);
    case FMT_A16L16:
      return make<A16L16>(desc);
    case FMT_R16G16B16:
      return make<R16G16B16>(desc);
    case FMT_A16R16G16B16:
      return make<A16R16G16B16>(desc);
    default:
      return nullptr;
  }
}

}  // namespace zentu
