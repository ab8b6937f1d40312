// The pixel format table and the closest-format search over it.
#include "d3dx/tex/format_table.h"

#include "d3dx/math/services.h"

namespace zentu {
namespace {

constexpr DWORD kYes = 1;
constexpr DWORD kNo = 0;

// Order matters: ties in the search go to the earlier row among formats of equal size.
constexpr PixelFormatInfo kTable[] = {
    {D3DFMT_R8G8B8, kKindColor, 24, {0, 0, 8, 8, 8}, kNo},
    {D3DFMT_A8R8G8B8, kKindColor, 32, {0, 8, 8, 8, 8}, kYes},
    {D3DFMT_X8R8G8B8, kKindColor, 32, {0, 0, 8, 8, 8}, kYes},
    {D3DFMT_R5G6B5, kKindColor, 16, {0, 0, 5, 6, 5}, kYes},
    {D3DFMT_X1R5G5B5, kKindColor, 16, {0, 0, 5, 5, 5}, kYes},
    {D3DFMT_A8P8, kKindPalette, 16, {0, 8, 8, 8, 8}, kYes},
    {D3DFMT_P8, kKindPalette, 8, {0, 8, 8, 8, 8}, kYes},
    {D3DFMT_A1R5G5B5, kKindColor, 16, {0, 1, 5, 5, 5}, kYes},
    {D3DFMT_A4R4G4B4, kKindColor, 16, {0, 4, 4, 4, 4}, kYes},
    {D3DFMT_R3G3B2, kKindColor, 8, {0, 0, 3, 3, 2}, kYes},
    {D3DFMT_A8, kKindColor, 8, {0, 8, 0, 0, 0}, kYes},
    {D3DFMT_A8R3G3B2, kKindColor, 16, {0, 8, 3, 3, 2}, kYes},
    {D3DFMT_X4R4G4B4, kKindColor, 16, {0, 0, 4, 4, 4}, kYes},
    {D3DFMT_A2B10G10R10, kKindColor, 32, {0, 2, 10, 10, 10}, kYes},
    {D3DFMT_G16R16, kKindColor, 32, {0, 0, 16, 16, 0}, kYes},
    {D3DFMT_L8, kKindLuminance, 8, {0, 0, 8, 8, 8}, kYes},
    {D3DFMT_A8L8, kKindLuminance, 16, {0, 8, 8, 8, 8}, kYes},
    {D3DFMT_A4L4, kKindLuminance, 8, {0, 4, 4, 4, 4}, kYes},
    {D3DFMT_V8U8, kKindBump, 16, {0, 0, 0, 8, 8}, kYes},
    {D3DFMT_L6V5U5, kKindBump, 16, {6, 0, 0, 5, 5}, kYes},
    {D3DFMT_X8L8V8U8, kKindBump, 32, {8, 0, 0, 8, 8}, kYes},
    {D3DFMT_Q8W8V8U8, kKindBump, 32, {0, 8, 8, 8, 8}, kYes},
    {D3DFMT_V16U16, kKindBump, 32, {0, 0, 0, 16, 16}, kYes},
    {D3DFMT_W11V11U10, kKindBump, 32, {0, 0, 11, 11, 10}, kYes},
    {D3DFMT_A2W10V10U10, kKindBump, 32, {2, 0, 10, 10, 10}, kYes},
    {D3DFMT_UYVY, kKindColor, 16, {0, 0, 8, 8, 8}, kNo},
    {D3DFMT_YUY2, kKindColor, 16, {0, 0, 8, 8, 8}, kNo},
    {D3DFMT_DXT1, kKindColor, 16, {0, 1, 5, 6, 5}, kNo},
    {D3DFMT_DXT2, kKindColor, 16, {0, 4, 5, 6, 5}, kNo},
    {D3DFMT_DXT3, kKindColor, 16, {0, 4, 5, 6, 5}, kNo},
    {D3DFMT_DXT4, kKindColor, 16, {0, 8, 5, 6, 5}, kNo},
    {D3DFMT_DXT5, kKindColor, 16, {0, 8, 5, 6, 5}, kNo},
    {D3DFMT_D16_LOCKABLE, kKindDepth, 16, {1, 0, 0, 0, 16}, kYes},
    {D3DFMT_D32, kKindDepth, 32, {0, 0, 0, 0, 32}, kYes},
    {D3DFMT_D15S1, kKindDepth, 16, {0, 0, 0, 1, 15}, kYes},
    {D3DFMT_D24S8, kKindDepth, 32, {0, 0, 0, 8, 24}, kYes},
    {D3DFMT_D16, kKindDepth, 16, {0, 0, 0, 0, 16}, kYes},
    {D3DFMT_D24X8, kKindDepth, 32, {0, 0, 0, 0, 24}, kYes},
    {D3DFMT_D24X4S4, kKindDepth, 32, {0, 0, 0, 4, 24}, kYes},
    {FMT_L16, kKindLuminance, 16, {0, 0, 16, 16, 16}, kNo},
    {FMT_A16L16, kKindLuminance, 32, {0, 16, 16, 16, 16}, kNo},
    {FMT_R16G16B16, kKindColor, 48, {0, 0, 16, 16, 16}, kNo},
    {FMT_A16R16G16B16, kKindColor, 64, {0, 16, 16, 16, 16}, kNo},
};
constexpr unsigned kTableSize = sizeof(kTable) / sizeof(kTable[0]);
static_assert(kTableSize == 43, "the format table has 43 records");

constexpr PixelFormatInfo kDefaultRecord = {D3DFMT_UNKNOWN, kKindColor, 32, {0, 8, 8, 8, 8}, kNo};

// kCompatible[wanted][candidate]
constexpr bool kCompatible[5][5] = {
    {true, false, false, false, false},  // colour
    {true, true, false, false, false},   // palette
    {true, false, true, false, false},   // luminance
    {false, false, false, true, false},  // bump
    {false, false, false, false, true},  // depth
};

}  // namespace

const PixelFormatInfo* GetPixelFormatInfo(D3DFORMAT format) {
  for (const PixelFormatInfo& info : kTable)
    if (info.format == static_cast<DWORD>(format)) return &info;
  return &kDefaultRecord;
}

const PixelFormatInfo* PixelFormatTable(unsigned* count) {
  if (count) *count = kTableSize;
  return kTable;
}

bool KindsCompatible(DWORD wanted, DWORD candidate) {
  return wanted < 5 && candidate < 5 && kCompatible[wanted][candidate];
}

DWORD FormatMatchScore(const PixelFormatInfo& wanted, const PixelFormatInfo& candidate) {
  if (!KindsCompatible(wanted.kind, candidate.kind)) return kScoreRejected;
  DWORD score = 0;
  DWORD present = 0;
  for (unsigned slot = 0; slot < kChannelSlots; ++slot) {
    const DWORD a = wanted.channelBits[slot];
    const DWORD b = candidate.channelBits[slot];
    if (a > 0) ++present;
    if (a < b)
      score += a == 0 ? 256 : b - a;
    else if (a > b)
      score += b == 0 ? 0x1000000 : (a - b) * 65536;
  }
  // Every wanted channel missing (or nothing wanted at all): the candidate keeps nothing.
  if ((score >> 24) == present) return kScoreRejected;
  return score;
}

D3DFORMAT FindClosestFormat(const PixelFormatInfo& wanted, FormatFilter accept, void* context) {
  DWORD bestScore = kScoreRejected;
  const PixelFormatInfo* best = &kDefaultRecord;
  for (const PixelFormatInfo& info : kTable) {
    if (info.format == 0) continue;
    if (accept && !accept(context, static_cast<D3DFORMAT>(info.format))) continue;
    if (info.format == wanted.format) {
      best = &info;
      break;
    }
    if (!info.candidate) continue;
    const DWORD score = FormatMatchScore(wanted, info);
    if (score == kScoreRejected || score > bestScore) continue;
    if (score == bestScore && info.bitsPerPixel >= best->bitsPerPixel) continue;
    bestScore = score;
    best = &info;
  }
  return static_cast<D3DFORMAT>(best->format);
}

namespace {

struct DeviceProbe {
  IDirect3D8* d3d;
  UINT adapter;
  D3DDEVTYPE deviceType;
  D3DFORMAT adapterFormat;
  DWORD usage;
  D3DRESOURCETYPE type;
};

bool deviceAccepts(void* context, D3DFORMAT format) {
  const DeviceProbe& p = *static_cast<const DeviceProbe*>(context);
  return SUCCEEDED(
      p.d3d->CheckDeviceFormat(p.adapter, p.deviceType, p.adapterFormat, p.usage, p.type, format));
}

}  // namespace

D3DFORMAT FindClosestDeviceFormat(IDirect3DDevice8* device, DWORD usage, D3DRESOURCETYPE type,
                                  const PixelFormatInfo& wanted) {
  MuteDebugRuntime(1);
  D3DFORMAT chosen = D3DFMT_UNKNOWN;
  if (!device) {
    chosen = FindClosestFormat(wanted, nullptr, nullptr);
  } else {
    IDirect3D8* d3d = nullptr;
    D3DCAPS8 caps = {};
    D3DDISPLAYMODE mode = {};
    // Without the device's adapter facts nothing can be checked, so nothing qualifies.
    if (SUCCEEDED(device->GetDirect3D(&d3d)) && d3d && SUCCEEDED(device->GetDeviceCaps(&caps)) &&
        SUCCEEDED(device->GetDisplayMode(&mode))) {
      DeviceProbe probe = {d3d, caps.AdapterOrdinal, caps.DeviceType, mode.Format, usage, type};
      chosen = FindClosestFormat(wanted, deviceAccepts, &probe);
    }
    if (d3d) d3d->Release();
  }
  MuteDebugRuntime(0);
  return chosen;
}

D3DFORMAT ToExternalFormat(D3DFORMAT format) {
  switch (static_cast<DWORD>(format)) {
    case FMT_L16:
      return D3DFMT_L8;
    case FMT_A16L16:
      return D3DFMT_A8L8;
    case FMT_R16G16B16:
      return D3DFMT_R8G8B8;
    case FMT_A16R16G16B16:
      return D3DFMT_A8R8G8B8;
    default:
      return format;
  }
}

}  // namespace zentu
