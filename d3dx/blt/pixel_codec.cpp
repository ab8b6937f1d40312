// The codec base: region set-up, threshold tables, range conversion, colour keys and the factory.
#include "d3dx/blt/pixel_codec.h"

#include "d3dx/tex/format_table.h"

namespace zentu {

// clang-format off
const float kRoundingThresholds[32] = {
    0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
    0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
    0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
    0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
};
const float kDitherThresholds[32] = {
    0.96875f, 0.46875f, 0.84375f, 0.34375f, 0.96875f, 0.46875f, 0.84375f, 0.34375f,
    0.21875f, 0.71875f, 0.09375f, 0.59375f, 0.21875f, 0.71875f, 0.09375f, 0.59375f,
    0.78125f, 0.28125f, 0.90625f, 0.40625f, 0.78125f, 0.28125f, 0.90625f, 0.40625f,
    0.03125f, 0.53125f, 0.15625f, 0.65625f, 0.03125f, 0.53125f, 0.15625f, 0.65625f,
};
// clang-format on

PixelCodec::PixelCodec(const ImageDesc& desc, UINT bitsPerPixel, DWORD rangeClass)
    : Format(desc.Format),
      RangeClass(rangeClass),
      PerPixel(bitsPerPixel != 0),
      ColorKeyRaw(desc.ColorKey),
      Palettized(desc.Format == D3DFMT_P8 || desc.Format == D3DFMT_A8P8),
      Data(static_cast<BYTE*>(desc.Bits)),
      KeyColor{0, 0, 0, 0},
      Thresholds(desc.Dither ? kDitherThresholds : kRoundingThresholds),
      PaletteColors{},
      Box(desc.Region),
      OtherClass(0),
      RowPitch(desc.RowPitch),
      SlicePitch(desc.SlicePitch),
      Width(BoxWidth(desc.Region)),
      Height(BoxHeight(desc.Region)),
      Depth(BoxDepth(desc.Region)),
      RowBytes(0),
      BytesPerPixel(bitsPerPixel / 8) {
  constexpr float k = 1.0f / 255.0f;
  if (ColorKeyRaw) {
    KeyColor = {static_cast<float>((ColorKeyRaw >> 16) & 0xFF) * k,
                static_cast<float>((ColorKeyRaw >> 8) & 0xFF) * k, static_cast<float>(ColorKeyRaw & 0xFF) * k,
                static_cast<float>(ColorKeyRaw >> 24) * k};
  }
  if (Palettized) {
    for (unsigned i = 0; i < 256; ++i) {
      if (desc.Palette) {
        const PALETTEENTRY& e = desc.Palette[i];
        PaletteColors[i] = {static_cast<float>(e.peRed) * k, static_cast<float>(e.peGreen) * k,
                            static_cast<float>(e.peBlue) * k, static_cast<float>(e.peFlags) * k};
      } else {
        PaletteColors[i] = {1.0f, 1.0f, 1.0f, 1.0f};
      }
    }
  }
  RowBytes = BytesPerPixel * Width;
  if (PerPixel) {
    Data += static_cast<size_t>(BytesPerPixel) * desc.Region.Left +
            static_cast<size_t>(RowPitch) * desc.Region.Top +
            static_cast<size_t>(SlicePitch) * desc.Region.Front;
    Box = {0, 0, Width, Height, 0, Depth};
  }
}

PixelCodec::~PixelCodec() = default;

void PixelCodec::DecodeRow(UINT, UINT, FloatPixel*) {}
void PixelCodec::EncodeRow(UINT, UINT, const FloatPixel*) {}

void PixelCodec::QuantizeColorKey() {
  BYTE scratch[16] = {};
  BYTE* const savedData = Data;
  const UINT savedWidth = Width;
  const UINT savedRowBytes = RowBytes;
  const float* const savedThresholds = Thresholds;
  const D3DCOLOR savedKey = ColorKeyRaw;
  const DWORD savedOther = OtherClass;

  Data = scratch;
  Width = 1;
  RowBytes = BytesPerPixel;
  Thresholds = kRoundingThresholds;
  ColorKeyRaw = 0;
  OtherClass = 0;

  FloatPixel key = KeyColor;
  if (RangeClass != kRangeUnsigned) ConvertRangeClass(&key, 1, kRangeUnsigned, RangeClass);
  EncodeRow(0, 0, &key);
  DecodeRow(0, 0, &KeyColor);

  Data = savedData;
  Width = savedWidth;
  RowBytes = savedRowBytes;
  Thresholds = savedThresholds;
  ColorKeyRaw = savedKey;
  OtherClass = savedOther;
}

HRESULT PixelCodec::PrepareConversion(const PixelCodec& source) {
  if (source.RangeClass == RangeClass) return D3D_OK;
  if (!TryResize(ConvertBuffer, Width)) return E_OUTOFMEMORY;
  OtherClass = source.RangeClass;
  return D3D_OK;
}

void PixelCodec::ConvertRange(FloatPixel* pixels, UINT count) const {
  if (OtherClass) ConvertRangeClass(pixels, count, OtherClass, RangeClass);
}

const FloatPixel* PixelCodec::prepareInput(const FloatPixel* in) {
  if (!OtherClass || ConvertBuffer.size() < Width) return in;
  std::copy(in, in + Width, ConvertBuffer.begin());
  ConvertRange(ConvertBuffer.data(), Width);
  return ConvertBuffer.data();
}

void PixelCodec::applyColorKey(FloatPixel* pixels, UINT count) const {
  if (!ColorKeyRaw) return;
  for (UINT i = 0; i < count; ++i) {
    FloatPixel& p = pixels[i];
    if (p.r == KeyColor.r && p.g == KeyColor.g && p.b == KeyColor.b && p.a == KeyColor.a) p = {0, 0, 0, 0};
  }
}

void ConvertRangeClass(FloatPixel* pixels, UINT count, DWORD from, DWORD to) {
  if (from == to) return;
  const bool toUnsignedColor = to == kRangeUnsigned;
  const bool fromUnsignedColor = from == kRangeUnsigned;
  const bool fromSignedAlpha = from == kRangeSignedAll;
  const bool toSignedAlpha = to == kRangeSignedAll;
  for (UINT i = 0; i < count; ++i) {
    FloatPixel& p = pixels[i];
    if (toUnsignedColor && !fromUnsignedColor) {
      p.r = (p.r + 1.0f) * 0.5f;
      p.g = (p.g + 1.0f) * 0.5f;
      p.b = (p.b + 1.0f) * 0.5f;
    } else if (!toUnsignedColor && fromUnsignedColor) {
      p.r = p.r * 2.0f - 1.0f;
      p.g = p.g * 2.0f - 1.0f;
      p.b = p.b * 2.0f - 1.0f;
    }
    if (fromSignedAlpha && !toSignedAlpha)
      p.a = (p.a + 1.0f) * 0.5f;
    else if (!fromSignedAlpha && toSignedAlpha)
      p.a = p.a * 2.0f - 1.0f;
  }
}

std::unique_ptr<PixelCodec> CreateCodec(const ImageDesc& desc) {
  std::unique_ptr<PixelCodec> codec;
  try {
    if (desc.Format == D3DFMT_P8 || desc.Format == D3DFMT_A8P8)
      codec = CreatePaletteCodec(desc);
    else if (IsYuvFormat(desc.Format))
      codec = CreateYuvCodec(desc);
    else if (IsDxtFormat(desc.Format))
      return nullptr;  // block codec not available
    else
      codec = CreatePerPixelCodec(desc);
  } catch (...) {
    return nullptr;
  }
  if (codec && codec->ColorKeyRaw) codec->QuantizeColorKey();
  return codec;
}

}  // namespace zentu
