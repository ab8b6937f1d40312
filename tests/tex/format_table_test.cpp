// The pixel format table, the match score and the closest-format search.
#include <gtest/gtest.h>

#include <set>

#include "d3dx/tex/format_table.h"
#include "tests/blt/null_device.h"

namespace zentu {
namespace {

TEST(FormatTable, HoldsFortyThreeRecordsInOrder) {
  unsigned count = 0;
  const PixelFormatInfo* table = PixelFormatTable(&count);
  ASSERT_EQ(count, 43u);
  EXPECT_EQ(table[0].format, static_cast<DWORD>(D3DFMT_R8G8B8));
  EXPECT_EQ(table[5].format, static_cast<DWORD>(D3DFMT_A8P8));
  EXPECT_EQ(table[25].format, static_cast<DWORD>(D3DFMT_UYVY));
  EXPECT_EQ(table[32].format, static_cast<DWORD>(D3DFMT_D16_LOCKABLE));
  EXPECT_EQ(table[42].format, static_cast<DWORD>(FMT_A16R16G16B16));
  std::set<DWORD> codes;
  for (unsigned i = 0; i < count; ++i) {
    codes.insert(table[i].format);
    EXPECT_EQ(GetPixelFormatInfo(static_cast<D3DFORMAT>(table[i].format)), &table[i]);
  }
  EXPECT_EQ(codes.size(), 43u);
}

TEST(FormatTable, RecordsCarryKindBitsAndChannels) {
  const PixelFormatInfo* r = GetPixelFormatInfo(D3DFMT_A2W10V10U10);
  EXPECT_EQ(r->kind, static_cast<DWORD>(kKindBump));
  EXPECT_EQ(r->bitsPerPixel, 32u);
  EXPECT_EQ(r->channelBits[kSlotExtra], 2u);
  EXPECT_EQ(r->channelBits[kSlotRed], 10u);
  const PixelFormatInfo* l = GetPixelFormatInfo(D3DFMT_L8);
  EXPECT_EQ(l->channelBits[kSlotRed], 8u);
  EXPECT_EQ(l->channelBits[kSlotGreen], 8u);
  EXPECT_EQ(l->channelBits[kSlotBlue], 8u);
  EXPECT_EQ(GetPixelFormatInfo(D3DFMT_D16_LOCKABLE)->channelBits[kSlotExtra], 1u);
  EXPECT_EQ(GetPixelFormatInfo(D3DFMT_DXT1)->bitsPerPixel, 16u);
  EXPECT_EQ(GetPixelFormatInfo(D3DFMT_R8G8B8)->candidate, 0u);
  EXPECT_EQ(GetPixelFormatInfo(FMT_L16)->format, 0x36314C20u);
}

TEST(FormatTable, UnknownCodesGetTheDefaultRecord) {
  for (DWORD code : {0u, 99u, 0x12345678u}) {
    const PixelFormatInfo* r = GetPixelFormatInfo(static_cast<D3DFORMAT>(code));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->format, 0u);
    EXPECT_EQ(r->kind, static_cast<DWORD>(kKindColor));
    EXPECT_EQ(r->bitsPerPixel, 32u);
    EXPECT_EQ(r->channelBits[kSlotAlpha], 8u);
    EXPECT_EQ(r->candidate, 0u);
  }
}

TEST(FormatTable, KindCompatibility) {
  EXPECT_TRUE(KindsCompatible(kKindPalette, kKindColor));
  EXPECT_TRUE(KindsCompatible(kKindLuminance, kKindColor));
  EXPECT_FALSE(KindsCompatible(kKindColor, kKindPalette));
  EXPECT_FALSE(KindsCompatible(kKindColor, kKindLuminance));
  EXPECT_FALSE(KindsCompatible(kKindBump, kKindColor));
  EXPECT_FALSE(KindsCompatible(kKindDepth, kKindColor));
  EXPECT_TRUE(KindsCompatible(kKindDepth, kKindDepth));
}

PixelFormatInfo withAlpha(D3DFORMAT f, DWORD alphaBits) {
  PixelFormatInfo copy = *GetPixelFormatInfo(f);
  copy.format = 0;
  copy.channelBits[kSlotAlpha] = alphaBits;
  return copy;
}

TEST(FormatTable, MatchScoreOrdersMissingLostUnwantedSurplus) {
  const PixelFormatInfo& x8 = *GetPixelFormatInfo(D3DFMT_X8R8G8B8);
  EXPECT_EQ(FormatMatchScore(x8, *GetPixelFormatInfo(D3DFMT_A8R8G8B8)), 256u);
  EXPECT_EQ(FormatMatchScore(x8, *GetPixelFormatInfo(D3DFMT_R5G6B5)), (3u + 2u + 3u) * 65536u);
  EXPECT_EQ(FormatMatchScore(withAlpha(D3DFMT_X8R8G8B8, 1), *GetPixelFormatInfo(D3DFMT_A8R8G8B8)), 7u);
  EXPECT_EQ(FormatMatchScore(withAlpha(D3DFMT_X1R5G5B5, 1), *GetPixelFormatInfo(D3DFMT_A1R5G5B5)), 0u);
  EXPECT_EQ(FormatMatchScore(*GetPixelFormatInfo(D3DFMT_A8R8G8B8), *GetPixelFormatInfo(D3DFMT_X8R8G8B8)),
            0x1000000u);
  // No wanted channel kept, or nothing wanted: rejected.
  EXPECT_EQ(FormatMatchScore(*GetPixelFormatInfo(D3DFMT_A8), *GetPixelFormatInfo(D3DFMT_X8R8G8B8)),
            kScoreRejected);
  PixelFormatInfo nothing = *GetPixelFormatInfo(D3DFMT_A8);
  nothing.channelBits[kSlotAlpha] = 0;
  EXPECT_EQ(FormatMatchScore(nothing, *GetPixelFormatInfo(D3DFMT_A8R8G8B8)), kScoreRejected);
  EXPECT_EQ(FormatMatchScore(x8, *GetPixelFormatInfo(D3DFMT_P8)), kScoreRejected);
  EXPECT_EQ(FormatMatchScore(*GetPixelFormatInfo(D3DFMT_DXT1), *GetPixelFormatInfo(D3DFMT_A8R8G8B8)), 15u);
}

// A device stand-in for the search: accepts exactly the listed formats.
struct Offer {
  std::set<DWORD> formats;
  static bool accept(void* self, D3DFORMAT f) { return static_cast<Offer*>(self)->formats.count(f) != 0; }
};

TEST(FormatTable, ClosestFormatEdgeCases) {
  unsigned count = 0;
  const PixelFormatInfo* table = PixelFormatTable(&count);
  Offer all;
  for (unsigned i = 0; i < count; ++i) all.formats.insert(table[i].format);
  struct Case {
    const char* name;
    PixelFormatInfo wanted;
    std::set<DWORD> offered;  // empty: no device, the whole table
    D3DFORMAT expected;
  };
  const Case cases[] = {
      {"exact X8R8G8B8",
       *GetPixelFormatInfo(D3DFMT_X8R8G8B8),
       {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
       D3DFMT_X8R8G8B8},
      {"X8R8G8B8 from A8R8G8B8/R5G6B5/A1R5G5B5",
       *GetPixelFormatInfo(D3DFMT_X8R8G8B8),
       {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5},
       D3DFMT_A8R8G8B8},
      {"R8G8B8 not offered",
       *GetPixelFormatInfo(D3DFMT_R8G8B8),
       {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
       D3DFMT_X8R8G8B8},
      {"R8G8B8 offered", *GetPixelFormatInfo(D3DFMT_R8G8B8), {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8}, D3DFMT_R8G8B8},
      {"X8R8G8B8 + alpha 1", withAlpha(D3DFMT_X8R8G8B8, 1), {}, D3DFMT_A8R8G8B8},
      {"X1R5G5B5 + alpha 1", withAlpha(D3DFMT_X1R5G5B5, 1), {}, D3DFMT_A1R5G5B5},
      {"L8 + alpha 1: tie won by 16 bits", withAlpha(D3DFMT_L8, 1), {}, D3DFMT_A8L8},
      {"unknown", *GetPixelFormatInfo(D3DFMT_UNKNOWN), {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}, D3DFMT_A8R8G8B8},
      {"palette falls back to colour", *GetPixelFormatInfo(D3DFMT_P8), {D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
      {"colour never to palette",
       *GetPixelFormatInfo(D3DFMT_X8R8G8B8),
       {D3DFMT_P8, D3DFMT_L8},
       D3DFMT_UNKNOWN},
      {"DXT1: A8R8G8B8 beats the later A2B10G10R10",
       *GetPixelFormatInfo(D3DFMT_DXT1),
       {D3DFMT_A8R8G8B8, D3DFMT_A2B10G10R10},
       D3DFMT_A8R8G8B8},
      {"bump only to bump",
       *GetPixelFormatInfo(D3DFMT_V8U8),
       {D3DFMT_A8R8G8B8, D3DFMT_Q8W8V8U8},
       D3DFMT_Q8W8V8U8},
      {"nothing offered", *GetPixelFormatInfo(D3DFMT_A8R8G8B8), {D3DFMT_D16}, D3DFMT_UNKNOWN},
  };
  for (const Case& c : cases) {
    if (c.offered.empty()) {
      EXPECT_EQ(FindClosestFormat(c.wanted, nullptr, nullptr), c.expected) << c.name;
      EXPECT_EQ(FindClosestDeviceFormat(nullptr, 0, D3DRTYPE_TEXTURE, c.wanted), c.expected) << c.name;
    } else {
      Offer offer{c.offered};
      EXPECT_EQ(FindClosestFormat(c.wanted, &Offer::accept, &offer), c.expected) << c.name;
    }
  }
}

TEST(FormatTable, ExternalFormats) {
  EXPECT_EQ(ToExternalFormat(FMT_L16), D3DFMT_L8);
  EXPECT_EQ(ToExternalFormat(FMT_A16L16), D3DFMT_A8L8);
  EXPECT_EQ(ToExternalFormat(FMT_R16G16B16), D3DFMT_R8G8B8);
  EXPECT_EQ(ToExternalFormat(FMT_A16R16G16B16), D3DFMT_A8R8G8B8);
  EXPECT_EQ(ToExternalFormat(D3DFMT_DXT1), D3DFMT_DXT1);
  EXPECT_EQ(ToExternalFormat(D3DFMT_UNKNOWN), D3DFMT_UNKNOWN);
}

}  // namespace
}  // namespace zentu

namespace zentu {
namespace {

// An entry object that accepts a fixed set of formats and records what it was asked.
struct OfferingD3D : IDirect3D8 {
  std::set<DWORD> formats;
  ULONG refs = 1;
  UINT adapter = 99;
  D3DDEVTYPE type = {};
  D3DFORMAT adapterFormat = {};
  DWORD usage = 0;
  D3DRESOURCETYPE rtype = {};
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT RegisterSoftwareDevice(void*) override { return E_NOTIMPL; }
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8*) override { return E_NOTIMPL; }
  UINT GetAdapterModeCount(UINT) override { return 0; }
  HRESULT EnumAdapterModes(UINT, UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return E_NOTIMPL; }
  HRESULT CheckDeviceFormat(UINT a, D3DDEVTYPE t, D3DFORMAT af, DWORD u, D3DRESOURCETYPE r,
                            D3DFORMAT f) override {
    adapter = a;
    type = t;
    adapterFormat = af;
    usage = u;
    rtype = r;
    return formats.count(f) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE) override {
    return E_NOTIMPL;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
    return E_NOTIMPL;
  }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8*) override { return E_NOTIMPL; }
  HMONITOR GetAdapterMonitor(UINT) override { return nullptr; }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice8**) override {
    return E_NOTIMPL;
  }
};

struct OfferingDevice : test::NullDevice {
  OfferingD3D* d3d;
  explicit OfferingDevice(OfferingD3D* d) : d3d(d) {}
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT GetDirect3D(IDirect3D8** out) override {
    d3d->AddRef();
    *out = d3d;
    return D3D_OK;
  }
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override {
    *caps = {};
    caps->AdapterOrdinal = 0;
    caps->DeviceType = D3DDEVTYPE_HAL;
    return D3D_OK;
  }
  HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override {
    *mode = {800, 600, 60, D3DFMT_X8R8G8B8};
    return D3D_OK;
  }
};

TEST(FormatTable, ClosestDeviceFormatAsksTheDevice) {
  OfferingD3D d3d;
  d3d.formats = {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5};
  OfferingDevice device(&d3d);
  EXPECT_EQ(FindClosestDeviceFormat(&device, D3DUSAGE_DYNAMIC, D3DRTYPE_CUBETEXTURE,
                                    *GetPixelFormatInfo(D3DFMT_X8R8G8B8)),
            D3DFMT_A8R8G8B8);
  EXPECT_EQ(d3d.adapter, 0u);
  EXPECT_EQ(d3d.type, D3DDEVTYPE_HAL);
  EXPECT_EQ(d3d.adapterFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d.usage, static_cast<DWORD>(D3DUSAGE_DYNAMIC));
  EXPECT_EQ(d3d.rtype, D3DRTYPE_CUBETEXTURE);
  EXPECT_EQ(d3d.refs, 1u) << "the entry object's reference is released";
  d3d.formats = {D3DFMT_D16};
  EXPECT_EQ(FindClosestDeviceFormat(&device, 0, D3DRTYPE_TEXTURE, *GetPixelFormatInfo(D3DFMT_X8R8G8B8)),
            D3DFMT_UNKNOWN);
}

}  // namespace
}  // namespace zentu
