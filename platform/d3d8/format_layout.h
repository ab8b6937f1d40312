// Memory layout of every pixel format the device knows: block size and bytes per block, and the
// row pitch, slice pitch and size of a surface or volume, with checked arithmetic.
#pragma once

#include <cstdint>

#include "zentu/d3d8types.h"

namespace zentu {

struct FormatLayout {
  D3DFORMAT format;
  uint8_t blockWidth;     // pixels per block horizontally: 4 for DXT, 2 for the YUV pairs, else 1
  uint8_t blockHeight;    // 4 for DXT, else 1
  uint8_t bytesPerBlock;  // 8 for DXT1, 16 for DXT2 to DXT5, 4 per YUV pair, else bytes per pixel
  bool resourceFormat;    // false for the library's internal 16-bit-per-channel formats
  bool depth;             // depth/stencil format
};

// The layout of a format, or null for a code the device does not know.
const FormatLayout* findFormatLayout(D3DFORMAT format);

// Largest resource the device hands out; sizes travel in 32-bit fields and pitches are signed.
constexpr uint64_t kMaxResourceBytes = 0x7FFFFFFFu;

struct ImageLayout {
  uint32_t rowPitch;    // bytes from one row of blocks to the next
  uint32_t rows;        // rows of blocks
  uint32_t slicePitch;  // bytes from one slice to the next
  uint32_t size;        // bytes of the whole image
};

enum class LayoutResult { kOk, kUnknownFormat, kZeroSize, kTooLarge };

// Layout of a width × height × depth image; kTooLarge when it passes kMaxResourceBytes.
LayoutResult computeImageLayout(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t depth,
                                ImageLayout* out);

// Extent of mip level `level` of an extent: halved per level, never below 1.
inline uint32_t levelExtent(uint32_t extent, uint32_t level) {
  uint32_t e = level >= 32 ? 0 : extent >> level;
  return e ? e : 1;
}

// Number of levels of a full chain down to 1×1×1.
uint32_t fullLevelCount(uint32_t width, uint32_t height, uint32_t depth);

inline bool isPowerOfTwo(uint32_t v) {
  return v && !(v & (v - 1));
}

}  // namespace zentu
