// Fuzz target for the blitter: the input chooses formats, sizes, regions, filter word, colour key
// and the source bytes; every blit must stay inside its images and never crash.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3dx/blt/blit.h"

namespace {

// The formats the codecs serve, plus a few that must fail cleanly.
const D3DFORMAT kFormats[] = {
    D3DFMT_R8G8B8,
    D3DFMT_A8R8G8B8,
    D3DFMT_X8R8G8B8,
    D3DFMT_R5G6B5,
    D3DFMT_X1R5G5B5,
    D3DFMT_A1R5G5B5,
    D3DFMT_A4R4G4B4,
    D3DFMT_R3G3B2,
    D3DFMT_A8,
    D3DFMT_A8R3G3B2,
    D3DFMT_X4R4G4B4,
    D3DFMT_A2B10G10R10,
    D3DFMT_G16R16,
    D3DFMT_A8P8,
    D3DFMT_P8,
    D3DFMT_L8,
    D3DFMT_A8L8,
    D3DFMT_A4L4,
    D3DFMT_V8U8,
    D3DFMT_L6V5U5,
    D3DFMT_X8L8V8U8,
    D3DFMT_Q8W8V8U8,
    D3DFMT_V16U16,
    D3DFMT_W11V11U10,
    D3DFMT_A2W10V10U10,
    D3DFMT_UYVY,
    D3DFMT_YUY2,
    D3DFMT_D16_LOCKABLE,
    D3DFMT_DXT1,
    D3DFMT_D24S8,
    static_cast<D3DFORMAT>(0x36314C20),
    static_cast<D3DFORMAT>(0x36314C41),
    static_cast<D3DFORMAT>(0x36315220),
    static_cast<D3DFORMAT>(0x36315241),
};

UINT bytesPerPixel(D3DFORMAT f) {
  switch (static_cast<DWORD>(f)) {
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_G16R16:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_W11V11U10:
    case D3DFMT_A2W10V10U10:
    case D3DFMT_D24S8:
    case 0x36314C41:
      return 4;
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
      return 1;
    case 0x36315220:
      return 6;
    case 0x36315241:
      return 8;
    case D3DFMT_DXT1:
      return 4;  // generous: never reached, the codec is not available
    default:
      return 2;  // 16-bit formats and YUV pairs (4 bytes per 2 pixels)
  }
}

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
};

struct Image {
  Image(D3DFORMAT f, UINT w, UINT h, UINT d) : bytes(bytesPerPixel(f)) {
    // Whole pixel pairs for YUV even when the width is odd.
    const UINT rowBytes = ((w + 1) & ~1u) * bytes;
    storage.assign(static_cast<size_t>(rowBytes) * h * d, 0);
    desc.Bits = storage.data();
    desc.Format = f;
    desc.RowPitch = rowBytes;
    desc.SlicePitch = rowBytes * h;
    desc.Extent = {0, 0, w, h, 0, d};
    desc.Region = desc.Extent;
  }
  UINT bytes;
  std::vector<uint8_t> storage;
  zentu::ImageDesc desc;
};

D3DBOX subBox(Reader& r, UINT w, UINT h, UINT d) {
  D3DBOX b;
  b.Left = r.byte() % w;
  b.Right = b.Left + 1 + r.byte() % (w - b.Left);
  b.Top = r.byte() % h;
  b.Bottom = b.Top + 1 + r.byte() % (h - b.Top);
  b.Front = r.byte() % d;
  b.Back = b.Front + 1 + r.byte() % (d - b.Front);
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r{data, size};
  const size_t formats = sizeof(kFormats) / sizeof(kFormats[0]);
  const D3DFORMAT sf = kFormats[r.byte() % formats], df = kFormats[r.byte() % formats];
  const UINT sw = 1 + r.byte() % 24, sh = 1 + r.byte() % 24, sd = 1 + r.byte() % 4;
  const UINT dw = 1 + r.byte() % 24, dh = 1 + r.byte() % 24, dd = 1 + r.byte() % 4;
  const DWORD filter = static_cast<DWORD>(r.byte() % 7) | static_cast<DWORD>(r.byte() & 0x0F) << 16 |
                       (r.byte() == 0xFF ? 0x100000u : 0u);
  const D3DCOLOR key = r.byte() & 1 ? 0xFF000000u | r.byte() << 16 | r.byte() << 8 | r.byte() : 0;
  Image src(sf, sw, sh, sd), dst(df, dw, dh, dd);
  src.desc.Region = subBox(r, sw, sh, sd);
  dst.desc.Region = subBox(r, dw, dh, dd);
  src.desc.ColorKey = key;
  PALETTEENTRY palette[256];
  for (auto& e : palette) e = {r.byte(), r.byte(), r.byte(), r.byte()};
  src.desc.Palette = palette;
  dst.desc.Palette = r.byte() & 1 ? palette : nullptr;
  for (auto& b : src.storage) b = r.byte();
  zentu::Blit(dst.desc, src.desc, filter);
  return 0;
}
