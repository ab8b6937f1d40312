// Pixel codecs: round trips per format, decoding constants, quantisation, dither, colour keys,
// palettes and range classes.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "d3dx/blt/pixel_codec.h"
#include "d3dx/tex/format_table.h"
#include "tests/blt/blt_test_util.h"

namespace zentu {
namespace {

using test::floatBits;

ImageDesc rowDesc(D3DFORMAT format, void* bits, UINT width, UINT pitch = 0,
                  const PALETTEENTRY* palette = nullptr) {
  ImageDesc d;
  d.Bits = bits;
  d.Format = format;
  d.RowPitch = pitch ? pitch : 64 * width;
  d.Extent = {0, 0, width, 1, 0, 1};
  d.Region = d.Extent;
  d.Palette = palette;
  return d;
}

FloatPixel decodeOne(D3DFORMAT format, uint64_t code) {
  uint64_t bits = code;
  auto codec = CreateCodec(rowDesc(format, &bits, 1));
  FloatPixel p{};
  codec->DecodeRow(0, 0, &p);
  return p;
}

uint64_t encodeOne(D3DFORMAT format, FloatPixel p) {
  uint64_t bits = 0;
  auto codec = CreateCodec(rowDesc(format, &bits, 1));
  codec->EncodeRow(0, 0, &p);
  return bits;
}

struct RoundTripCase {
  const char* name;
  D3DFORMAT format;
  unsigned bits;
  uint64_t mask;  // bits that carry a channel (X bits read back as 0)
};

const RoundTripCase kRoundTrip[] = {
    {"R8G8B8", D3DFMT_R8G8B8, 24, 0xFFFFFF},
    {"A8R8G8B8", D3DFMT_A8R8G8B8, 32, 0xFFFFFFFF},
    {"X8R8G8B8", D3DFMT_X8R8G8B8, 32, 0x00FFFFFF},
    {"R5G6B5", D3DFMT_R5G6B5, 16, 0xFFFF},
    {"X1R5G5B5", D3DFMT_X1R5G5B5, 16, 0x7FFF},
    {"A1R5G5B5", D3DFMT_A1R5G5B5, 16, 0xFFFF},
    {"A4R4G4B4", D3DFMT_A4R4G4B4, 16, 0xFFFF},
    {"R3G3B2", D3DFMT_R3G3B2, 8, 0xFF},
    {"A8", D3DFMT_A8, 8, 0xFF},
    {"A8R3G3B2", D3DFMT_A8R3G3B2, 16, 0xFFFF},
    {"X4R4G4B4", D3DFMT_X4R4G4B4, 16, 0x0FFF},
    {"A2B10G10R10", D3DFMT_A2B10G10R10, 32, 0xFFFFFFFF},
    {"G16R16", D3DFMT_G16R16, 32, 0xFFFFFFFF},
    {"L8", D3DFMT_L8, 8, 0xFF},
    {"A8L8", D3DFMT_A8L8, 16, 0xFFFF},
    {"A4L4", D3DFMT_A4L4, 8, 0xFF},
    {"V8U8", D3DFMT_V8U8, 16, 0xFFFF},
    {"L6V5U5", D3DFMT_L6V5U5, 16, 0xFFFF},
    {"X8L8V8U8", D3DFMT_X8L8V8U8, 32, 0x00FFFFFF},
    {"Q8W8V8U8", D3DFMT_Q8W8V8U8, 32, 0xFFFFFFFF},
    {"V16U16", D3DFMT_V16U16, 32, 0xFFFFFFFF},
    {"W11V11U10", D3DFMT_W11V11U10, 32, 0xFFFFFFFF},
    {"A2W10V10U10", D3DFMT_A2W10V10U10, 32, 0xFFFFFFFF},
    {"D16_LOCKABLE", D3DFMT_D16_LOCKABLE, 16, 0xFFFF},
    {"L16", FMT_L16, 16, 0xFFFF},
    {"A16L16", FMT_A16L16, 32, 0xFFFFFFFF},
    {"R16G16B16", FMT_R16G16B16, 48, 0xFFFFFFFFFFFF},
    {"A16R16G16B16", FMT_A16R16G16B16, 64, 0xFFFFFFFFFFFFFFFF},
};

// Every code (all of them up to 16 bits, a spread of 20000 beyond) decodes and re-encodes to itself.
TEST(PixelCodec, EveryCodeRoundTripsWithoutDither) {
  constexpr UINT kRow = 4096;
  for (const RoundTripCase& c : kRoundTrip) {
    SCOPED_TRACE(c.name);
    const unsigned bytes = c.bits / 8;
    const uint64_t total = c.bits <= 16 ? (uint64_t{1} << c.bits) : 20000;
    uint64_t state = 0x9E3779B97F4A7C15ull;
    std::vector<BYTE> in(kRow * bytes), out(kRow * bytes);
    std::vector<FloatPixel> px(kRow);
    for (uint64_t first = 0; first < total; first += kRow) {
      const UINT n = static_cast<UINT>(std::min<uint64_t>(kRow, total - first));
      for (UINT i = 0; i < n; ++i) {
        uint64_t code = first + i;
        if (c.bits > 16) {
          state = state * 6364136223846793005ull + 1442695040888963407ull;
          code = i < 4 ? (i & 1 ? ~0ull : 0ull) ^ (i & 2 ? 0x5555555555555555ull : 0) : state >> 3;
        }
        code &= c.mask;
        std::memcpy(&in[i * bytes], &code, bytes);
      }
      auto dec = CreateCodec(rowDesc(c.format, in.data(), n, kRow * bytes));
      auto enc = CreateCodec(rowDesc(c.format, out.data(), n, kRow * bytes));
      ASSERT_TRUE(dec && enc);
      dec->DecodeRow(0, 0, px.data());
      enc->EncodeRow(0, 0, px.data());
      for (UINT i = 0; i < n; ++i) {
        uint64_t a = 0, b = 0;
        std::memcpy(&a, &in[i * bytes], bytes);
        std::memcpy(&b, &out[i * bytes], bytes);
        ASSERT_EQ(a, b) << "code " << std::hex << a;
      }
    }
  }
}

// With 256 distinct entries every index comes back as itself; A8P8 keeps its alpha byte too.
TEST(PixelCodec, PaletteIndicesRoundTrip) {
  PALETTEENTRY pal[256];
  for (unsigned i = 0; i < 256; ++i)
    pal[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7),
              static_cast<BYTE>(i ^ 0x5A)};
  BYTE p8[256], p8out[256] = {};
  uint16_t a8p8[256], a8p8out[256] = {};
  for (unsigned i = 0; i < 256; ++i) {
    p8[i] = static_cast<BYTE>(i);
    a8p8[i] = static_cast<uint16_t>((255 - i) << 8 | i);
  }
  std::vector<FloatPixel> px(256);
  CreateCodec(rowDesc(D3DFMT_P8, p8, 256, 256, pal))->DecodeRow(0, 0, px.data());
  CreateCodec(rowDesc(D3DFMT_P8, p8out, 256, 256, pal))->EncodeRow(0, 0, px.data());
  EXPECT_EQ(std::memcmp(p8, p8out, 256), 0);
  CreateCodec(rowDesc(D3DFMT_A8P8, a8p8, 256, 512, pal))->DecodeRow(0, 0, px.data());
  CreateCodec(rowDesc(D3DFMT_A8P8, a8p8out, 256, 512, pal))->EncodeRow(0, 0, px.data());
  EXPECT_EQ(std::memcmp(a8p8, a8p8out, 512), 0);
}

TEST(PixelCodec, DecodingConstantsAreTheSinglePrecisionReciprocals) {
  struct Case {
    const char* name;
    D3DFORMAT format;
    uint64_t code;
    float FloatPixel::*channel;
    uint32_t bits;
  };
  const Case cases[] = {
      {"1/255", D3DFMT_A8R8G8B8, 0x00000001, &FloatPixel::b, 0x3B808081},
      {"1/31", D3DFMT_R5G6B5, 0x0001, &FloatPixel::b, 0x3D042108},
      {"1/63", D3DFMT_R5G6B5, 0x0020, &FloatPixel::g, 0x3C820821},
      {"1/15", D3DFMT_A4R4G4B4, 0x0001, &FloatPixel::b, 0x3D888889},
      {"1/7", D3DFMT_R3G3B2, 0x20, &FloatPixel::r, 0x3E124925},
      {"1/3", D3DFMT_R3G3B2, 0x01, &FloatPixel::b, 0x3EAAAAAB},
      {"1/1023", D3DFMT_A2B10G10R10, 0x001, &FloatPixel::r, 0x3A802008},
      {"1/65535", D3DFMT_G16R16, 0x0001, &FloatPixel::r, 0x37800080},
      {"255/255", D3DFMT_A8R8G8B8, 0xFF000000, &FloatPixel::a, 0x3F800000},
      {"V8U8 -128", D3DFMT_V8U8, 0x0080, &FloatPixel::r, floatBits(-1.0f)},
      {"V8U8 127", D3DFMT_V8U8, 0x7F00, &FloatPixel::g, floatBits(0.9921875f)},
      {"G16R16 blue", D3DFMT_G16R16, 0, &FloatPixel::b, floatBits(1.0f)},
      {"W11V11U10 W -1024", D3DFMT_W11V11U10, 0x80000000, &FloatPixel::b, floatBits(-1.0f)},
      {"A1R5G5B5 alpha", D3DFMT_A1R5G5B5, 0x8000, &FloatPixel::a, floatBits(1.0f)},
  };
  for (const Case& c : cases) {
    const FloatPixel p = decodeOne(c.format, c.code);
    EXPECT_EQ(floatBits(p.*c.channel), c.bits) << c.name;
  }
}

TEST(PixelCodec, EncodingRoundsAtTheThreshold) {
  struct Case {
    const char* name;
    D3DFORMAT format;
    FloatPixel in;
    uint64_t code;
  };
  const Case cases[] = {
      {"A1R5G5B5 alpha 0.5", D3DFMT_A1R5G5B5, {0, 0, 0, 0.5f}, 0x8000},
      {"A1R5G5B5 alpha 0.49", D3DFMT_A1R5G5B5, {0, 0, 0, 0.49f}, 0x0000},
      {"L8 from green", D3DFMT_L8, {0, 1, 0, 1}, 182},
      {"V8U8 -1 stays -128", D3DFMT_V8U8, {-1, -1, 0, 1}, 0x8080},
      {"V8U8 +1 is the largest code", D3DFMT_V8U8, {1, 1, 0, 1}, 0x7F7F},
      {"X8R8G8B8 writes 0 in the X byte", D3DFMT_X8R8G8B8, {1, 1, 1, 1}, 0x00FFFFFF},
      {"A8L8 luminance and alpha", D3DFMT_A8L8, {1, 1, 1, 0}, 0x00FF},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeOne(c.format, c.in), c.code) << c.name;
}

// Out-of-range values stay inside their field; values C++ cannot convert (NaN, infinities) saturate.
TEST(PixelCodec, OutOfRangeValuesDoNotSpillIntoNeighbours) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    D3DFORMAT format;
    FloatPixel in;
    uint64_t code;
  };
  const Case cases[] = {
      {"red 2.0 leaves alpha alone", D3DFMT_A8R8G8B8, {2, 0, 0, 0}, 0x00FF0000},
      {"negative blue leaves green alone", D3DFMT_A8R8G8B8, {0, 0, -1, 0}, 0x00000000},
      {"infinities and NaN", D3DFMT_X8R8G8B8, {inf, nan, -inf, 1}, 0x00FF0000},
      {"R5G6B5 green 4.0", D3DFMT_R5G6B5, {0, 4, 0, 1}, 0x07E0},
      {"X1R5G5B5 red 2.0 keeps bit 15 clear", D3DFMT_X1R5G5B5, {2, 0, 0, 1}, 0x7C00},
      {"A2B10G10R10 blue 9.0", D3DFMT_A2B10G10R10, {0, 0, 9, 0}, 0x3FF00000},
      {"V16U16 U NaN", D3DFMT_V16U16, {nan, 0, 0, 1}, 0x00000000},
      {"L6V5U5 U -3 masked", D3DFMT_L6V5U5, {-3, 0, 0, 0}, (static_cast<uint64_t>(-48) & 0x1F)},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeOne(c.format, c.in), c.code) << c.name;
}

