// The pixel format table: one constant record per known format, the closest-format search and the
// mapping of the internal 16-bit-per-channel formats to formats the device can hold.
#pragma once

#include "zentu/d3d8.h"

namespace zentu {

// Internal formats produced only by the image readers; four-character codes, first character lowest.
constexpr D3DFORMAT FMT_L16 = static_cast<D3DFORMAT>(0x36314C20);           // " L16"
constexpr D3DFORMAT FMT_A16L16 = static_cast<D3DFORMAT>(0x36314C41);        // "AL16"
constexpr D3DFORMAT FMT_R16G16B16 = static_cast<D3DFORMAT>(0x36315220);     // " R16"
constexpr D3DFORMAT FMT_A16R16G16B16 = static_cast<D3DFORMAT>(0x36315241);  // "AR16"

enum PixelKind : DWORD {
  kKindColor = 0,
  kKindPalette = 1,
  kKindLuminance = 2,
  kKindBump = 3,
  kKindDepth = 4,
};

// Channel slots of PixelFormatInfo::channelBits.
enum ChannelSlot : unsigned {
  kSlotExtra = 0,  // luminance of bump formats, 2-bit alpha of A2W10V10U10, 1 for D16_LOCKABLE
  kSlotAlpha = 1,  // also Q
  kSlotRed = 2,    // or W
  kSlotGreen = 3,  // or V, or stencil
  kSlotBlue = 4,   // or U, or depth
  kChannelSlots = 5,
};

struct PixelFormatInfo {
  DWORD format;
  DWORD kind;
  DWORD bitsPerPixel;  // nominal 16 for YUV and DXT formats
  DWORD channelBits[kChannelSlots];
  DWORD candidate;  // 1: may be chosen as a closest match; 0: only on an exact request
};

constexpr DWORD kScoreRejected = 0xFFFFFFFFu;

// The record of `format`, or the default record (32-bit colour with 8-bit alpha, format 0) for a
// code that is not in the table. Never null.
const PixelFormatInfo* GetPixelFormatInfo(D3DFORMAT format);

// The whole table in its order (43 records); ties in the closest-format search follow this order.
const PixelFormatInfo* PixelFormatTable(unsigned* count);

// May a candidate of kind `candidate` stand in for a wanted format of kind `wanted`?
bool KindsCompatible(DWORD wanted, DWORD candidate);

// Lower is better; kScoreRejected when the candidate cannot stand in for the wanted format.
// Orders by missing channels, then lost bits, then unwanted channels, then surplus bits.
DWORD FormatMatchScore(const PixelFormatInfo& wanted, const PixelFormatInfo& candidate);

// The closest format among those `accept` agrees to (every table format when `accept` is null):
// an exact match wins whatever its candidate flag; ties go to the smaller format, then the earlier
// row. Returns D3DFMT_UNKNOWN when nothing qualifies.
using FormatFilter = bool (*)(void* context, D3DFORMAT format);
D3DFORMAT FindClosestFormat(const PixelFormatInfo& wanted, FormatFilter accept, void* context);

// FindClosestFormat over the formats `device` accepts for `usage` and `type` (all of the table when
// `device` is null), with the runtime's debug output muted while formats are probed. The device is
// only used during the call.
D3DFORMAT FindClosestDeviceFormat(IDirect3DDevice8* device, DWORD usage, D3DRESOURCETYPE type,
                                  const PixelFormatInfo& wanted);

// The code handed to the device: the internal 16-bit formats map to their 8-bit counterparts.
D3DFORMAT ToExternalFormat(D3DFORMAT format);

}  // namespace zentu
