// Box filter for exact halving in 2D and 3D: each destination pixel is the mean of the 2x2 (or
// 2x2x2) source pixels under it. Odd source sizes above 1 drop their last column, row or slice.
#include <algorithm>

#include "d3dx/blt/blit.h"
#include "d3dx/blt/box_fast_path.h"

namespace zentu {
namespace {

// Does `dest` halve `source` along one axis (or are both 1)?
bool halves(UINT dest, UINT source) {
  return dest == (source >> 1) || (dest == 1 && source == 1);
}

// Odd sizes above 1 lose their last element.
UINT evenSize(UINT size) {
  return size > 1 ? (size & ~1u) : size;
}

FloatPixel add(const FloatPixel& p, const FloatPixel& q) {
  return {p.r + q.r, p.g + q.g, p.b + q.b, p.a + q.a};
}

FloatPixel scale(const FloatPixel& p, float k) {
  return {p.r * k, p.g * k, p.b * k, p.a * k};
}

}  // namespace

HRESULT Blitter::ResampleBox2D() {
  if (filterType() != kFilterBox || src->Depth != 1 || dst->Depth != 1) return E_FAIL;
  if (!halves(dst->Width, src->Width) || !halves(dst->Height, src->Height)) return E_FAIL;
  const UINT width = evenSize(src->Width);
  const UINT height = evenSize(src->Height);

  if (!(filter & kFilterDither) && src->Format == dst->Format && width >= 2 && height >= 2 &&
      !src->ColorKeyRaw && src->PerPixel &&
      BoxHalveFastPath(src->Format, dst->Data, src->Data, width, height, src->RowPitch, dst->RowPitch))
    return D3D_OK;

  std::vector<FloatPixel> top, bottom, out;
  if (!TryResize(top, src->Width) || !TryResize(out, dst->Width)) return E_OUTOFMEMORY;
  if (height > 1 && !TryResize(bottom, src->Width)) return E_OUTOFMEMORY;
  const FloatPixel* lower = height > 1 ? bottom.data() : top.data();
  const bool singleColumn = width == 1;
  for (UINT i = 0; i < dst->Height; ++i) {
    src->DecodeRow(height > 1 ? 2 * i : 0, 0, top.data());
    if (height > 1) src->DecodeRow(2 * i + 1, 0, bottom.data());
    for (UINT j = 0; j < dst->Width; ++j) {
      const UINT l = singleColumn ? 0 : 2 * j, r = singleColumn ? 0 : 2 * j + 1;
      FloatPixel s = add(top[l], top[r]);
      s = add(s, lower[l]);
      s = add(s, lower[r]);
      out[j] = scale(s, 0.25f);
    }
    dst->EncodeRow(i, 0, out.data());
  }
  return D3D_OK;
}

HRESULT Blitter::ResampleBox3D() {
  if (filterType() != kFilterBox) return E_FAIL;
  if (!halves(dst->Width, src->Width) || !halves(dst->Height, src->Height) || dst->Depth != (src->Depth >> 1))
    return E_FAIL;
  const UINT width = evenSize(src->Width);
  const UINT height = evenSize(src->Height);
  std::vector<FloatPixel> rows[4], out;
  for (auto& r : rows)
    if (!TryResize(r, src->Width)) return E_OUTOFMEMORY;
  if (!TryResize(out, dst->Width)) return E_OUTOFMEMORY;
  // rows: (2j, 2i), (2j, 2i + 1), (2j + 1, 2i), (2j + 1, 2i + 1) as (row, slice)
  const bool singleRow = height == 1, singleColumn = width == 1;
  for (UINT i = 0; i < dst->Depth; ++i)
    for (UINT j = 0; j < dst->Height; ++j) {
      const UINT r0 = singleRow ? 0 : 2 * j, r1 = singleRow ? 0 : 2 * j + 1;
      src->DecodeRow(r0, 2 * i, rows[0].data());
      src->DecodeRow(r0, 2 * i + 1, rows[1].data());
      src->DecodeRow(r1, 2 * i, rows[2].data());
      src->DecodeRow(r1, 2 * i + 1, rows[3].data());
      for (UINT k = 0; k < dst->Width; ++k) {
        const UINT l = singleColumn ? 0 : 2 * k, r = singleColumn ? 0 : 2 * k + 1;
        FloatPixel s = add(rows[0][l], rows[0][r]);
        for (int n = 1; n < 4; ++n) {
          s = add(s, rows[n][l]);
          s = add(s, rows[n][r]);
        }
        out[k] = scale(s, 0.125f);
      }
      dst->EncodeRow(j, i, out.data());
    }
  return D3D_OK;
}

}  // namespace zentu