// Constant grey 0.5 into R5G6B5 red: 15.5 + t truncated, the 4x4 pattern anchored at the region's
// top-left corner, not at the image's.
TEST(PixelCodec, DitherPatternIsAnchoredAtTheRegionOrigin) {
  test::GuardedImage img(D3DFMT_R5G6B5, 11, 10, 1, 22);
  img.fill(0);
  img.desc.Region = {3, 1, 11, 9, 0, 1};
  img.desc.Dither = 1;
  auto codec = CreateCodec(img.desc);
  std::vector<FloatPixel> grey(8, FloatPixel{0.5f, 0.5f, 0.5f, 1});
  for (UINT y = 0; y < 8; ++y) codec->EncodeRow(y, 0, grey.data());
  static const int kM[4][4] = {{15, 7, 13, 5}, {3, 11, 1, 9}, {12, 4, 14, 6}, {0, 8, 2, 10}};
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x) {
      const int t16 = kM[y & 3][x & 3];  // threshold = (t16 + 0.5) / 16
      const uint16_t code = img.at<uint16_t>(3 + x, 1 + y);
      EXPECT_EQ(code >> 11, t16 >= 8 ? 16 : 15) << x << "," << y;
    }
  EXPECT_EQ(img.at<uint16_t>(2, 1), 0);
  EXPECT_TRUE(img.guardsIntact());
}

