// The records the pixel pipeline passes around: a block of pixels in memory and one decoded pixel.
#pragma once

#include "zentu/d3d8.h"

namespace zentu {

// One rectangular or box-shaped block of pixels in memory. `Extent` bounds the whole image that
// `Bits` belongs to; `Region` is the part to read or write, in the same coordinates.
struct ImageDesc {
  void* Bits = nullptr;  // pixel (0, 0, 0) of the image
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  UINT RowPitch = 0;
  UINT SlicePitch = 0;  // 0 for surfaces
  D3DBOX Extent = {};
  D3DBOX Region = {};
  DWORD Dither = 0;                       // nonzero: encoding into this image dithers
  D3DCOLOR ColorKey = 0;                  // source colour key; 0 = none
  const PALETTEENTRY* Palette = nullptr;  // 256 entries for P8 and A8P8, or null
};

// Red, green, blue, alpha. Unsigned channels hold 0..1, signed (bump) channels -1..1.
struct FloatPixel {
  float r, g, b, a;
};

inline UINT BoxWidth(const D3DBOX& box) {
  return box.Right - box.Left;
}
inline UINT BoxHeight(const D3DBOX& box) {
  return box.Bottom - box.Top;
}
inline UINT BoxDepth(const D3DBOX& box) {
  return box.Back - box.Front;
}

inline bool IsDxtFormat(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
         format == D3DFMT_DXT5;
}
inline bool IsYuvFormat(D3DFORMAT format) {
  return format == D3DFMT_YUY2 || format == D3DFMT_UYVY;
}

}  // namespace zentu
