// The codec of the packed 4:2:2 formats YUY2 and UYVY: one row of pixel pairs is held decoded at a
// time and written back when another row is needed or the codec ends. Conversion follows ITU-R
// BT.601 with studio-range luma (16 to 235).
#include <cmath>
#include <limits>

#include "d3dx/blt/codec_internal.h"

namespace zentu {
namespace {

using namespace codec;

constexpr UINT kNoRow = std::numeric_limits<UINT>::max();

// Nearest integer, ties to even, without consulting the floating-point environment.
int32_t nearestInt(float s) {
  if (!(s == s)) return 0;
  if (s > 1.0e6f) return 1000000;
  if (s < -1.0e6f) return -1000000;
  const float f = std::floor(s);
  const float frac = s - f;
  int32_t i = static_cast<int32_t>(f);
  if (frac > 0.5f || (frac == 0.5f && (i & 1))) ++i;
  return i;
}

BYTE clampByte(int32_t v) {
  return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

float clampUnit(float v) {
  return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

class YuvCodec final : public PixelCodec {
 public:
  explicit YuvCodec(const ImageDesc& desc)
      : PixelCodec(desc, 0, kRangeUnsigned),
        spanLeft_(desc.Region.Left & ~1u),
        spanRight_(desc.Region.Right + (desc.Region.Right & 1u)),
        lumaShift_(desc.Format == D3DFMT_YUY2 ? 0 : 8),
        chromaShift_(desc.Format == D3DFMT_YUY2 ? 8 : 0) {
    hasBuffer_ = TryResize(span_, spanRight_ - spanLeft_);
  }

  ~YuvCodec() override { commit(); }

  void DecodeRow(UINT row, UINT slice, FloatPixel* out) override {
    if (!hasBuffer_) return;
    fetch(row + Box.Top, slice + Box.Front, true);
    const FloatPixel* src = span_.data() + (Box.Left - spanLeft_);
    std::copy(src, src + Width, out);
    applyColorKey(out, Width);
  }

  void EncodeRow(UINT row, UINT slice, const FloatPixel* in) override {
    if (!hasBuffer_) return;
    in = prepareInput(in);
    const bool pairAligned = (Box.Left & 1u) == 0 && (Box.Right & 1u) == 0;
    fetch(row + Box.Top, slice + Box.Front, !pairAligned);
    std::copy(in, in + Width, span_.begin() + (Box.Left - spanLeft_));
    dirty_ = true;
  }

  // The key is compared with the decoded values as they are.
  void QuantizeColorKey() override {}

 private:
  BYTE* spanAddress(UINT row, UINT slice) const {
    return Data + static_cast<size_t>(row) * RowPitch + static_cast<size_t>(slice) * SlicePitch +
           static_cast<size_t>(spanLeft_) * 2;
  }

  void fetch(UINT row, UINT slice, bool load) {
    if (row == row_ && slice == slice_) return;
    commit();
    row_ = row;
    slice_ = slice;
    if (!load) return;
    const BYTE* p = spanAddress(row, slice);
    for (size_t x = 0; x + 1 < span_.size(); x += 2, p += 4) {
      const uint32_t w0 = load16(p), w1 = load16(p + 2);
      const float d = static_cast<float>(static_cast<int32_t>((w1 >> chromaShift_) & 0xFF) - 128);
      const float e = static_cast<float>(static_cast<int32_t>((w0 >> chromaShift_) & 0xFF) - 128);
      decodePixel(static_cast<int32_t>((w0 >> lumaShift_) & 0xFF), d, e, span_[x]);
      decodePixel(static_cast<int32_t>((w1 >> lumaShift_) & 0xFF), d, e, span_[x + 1]);
    }
  }

  static void decodePixel(int32_t luma, float d, float e, FloatPixel& o) {
    const float y = static_cast<float>(luma - 16) * 0.004566209856420755f;
    float r = d * 0.006258930079638958f;
    r = y + r;
    float g = e * 0.0015363199636340141f;
    g = y - g;
    const float gv = d * 0.0031881099566817284f;
    g = g - gv;
    float b = e * 0.007910709828138351f;
    b = y + b;
    o = {clampUnit(r), clampUnit(g), clampUnit(b), 1.0f};
  }

  void commit() {
    if (!dirty_) return;
    dirty_ = false;
    BYTE* p = spanAddress(row_, slice_);
    for (size_t x = 0; x + 1 < span_.size(); x += 2, p += 4) {
      const FloatPixel& a = span_[x];
      const FloatPixel& b = span_[x + 1];
      const BYTE y0 = clampByte(16 + nearestInt(sum3(65.481f * a.r, 128.553f * a.g, 24.966f * a.b)));
      const BYTE y1 = clampByte(16 + nearestInt(sum3(65.481f * b.r, 24.966f * b.b, 128.553f * b.g)));
      const BYTE u = clampByte(128 + nearestInt(diff3(112.0f * a.b, 74.203f * a.g, 37.797f * a.r)));
      float vs = 93.786f * a.g;
      const float vb = 18.214f * a.b;
      vs = vs + vb;
      const BYTE v = clampByte(128 + nearestInt(112.0f * a.r - vs));
      store16(p, static_cast<uint32_t>(y0) << lumaShift_ | static_cast<uint32_t>(u) << chromaShift_);
      store16(p + 2, static_cast<uint32_t>(y1) << lumaShift_ | static_cast<uint32_t>(v) << chromaShift_);
    }
  }

  static float sum3(float a, float b, float c) {
    float s = a + b;
    s = s + c;
    return s;
  }
  static float diff3(float a, float b, float c) {
    float s = a - b;
    s = s - c;
    return s;
  }

  UINT spanLeft_, spanRight_;
  UINT lumaShift_, chromaShift_;
  std::vector<FloatPixel> span_;
  bool hasBuffer_ = false;
  bool dirty_ = false;
  UINT row_ = kNoRow, slice_ = kNoRow;
};

}  // namespace

std::unique_ptr<PixelCodec> CreateYuvCodec(const ImageDesc& desc) {
  return std::make_unique<YuvCodec>(desc);
}

}  // namespace zentu
