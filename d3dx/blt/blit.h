// The blitter: moves pixels from one ImageDesc to another, converting formats through the codecs
// and resampling rows of FloatPixel with one of five filters.
#pragma once

#include <memory>
#include <vector>

#include "d3dx/blt/image_desc.h"
#include "d3dx/blt/pixel_codec.h"

namespace zentu {

// Converts and resamples `source`'s region into `dest`'s region. `filter` is the filter word
// (type 1..5 in the low 16 bits, D3DX_FILTER_MIRROR_* and D3DX_FILTER_DITHER above); anything
// else gives D3DERR_INVALIDCALL with nothing touched. E_FAIL: a format is not supported.
// Neither description is kept; their memory is only used during the call.
HRESULT Blit(const ImageDesc& dest, const ImageDesc& source, DWORD filter);

// Filter type and flags of the filter word.
constexpr DWORD kFilterTypeMask = 0xFF;
constexpr DWORD kFilterNone = 1, kFilterPoint = 2, kFilterLinear = 3, kFilterTriangle = 4, kFilterBox = 5;
constexpr DWORD kFilterMirrorU = 0x10000, kFilterMirrorV = 0x20000, kFilterMirrorW = 0x40000;
constexpr DWORD kFilterDither = 0x80000;

struct LinearWeights {
  INT I0;
  float W0;
  INT I1;
  float W1;
};

// Two-tap weights for each of `destSize` coordinates sampling `sourceSize` ones; the sample
// position of destination i is i * scale - 0.5. Empty when memory is short.
std::vector<LinearWeights> BuildLinearWeights(UINT destSize, UINT sourceSize, bool wrap);

struct TentPair {
  INT index;  // destination coordinate
  float weight;
};

// Per source coordinate, in order, the destination coordinates its tent reaches with their weights.
struct TentWeights {
  std::vector<UINT> start;  // source j owns pairs[start[j] .. start[j + 1])
  std::vector<TentPair> pairs;
  UINT count(UINT j) const { return start[j + 1] - start[j]; }
  const TentPair* list(UINT j) const { return pairs.data() + start[j]; }
};

// False when a size is 0 or memory is short.
bool BuildTentWeights(UINT sourceSize, UINT destSize, bool wrap, TentWeights* out);

// The state of one blit; each method answers E_FAIL when it does not apply.
class Blitter {
 public:
  HRESULT Run(const ImageDesc& dest, const ImageDesc& source, DWORD filter);

  HRESULT CopySameFormat();
  HRESULT ConvertSameSize();
  HRESULT ResampleNone();
  HRESULT ResamplePoint();
  HRESULT ResampleBox2D();
  HRESULT ResampleBox3D();
  HRESULT ResampleLinear2D();
  HRESULT ResampleLinear3D();
  HRESULT ResampleTriangle2D();
  HRESULT ResampleTriangle3D();

  std::unique_ptr<PixelCodec> src;
  std::unique_ptr<PixelCodec> dst;
  DWORD filter = 0;

 private:
  DWORD filterType() const { return filter & kFilterTypeMask; }
  bool sameSize() const {
    return src->Width == dst->Width && src->Height == dst->Height && src->Depth == dst->Depth;
  }
};

}  // namespace zentu
