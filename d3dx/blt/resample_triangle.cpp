// Triangle (tent) filter in 2D and 3D. Each source pixel spreads a tent of radius one source pixel
// over the destination pixels it overlaps; destination rows (or slices) collect in recycled
// accumulators and are written as soon as their last source row (or slice) has been added.
#include <cmath>

#include "d3dx/blt/blit.h"

namespace zentu {
namespace {

constexpr float kMinWeight = 0.00001f;

// One destination row (2D) or slice (3D) still collecting.
struct Accumulator {
  std::vector<FloatPixel>* buffer = nullptr;
  UINT pending = 0;
};

// Recycles accumulator buffers of one size.
class BufferPool {
 public:
  explicit BufferPool(size_t pixels) : pixels_(pixels) {}
  std::vector<FloatPixel>* take() {
    if (!spare_.empty()) {
      std::vector<FloatPixel>* b = spare_.back();
      spare_.pop_back();
      std::fill(b->begin(), b->end(), FloatPixel{0, 0, 0, 0});
      return b;
    }
    try {
      owned_.push_back(std::make_unique<std::vector<FloatPixel>>(pixels_, FloatPixel{0, 0, 0, 0}));
      spare_.reserve(owned_.size());
    } catch (...) {
      return nullptr;
    }
    return owned_.back().get();
  }
  void give(std::vector<FloatPixel>* b) { spare_.push_back(b); }  // capacity reserved in take()

