// Per-format block sizes and the checked layout arithmetic of surfaces and volumes.
#include "platform/d3d8/format_layout.h"

namespace zentu {
namespace {

constexpr D3DFORMAT fourCC(char a, char b, char c, char d) {
  return static_cast<D3DFORMAT>(MAKEFOURCC(a, b, c, d));
}

// Formats that only the library's image readers produce (16 bits per channel); known here so
// that their sizes are exact, never accepted for a device resource.
constexpr D3DFORMAT kFmtL16 = fourCC(' ', 'L', '1', '6');
constexpr D3DFORMAT kFmtA16L16 = fourCC('A', 'L', '1', '6');
constexpr D3DFORMAT kFmtR16G16B16 = fourCC(' ', 'R', '1', '6');
constexpr D3DFORMAT kFmtA16R16G16B16 = fourCC('A', 'R', '1', '6');

constexpr FormatLayout kLayouts[] = {
    {D3DFMT_R8G8B8, 1, 1, 3, true, false},      {D3DFMT_A8R8G8B8, 1, 1, 4, true, false},
    {D3DFMT_X8R8G8B8, 1, 1, 4, true, false},    {D3DFMT_R5G6B5, 1, 1, 2, true, false},
    {D3DFMT_X1R5G5B5, 1, 1, 2, true, false},    {D3DFMT_A1R5G5B5, 1, 1, 2, true, false},
    {D3DFMT_A4R4G4B4, 1, 1, 2, true, false},    {D3DFMT_R3G3B2, 1, 1, 1, true, false},
    {D3DFMT_A8, 1, 1, 1, true, false},          {D3DFMT_A8R3G3B2, 1, 1, 2, true, false},
    {D3DFMT_X4R4G4B4, 1, 1, 2, true, false},    {D3DFMT_A2B10G10R10, 1, 1, 4, true, false},
    {D3DFMT_G16R16, 1, 1, 4, true, false},      {D3DFMT_A8P8, 1, 1, 2, true, false},
    {D3DFMT_P8, 1, 1, 1, true, false},          {D3DFMT_L8, 1, 1, 1, true, false},
    {D3DFMT_A8L8, 1, 1, 2, true, false},        {D3DFMT_A4L4, 1, 1, 1, true, false},
    {D3DFMT_V8U8, 1, 1, 2, true, false},        {D3DFMT_L6V5U5, 1, 1, 2, true, false},
    {D3DFMT_X8L8V8U8, 1, 1, 4, true, false},    {D3DFMT_Q8W8V8U8, 1, 1, 4, true, false},
    {D3DFMT_V16U16, 1, 1, 4, true, false},      {D3DFMT_W11V11U10, 1, 1, 4, true, false},
    {D3DFMT_A2W10V10U10, 1, 1, 4, true, false}, {D3DFMT_UYVY, 2, 1, 4, true, false},
    {D3DFMT_YUY2, 2, 1, 4, true, false},        {D3DFMT_DXT1, 4, 4, 8, true, false},
    {D3DFMT_DXT2, 4, 4, 16, true, false},       {D3DFMT_DXT3, 4, 4, 16, true, false},
    {D3DFMT_DXT4, 4, 4, 16, true, false},       {D3DFMT_DXT5, 4, 4, 16, true, false},
    {D3DFMT_D16_LOCKABLE, 1, 1, 2, true, true}, {D3DFMT_D32, 1, 1, 4, true, true},
    {D3DFMT_D15S1, 1, 1, 2, true, true},        {D3DFMT_D24S8, 1, 1, 4, true, true},
    {D3DFMT_D16, 1, 1, 2, true, true},          {D3DFMT_D24X8, 1, 1, 4, true, true},
    {D3DFMT_D24X4S4, 1, 1, 4, true, true},      {kFmtL16, 1, 1, 2, false, false},
    {kFmtA16L16, 1, 1, 4, false, false},        {kFmtR16G16B16, 1, 1, 6, false, false},
    {kFmtA16R16G16B16, 1, 1, 8, false, false},
};

uint32_t blocks(uint32_t extent, uint32_t blockExtent) {
  return static_cast<uint32_t>((uint64_t{extent} + blockExtent - 1) / blockExtent);
}

}  // namespace

const FormatLayout* findFormatLayout(D3DFORMAT format) {
  for (const FormatLayout& l : kLayouts)
    if (l.format == format) return &l;
  return nullptr;
}

LayoutResult computeImageLayout(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t depth,
                                ImageLayout* out) {
  const FormatLayout* l = findFormatLayout(format);
  if (!l) return LayoutResult::kUnknownFormat;
  if (width == 0 || height == 0 || depth == 0) return LayoutResult::kZeroSize;
  // Each product is of two factors below 2^32 and is checked before it feeds the next, so
  // nothing wraps in 64 bits.
  uint64_t rowPitch = uint64_t{blocks(width, l->blockWidth)} * l->bytesPerBlock;
  if (rowPitch > kMaxResourceBytes) return LayoutResult::kTooLarge;
  uint32_t rows = blocks(height, l->blockHeight);
  uint64_t slice = rowPitch * rows;
  if (slice > kMaxResourceBytes) return LayoutResult::kTooLarge;
  uint64_t size = slice * depth;
  if (size > kMaxResourceBytes) return LayoutResult::kTooLarge;
  *out = {static_cast<uint32_t>(rowPitch), rows, static_cast<uint32_t>(slice), static_cast<uint32_t>(size)};
  return LayoutResult::kOk;
}

uint32_t fullLevelCount(uint32_t width, uint32_t height, uint32_t depth) {
  uint32_t m = width > height ? width : height;
  if (depth > m) m = depth;
  uint32_t n = 1;
  while (m > 1) {
    m >>= 1;
    ++n;
  }
  return n;
}

}  // namespace zentu