TEST(PixelCodec, DitherRowsShiftWithTheSlice) {
  uint16_t out[4] = {};
  ImageDesc d = rowDesc(D3DFMT_R5G6B5, out, 4, 8);
  d.Extent.Back = d.Region.Back = 2;
  d.SlicePitch = 0;  // both slices land on the same row: only the threshold column moves
  d.Dither = 1;
  auto codec = CreateCodec(d);
  std::vector<FloatPixel> grey(4, FloatPixel{0.5f, 0.5f, 0.5f, 1});
  codec->EncodeRow(0, 1, grey.data());  // slice 1: M[0][(x + 1) & 3] = 7, 13, 5, 15
  EXPECT_EQ(out[0] >> 11, 15);
  EXPECT_EQ(out[1] >> 11, 16);
  EXPECT_EQ(out[2] >> 11, 15);
  EXPECT_EQ(out[3] >> 11, 16);
}

TEST(PixelCodec, EncodersLeaveTheFloatingPointEnvironmentAlone) {
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    uint16_t out[8] = {};
    ImageDesc d = rowDesc(D3DFMT_R5G6B5, out, 8, 16);
    d.Dither = 1;
    auto codec = CreateCodec(d);
    std::vector<FloatPixel> px(8, FloatPixel{0.25f, 0.5f, 0.75f, 1});
    codec->EncodeRow(0, 0, px.data());
    codec->DecodeRow(0, 0, px.data());
    EXPECT_EQ(std::fegetround(), mode);
  }
  std::fesetround(FE_TONEAREST);
}