 private:
  size_t pixels_;
  std::vector<std::unique_ptr<std::vector<FloatPixel>>> owned_;
  std::vector<std::vector<FloatPixel>*> spare_;
};

// Adds `weight` x `pixel` into the destination pixels of the X list.
inline void splat(FloatPixel* acc, const TentPair* xs, UINT n, float wy, const FloatPixel& p) {
  for (UINT i = 0; i < n; ++i) {
    const float w = xs[i].weight * wy;
    FloatPixel& a = acc[xs[i].index];
    a.r += w * p.r;
    a.g += w * p.g;
    a.b += w * p.b;
    a.a += w * p.a;
  }
}

// Scatters one decoded source row into one accumulator row with row weight `wy`.
void splatRow(FloatPixel* acc, const FloatPixel* row, UINT width, const TentWeights& tx, float wy) {
  for (UINT x = 0; x < width; ++x) splat(acc, tx.list(x), tx.count(x), wy, row[x]);
}

}  // namespace

bool BuildTentWeights(UINT sourceSize, UINT destSize, bool wrap, TentWeights* out) {
  if (sourceSize == 0 || destSize == 0) return false;
  const float s = static_cast<float>(destSize) / static_cast<float>(sourceSize);
  const float halfInv = 0.5f / s;
  const float n = static_cast<float>(destSize);
  const INT ni = static_cast<INT>(destSize);
  try {
    out->start.assign(1, 0);
    out->start.reserve(static_cast<size_t>(sourceSize) + 1);
    out->pairs.clear();
    for (UINT j = 0; j < sourceSize; ++j) {
      bool open = false;
      TentPair cur{0, 0.0f};
      auto close = [&] {
        if (open && cur.weight > kMinWeight) out->pairs.push_back(cur);
        open = false;
      };
      for (int h = 0; h < 2; ++h) {
        float e = static_cast<float>(j) - 0.5f;
        e = e + static_cast<float>(h);
        float g = e * s;
        float o = g + s;
        if (!wrap) {
          if (g < 0.0f) g = 0.0f;
          if (o > n) o = n;
        }
        for (float c = std::floor(g); c < o; c += 1.0f) {
          const float v = c > g ? c : g;
          const float w = c + 1.0f < o ? c + 1.0f : o;
          float t = v + w;
          t = t * halfInv;
          t = t - e;
          float factor = h == 0 ? t : 1.0f - t;
          if (!wrap && ((j == 0 && h == 0) || (j == sourceSize - 1 && h == 1))) factor = 1.0f;
          const float contribution = (w - v) * factor;
          INT d = static_cast<INT>(c);
          if (d < 0) d += ni;
          if (d >= ni) d -= ni;
          if (open && cur.index == d) {
            cur.weight += contribution;
          } else {
            close();
            cur = {d, contribution};
            open = true;
          }
        }
      }
      close();
      out->start.push_back(static_cast<UINT>(out->pairs.size()));
    }
  } catch (...) {
    return false;
  }
  return true;
}

HRESULT Blitter::ResampleTriangle2D() {
  if (src->Depth != 1 || dst->Depth != 1) return E_FAIL;
  TentWeights tx, ty;
  if (!BuildTentWeights(src->Width, dst->Width, !(filter & kFilterMirrorU), &tx) ||
      !BuildTentWeights(src->Height, dst->Height, !(filter & kFilterMirrorV), &ty))
    return E_FAIL;
  std::vector<Accumulator> rows;
  std::vector<FloatPixel> in, zero;
  if (!TryResize(rows, dst->Height) || !TryResize(in, src->Width)) return E_OUTOFMEMORY;
  for (const TentPair& p : ty.pairs) ++rows[p.index].pending;
  // A row that no source reaches (only with degenerate weights) is written as transparent black.
  for (UINT d = 0; d < dst->Height; ++d) {
    if (rows[d].pending) continue;
    if (zero.empty() && !TryResize(zero, dst->Width)) return E_OUTOFMEMORY;
    dst->EncodeRow(d, 0, zero.data());
  }
  BufferPool pool(dst->Width);

  for (UINT r = 0; r < src->Height; ++r) {
    const TentPair* ys = ty.list(r);
    const UINT ny = ty.count(r);
    for (UINT i = 0; i < ny; ++i) {
      Accumulator& acc = rows[ys[i].index];
      if (!acc.buffer && !(acc.buffer = pool.take())) return E_OUTOFMEMORY;
    }
    src->DecodeRow(r, 0, in.data());
    for (UINT i = 0; i < ny; ++i)
      splatRow(rows[ys[i].index].buffer->data(), in.data(), src->Width, tx, ys[i].weight);
    for (UINT i = 0; i < ny; ++i) {
      Accumulator& acc = rows[ys[i].index];
      if (--acc.pending == 0) {
        dst->EncodeRow(static_cast<UINT>(ys[i].index), 0, acc.buffer->data());
        pool.give(acc.buffer);
        acc.buffer = nullptr;
      }
    }
  }
  return D3D_OK;
}

HRESULT Blitter::ResampleTriangle3D() {
  TentWeights tx, ty, tz;
  if (!BuildTentWeights(src->Width, dst->Width, !(filter & kFilterMirrorU), &tx) ||
      !BuildTentWeights(src->Height, dst->Height, !(filter & kFilterMirrorV), &ty) ||
      !BuildTentWeights(src->Depth, dst->Depth, !(filter & kFilterMirrorW), &tz))
    return E_FAIL;
  const size_t slicePixels = static_cast<size_t>(dst->Width) * dst->Height;
  std::vector<Accumulator> slices;
  std::vector<FloatPixel> in, zero;
  if (!TryResize(slices, dst->Depth) || !TryResize(in, src->Width)) return E_OUTOFMEMORY;
  for (const TentPair& p : tz.pairs) ++slices[p.index].pending;
  for (UINT d = 0; d < dst->Depth; ++d) {
    if (slices[d].pending) continue;
    if (zero.empty() && !TryResize(zero, dst->Width)) return E_OUTOFMEMORY;
    for (UINT y = 0; y < dst->Height; ++y) dst->EncodeRow(y, d, zero.data());
  }
  BufferPool pool(slicePixels);

  for (UINT z = 0; z < src->Depth; ++z) {
    const TentPair* zs = tz.list(z);
    const UINT nz = tz.count(z);
    for (UINT k = 0; k < nz; ++k) {
      Accumulator& acc = slices[zs[k].index];
      if (!acc.buffer && !(acc.buffer = pool.take())) return E_OUTOFMEMORY;
    }
    for (UINT r = 0; r < src->Height; ++r) {
      src->DecodeRow(r, z, in.data());
      const TentPair* ys = ty.list(r);
      const UINT ny = ty.count(r);
      for (UINT k = 0; k < nz; ++k) {
        FloatPixel* slice = slices[zs[k].index].buffer->data();
        for (UINT i = 0; i < ny; ++i) {
          // wz x (wx x wy): fold wz into the row weight only after the x product, as the order asks.
          FloatPixel* row = slice + static_cast<size_t>(ys[i].index) * dst->Width;
          const float wz = zs[k].weight, wy = ys[i].weight;
          for (UINT x = 0; x < src->Width; ++x) {
            const TentPair* xs = tx.list(x);
            const FloatPixel& p = in[x];
            for (UINT n = 0, c = tx.count(x); n < c; ++n) {
              float w = xs[n].weight * wy;
              w = wz * w;
              FloatPixel& a = row[xs[n].index];
              a.r += w * p.r;
              a.g += w * p.g;
              a.b += w * p.b;
              a.a += w * p.a;
            }
          }
        }
      }
    }
    for (UINT k = 0; k < nz; ++k) {
      Accumulator& acc = slices[zs[k].index];
      if (--acc.pending == 0) {
        for (UINT y = 0; y < dst->Height; ++y)
          dst->EncodeRow(y, static_cast<UINT>(zs[k].index),
                         acc.buffer->data() + static_cast<size_t>(y) * dst->Width);
        pool.give(acc.buffer);
        acc.buffer = nullptr;
      }
    }
  }
  return D3D_OK;
}

}  // namespace zentu
