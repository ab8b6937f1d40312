// Bilinear and trilinear resampling: two taps per axis at position i * (source / dest) - 0.5,
// the edges either wrapped round or held at the border pixel.
#include <cmath>

#include "d3dx/blt/blit.h"

namespace zentu {
namespace {

// Two decoded source rows of one slice, each remembering which row it holds.
class RowPair {
 public:
  bool allocate(UINT width) { return TryResize(a_, width) && TryResize(b_, width); }
  void forget() { haveA_ = haveB_ = false; }

  void fetch(PixelCodec& codec, INT i0, INT i1, UINT slice) {
    if (!haveA_ || rowA_ != i0) {
      if (haveB_ && rowB_ == i0) {
        a_.swap(b_);
        rowA_ = rowB_;
        haveA_ = true;
        haveB_ = false;
      } else {
        codec.DecodeRow(static_cast<UINT>(i0), slice, a_.data());
        rowA_ = i0;
        haveA_ = true;
      }
    }
    if (!haveB_ || rowB_ != i1) {
      codec.DecodeRow(static_cast<UINT>(i1), slice, b_.data());
      rowB_ = i1;
      haveB_ = true;
    }
  }

  const FloatPixel* a() const { return a_.data(); }
  const FloatPixel* b() const { return b_.data(); }

 private:
  std::vector<FloatPixel> a_, b_;
  INT rowA_ = 0, rowB_ = 0;
  bool haveA_ = false, haveB_ = false;
};

// u0 * row[j0] + u1 * row[j1]
inline FloatPixel lerpX(const FloatPixel* row, const LinearWeights& x) {
  const FloatPixel &p = row[x.I0], &q = row[x.I1];
  return {x.W0 * p.r + x.W1 * q.r, x.W0 * p.g + x.W1 * q.g, x.W0 * p.b + x.W1 * q.b, x.W0 * p.a + x.W1 * q.a};
}

inline FloatPixel mix(const FloatPixel& p, float u, const FloatPixel& q, float v) {
  return {p.r * u + q.r * v, p.g * u + q.g * v, p.b * u + q.b * v, p.a * u + q.a * v};
}

}  // namespace

std::vector<LinearWeights> BuildLinearWeights(UINT destSize, UINT sourceSize, bool wrap) {
  std::vector<LinearWeights> w;
  if (destSize == 0 || sourceSize == 0 || !TryResize(w, destSize)) return {};
  const float scale = static_cast<float>(sourceSize) / static_cast<float>(destSize);
  const INT m = static_cast<INT>(sourceSize);
  for (UINT i = 0; i < destSize; ++i) {
    float x = static_cast<float>(i) * scale;
    x = x - 0.5f;
    const float f = std::floor(x);
    LinearWeights& e = w[i];
    e.I0 = static_cast<INT>(f);
    e.I1 = e.I0 + 1;
    const float frac = x - f;
    e.W0 = 1.0f - frac;
    e.W1 = 1.0f - e.W0;
    if (e.I0 < 0) e.I0 = wrap ? m - 1 : 0;
    if (e.I1 >= m) e.I1 = wrap ? 0 : m - 1;
  }
  return w;
}

HRESULT Blitter::ResampleLinear2D() {
  if (filterType() != kFilterLinear || src->Depth != 1 || dst->Depth != 1) return E_FAIL;
  const std::vector<LinearWeights> wx =
      BuildLinearWeights(dst->Width, src->Width, !(filter & kFilterMirrorU));
  const std::vector<LinearWeights> wy =
      BuildLinearWeights(dst->Height, src->Height, !(filter & kFilterMirrorV));
  RowPair rows;
  std::vector<FloatPixel> out;
  if (wx.empty() || wy.empty() || !rows.allocate(src->Width) || !TryResize(out, dst->Width))
    return E_OUTOFMEMORY;
  for (UINT y = 0; y < dst->Height; ++y) {
    const LinearWeights& e = wy[y];
    rows.fetch(*src, e.I0, e.I1, 0);
    for (UINT x = 0; x < dst->Width; ++x)
      out[x] = mix(lerpX(rows.a(), wx[x]), e.W0, lerpX(rows.b(), wx[x]), e.W1);
    dst->EncodeRow(y, 0, out.data());
  }
  return D3D_OK;
}

HRESULT Blitter::ResampleLinear3D() {
  if (filterType() != kFilterLinear) return E_FAIL;
  const std::vector<LinearWeights> wx =
      BuildLinearWeights(dst->Width, src->Width, !(filter & kFilterMirrorU));
  const std::vector<LinearWeights> wy =
      BuildLinearWeights(dst->Height, src->Height, !(filter & kFilterMirrorV));
  const std::vector<LinearWeights> wz =
      BuildLinearWeights(dst->Depth, src->Depth, !(filter & kFilterMirrorW));
  RowPair near, far;
  std::vector<FloatPixel> out;
  if (wx.empty() || wy.empty() || wz.empty() || !near.allocate(src->Width) || !far.allocate(src->Width) ||
      !TryResize(out, dst->Width))
    return E_OUTOFMEMORY;
  for (UINT z = 0; z < dst->Depth; ++z) {
    const LinearWeights& ez = wz[z];
    near.forget();
    far.forget();
    for (UINT y = 0; y < dst->Height; ++y) {
      const LinearWeights& e = wy[y];
      near.fetch(*src, e.I0, e.I1, static_cast<UINT>(ez.I0));
      far.fetch(*src, e.I0, e.I1, static_cast<UINT>(ez.I1));
      for (UINT x = 0; x < dst->Width; ++x) {
        const FloatPixel s0 = mix(lerpX(near.a(), wx[x]), e.W0, lerpX(near.b(), wx[x]), e.W1);
        const FloatPixel s1 = mix(lerpX(far.a(), wx[x]), e.W0, lerpX(far.b(), wx[x]), e.W1);
        out[x] = mix(s0, ez.W0, s1, ez.W1);
      }
      dst->EncodeRow(y, z, out.data());
    }
  }
  return D3D_OK;
}

}  // namespace zentu