TEST(PixelCodec, ColorKeyOnR5G6B5KeysExactlyItsCode) {
  uint16_t row[4] = {0xF81F, 0xF81E, 0xF01F, 0xF81F};
  ImageDesc d = rowDesc(D3DFMT_R5G6B5, row, 4, 8);
  d.ColorKey = 0xFFFF00FF;
  auto codec = CreateCodec(d);
  FloatPixel px[4];
  codec->DecodeRow(0, 0, px);
  EXPECT_EQ(px[0].a, 0.0f);
  EXPECT_EQ(px[0].r, 0.0f);
  EXPECT_EQ(px[1].a, 1.0f);
  EXPECT_EQ(px[2].a, 1.0f);
  EXPECT_EQ(px[3].a, 0.0f);
}

TEST(PixelCodec, ColorKeyOnEachCodecFamily) {
  // Bump: the key converts into the signed range before it is quantised.
  {
    uint16_t row[2] = {0x0101, 0x0201};
    ImageDesc d = rowDesc(D3DFMT_V8U8, row, 2, 4);
    d.ColorKey = 0xFF808080;
    FloatPixel px[2];
    CreateCodec(d)->DecodeRow(0, 0, px);
    EXPECT_EQ(px[0].a, 0.0f) << "V8U8";
    EXPECT_EQ(px[1].a, 1.0f) << "V8U8";
  }
  // Palette: every index whose entry decodes to the key.
  {
    PALETTEENTRY pal[256] = {};
    pal[3] = {10, 20, 30, 255};
    pal[9] = {10, 20, 30, 255};
    pal[4] = {10, 20, 31, 255};
    BYTE row[3] = {3, 4, 9};
    ImageDesc d = rowDesc(D3DFMT_P8, row, 3, 4, pal);
    d.ColorKey = 0xFF0A141E;
    FloatPixel px[3];
    CreateCodec(d)->DecodeRow(0, 0, px);
    EXPECT_EQ(px[0].a, 0.0f) << "P8";
    EXPECT_EQ(px[1].a, 1.0f) << "P8";
    EXPECT_EQ(px[2].a, 0.0f) << "P8";
  }
  // YUV: compared with the decoded values unquantised; studio black decodes to exact 0.
  {
    BYTE row[8] = {16, 128, 16, 128, 17, 128, 17, 128};  // Y0 U Y1 V
    ImageDesc d = rowDesc(D3DFMT_YUY2, row, 4, 8);
    d.ColorKey = 0xFF000000;
    FloatPixel px[4];
    CreateCodec(d)->DecodeRow(0, 0, px);
    EXPECT_EQ(px[0].a, 0.0f) << "YUY2";
    EXPECT_EQ(px[1].a, 0.0f) << "YUY2";
    EXPECT_EQ(px[2].a, 1.0f) << "YUY2";
  }
}

TEST(PixelCodec, PaletteSearchTakesTheLowestIndexOnTies) {
  PALETTEENTRY pal[256];
  for (auto& e : pal) e = {255, 255, 255, 255};
  pal[7] = {0, 0, 200, 255};
  pal[12] = {0, 0, 200, 255};
  pal[40] = {0, 0, 0, 0};
  BYTE out[3] = {};
  auto codec = CreateCodec(rowDesc(D3DFMT_P8, out, 3, 4, pal));
  const FloatPixel px[3] = {{0, 0, 200 / 255.0f, 1}, {0, 0, 0.7f, 1}, {0, 0, 0, 0}};
  codec->EncodeRow(0, 0, px);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[1], 7);
  EXPECT_EQ(out[2], 40);

  // A8P8 matches colour only and keeps alpha in its own byte.
  uint16_t out2[1] = {};
  const FloatPixel q = {0, 0, 0, 1};
  CreateCodec(rowDesc(D3DFMT_A8P8, out2, 1, 4, pal))->EncodeRow(0, 0, &q);
  EXPECT_EQ(out2[0], 0xFF28);
}

TEST(PixelCodec, PaletteWithoutEntriesDecodesWhite) {
  BYTE in[1] = {5};
  auto codec = CreateCodec(rowDesc(D3DFMT_P8, in, 1, 4));
  FloatPixel p;
  codec->DecodeRow(0, 0, &p);
  EXPECT_EQ(p.r, 1.0f);
  EXPECT_EQ(p.a, 1.0f);
}

TEST(PixelCodec, RangeConversionBothWays) {
  struct Case {
    const char* name;
    DWORD to, from;
    FloatPixel in, out;
  };
  const Case cases[] = {
      {"1<-2", 1, 2, {-1, 0, 1, 0.5f}, {0, 0.5f, 1, 0.5f}},
      {"1<-3", 1, 3, {-1, 0, 1, -1}, {0, 0.5f, 1, 0}},
      {"2<-1", 2, 1, {0, 0.5f, 1, 0.25f}, {-1, 0, 1, 0.25f}},
      {"2<-3", 2, 3, {-1, 0.5f, 1, 0}, {-1, 0.5f, 1, 0.5f}},
      {"3<-1", 3, 1, {0, 0.5f, 1, 1}, {-1, 0, 1, 1}},
      {"3<-2", 3, 2, {-1, 0.5f, 1, 0}, {-1, 0.5f, 1, -1}},
  };
  for (const Case& c : cases) {
    FloatPixel p = c.in;
    ConvertRangeClass(&p, 1, c.from, c.to);
    EXPECT_EQ(p.r, c.out.r) << c.name;
    EXPECT_EQ(p.g, c.out.g) << c.name;
    EXPECT_EQ(p.b, c.out.b) << c.name;
    EXPECT_EQ(p.a, c.out.a) << c.name;
  }
}

TEST(PixelCodec, FactoryAnswersUnsupportedFormats) {
  BYTE buf[16] = {};
  for (D3DFORMAT f : {D3DFMT_UNKNOWN, D3DFMT_D16, D3DFMT_D24S8, D3DFMT_DXT1, D3DFMT_DXT5, D3DFMT_INDEX16})
    EXPECT_EQ(CreateCodec(rowDesc(f, buf, 1)), nullptr) << f;
  EXPECT_NE(CreateCodec(rowDesc(D3DFMT_D16_LOCKABLE, buf, 1)), nullptr);
}

TEST(YuvCodec, DecodesStudioRangeAndPairsShareChroma) {
  // YUY2: Y0 U Y1 V; UYVY: U Y0 V Y1.
  const BYTE yuy2[4] = {235, 128, 16, 128};
  const BYTE uyvy[4] = {128, 235, 128, 16};
  for (auto [format, bytes] : {std::pair{D3DFMT_YUY2, yuy2}, std::pair{D3DFMT_UYVY, uyvy}}) {
    BYTE copy[4];
    std::memcpy(copy, bytes, 4);
    FloatPixel px[2];
    CreateCodec(rowDesc(format, copy, 2, 4))->DecodeRow(0, 0, px);
    EXPECT_FLOAT_EQ(px[0].r, 1.0f);
    EXPECT_FLOAT_EQ(px[0].g, 1.0f);
    EXPECT_EQ(px[1].r, 0.0f);
    EXPECT_EQ(px[1].a, 1.0f);
  }
  EXPECT_EQ(floatBits(0.004566209856420755f), 0x3B95A025u);
  EXPECT_EQ(floatBits(0.006258930079638958f), 0x3BCD17B6u);
  EXPECT_EQ(floatBits(0.0015363199636340141f), 0x3AC95E58u);
  EXPECT_EQ(floatBits(0.0031881099566817284f), 0x3B50EF9Cu);
  EXPECT_EQ(floatBits(0.007910709828138351f), 0x3C019BECu);
}

TEST(YuvCodec, GreyRoundTripsAndCommitsOnDestruction) {
  BYTE mem[8] = {};
  {
    auto codec = CreateCodec(rowDesc(D3DFMT_YUY2, mem, 4, 8));
    std::vector<FloatPixel> px = {
        {0, 0, 0, 1}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0.25f, 0.25f, 0.25f, 1}};
    codec->EncodeRow(0, 0, px.data());
    EXPECT_EQ(mem[0], 0) << "nothing written before the codec ends";
  }
  EXPECT_EQ(mem[0], 16);
  EXPECT_EQ(mem[1], 128);
  EXPECT_EQ(mem[2], 235);
  EXPECT_EQ(mem[3], 128);
  EXPECT_NEAR(mem[4], 16 + 110, 1);  // 219 * 0.5
  EXPECT_EQ(mem[6], 16 + 55);        // 54.75
}

// An odd-width region reads its last pair back first, so the pixel outside keeps its value.
TEST(YuvCodec, OddWidthRegionKeepsThePixelOutside) {
  BYTE mem[8] = {100, 90, 200, 170, 60, 110, 180, 150};
  ImageDesc d = rowDesc(D3DFMT_YUY2, mem, 4, 8);
  d.Region = {1, 0, 4, 1, 0, 1};
  FloatPixel decoded[4];
  CreateCodec(rowDesc(D3DFMT_YUY2, mem, 4, 8))->DecodeRow(0, 0, decoded);
  {
    auto codec = CreateCodec(d);
    ASSERT_EQ(codec->Width, 3u);
    const FloatPixel px[3] = {decoded[1], decoded[2], decoded[3]};
    codec->EncodeRow(0, 0, px);
  }
  // Pixel 0 is re-encoded from its own decoded value: luma survives to within one code.
  EXPECT_NEAR(mem[0], 100, 1);
  EXPECT_NEAR(mem[4], 60, 1);
}

}  // namespace
}  // namespace zentu
