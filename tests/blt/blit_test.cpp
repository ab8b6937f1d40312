// The blitter: validation, method selection and the edge cases of every resampling method, with
// every destination written inside guard bytes.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx/blt/blit.h"
#include "tests/blt/blt_test_util.h"
#include "zentu/d3dx_tex.h"

namespace zentu {
namespace {

using test::GuardedImage;

GuardedImage argb(UINT w, UINT h, UINT d = 1) {
  return GuardedImage(D3DFMT_A8R8G8B8, w, h, d, w * 4);
}

// Fills every pixel with f(x, y, z).
template <class F>
void paint(GuardedImage& img, F f) {
  for (UINT z = 0; z < img.depth; ++z)
    for (UINT y = 0; y < img.height; ++y)
      for (UINT x = 0; x < img.width; ++x) img.set<uint32_t>(x, y, f(x, y, z), z);
}

uint32_t grey(uint32_t v) {
  return 0xFF000000u | v << 16 | v << 8 | v;
}

TEST(Blit, RejectsBadFilterWordsWithNothingTouched) {
  GuardedImage src = argb(2, 2), dst = argb(2, 2);
  paint(src, [](UINT, UINT, UINT) { return 0x11223344u; });
  dst.fill(0x77);
  for (DWORD filter : {0u, 6u, 0xFFFFu, 0x100001u, 0x80000000u | 1u, 0x105u}) {
    EXPECT_EQ(Blit(dst.desc, src.desc, filter), D3DERR_INVALIDCALL) << std::hex << filter;
    EXPECT_EQ(dst.at<uint32_t>(0, 0), 0x77777777u);
  }
  EXPECT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_BOX | D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER), D3D_OK);
}

TEST(Blit, RejectsRegionsOutsideTheirImageAndEmptySources) {
  GuardedImage src = argb(2, 2), dst = argb(2, 2);
  ImageDesc bad = dst.desc;
  bad.Region.Right = 3;
  EXPECT_EQ(Blit(bad, src.desc, D3DX_FILTER_POINT), D3DERR_INVALIDCALL);
  bad = dst.desc;
  bad.Region.Left = 2;
  bad.Region.Right = 1;
  EXPECT_EQ(Blit(bad, src.desc, D3DX_FILTER_POINT), D3DERR_INVALIDCALL);
  ImageDesc empty = src.desc;
  empty.Region.Right = empty.Region.Left;
  EXPECT_EQ(Blit(dst.desc, empty, D3DX_FILTER_POINT), D3DERR_INVALIDCALL);
  empty = dst.desc;
  empty.Region.Bottom = 0;
  EXPECT_EQ(Blit(empty, src.desc, D3DX_FILTER_POINT), D3D_OK);
  EXPECT_TRUE(dst.guardsIntact());
}

TEST(Blit, UnsupportedFormatsFail) {
  GuardedImage src = argb(2, 2);
  GuardedImage depth(D3DFMT_D24S8, 2, 2, 1, 8);
  EXPECT_EQ(Blit(depth.desc, src.desc, D3DX_FILTER_POINT), E_FAIL);
  EXPECT_EQ(Blit(src.desc, depth.desc, D3DX_FILTER_POINT), E_FAIL);
}

// Equal sizes never filter: equal formats copy bytes (the X byte survives), unless a colour key
// asks for decoding.
TEST(Blit, EqualSizesCopyOrConvertWhateverTheFilter) {
  for (DWORD filter : {D3DX_FILTER_BOX, D3DX_FILTER_TRIANGLE, D3DX_FILTER_LINEAR}) {
    GuardedImage src(D3DFMT_X8R8G8B8, 3, 2, 1, 12), dst(D3DFMT_X8R8G8B8, 3, 2, 1, 12);
    paint(src, [](UINT x, UINT y, UINT) { return 0x5A000000u | (x * 40) << 8 | y * 90; });
    ASSERT_EQ(Blit(dst.desc, src.desc, filter), D3D_OK);
    EXPECT_EQ(dst.at<uint32_t>(2, 1), 0x5A000000u | 80 << 8 | 90);
    src.desc.ColorKey = 0xFF123456;
    ASSERT_EQ(Blit(dst.desc, src.desc, filter), D3D_OK);
    EXPECT_EQ(dst.at<uint32_t>(2, 1), 0x00000000u | 80 << 8 | 90);
    EXPECT_TRUE(dst.guardsIntact());
  }
}

TEST(Blit, ConvertsBetweenRangeClasses) {
  GuardedImage src = argb(1, 1), bump(D3DFMT_V8U8, 1, 1, 1, 2);
  src.set<uint32_t>(0, 0, 0xFFFF0080);
  ASSERT_EQ(Blit(bump.desc, src.desc, D3DX_FILTER_NONE), D3D_OK);
  EXPECT_EQ(bump.at<uint16_t>(0, 0), 0x807F) << "red 1 -> U +127 (largest), green 0 -> V -128";
  ASSERT_EQ(Blit(src.desc, bump.desc, D3DX_FILTER_NONE), D3D_OK);
  const uint32_t back = src.at<uint32_t>(0, 0);
  EXPECT_EQ(back & 0xFF, 128u) << "blue of a bump map shows as 0.5";
  EXPECT_EQ(back >> 24, 255u);
}

TEST(Blit, NoneCopiesTheOverlapAndClearsTheRest) {
  GuardedImage small = argb(4, 4), big = argb(8, 8);
  paint(small, [](UINT x, UINT y, UINT) { return grey(10 * x + y + 1); });
  big.fill(0x33);
  ASSERT_EQ(Blit(big.desc, small.desc, D3DX_FILTER_NONE), D3D_OK);
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x)
      EXPECT_EQ(big.at<uint32_t>(x, y), x < 4 && y < 4 ? grey(10 * x + y + 1) : 0u);
  paint(big, [](UINT x, UINT y, UINT) { return grey(x + 16 * y); });
  ASSERT_EQ(Blit(small.desc, big.desc, D3DX_FILTER_NONE), D3D_OK);
  EXPECT_EQ(small.at<uint32_t>(3, 3), grey(3 + 48));
  EXPECT_TRUE(big.guardsIntact());
  EXPECT_TRUE(small.guardsIntact());
}

TEST(Blit, PointSamplesInFixedPointSteps) {
  GuardedImage src = argb(3, 1), dst = argb(2, 1);
  paint(src, [](UINT x, UINT, UINT) { return grey(x * 100); });
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_POINT), D3D_OK);
  EXPECT_EQ(dst.at<uint32_t>(0, 0), grey(0));
  EXPECT_EQ(dst.at<uint32_t>(1, 0), grey(100));  // step 98304: position 98304 >> 16 = 1
}

TEST(Blit, BoxHalvesAndIgnoresTheOddEdge) {
  GuardedImage src = argb(5, 5), dst = argb(2, 2);
  paint(src, [](UINT x, UINT y, UINT) { return x == 4 || y == 4 ? 0xFFFFFFFFu : grey(x * 10 + y * 20); });
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_BOX), D3D_OK);
  EXPECT_EQ(dst.at<uint32_t>(0, 0), grey(15));  // (0 + 10 + 20 + 30) / 4
  EXPECT_EQ(dst.at<uint32_t>(1, 1), grey(75));  // (60 + 70 + 80 + 90) / 4
  EXPECT_TRUE(dst.guardsIntact());
}

TEST(Blit, BoxOnASingleColumnUsesItTwice) {
  GuardedImage src = argb(1, 8), dst = argb(1, 4);
  paint(src, [](UINT, UINT y, UINT) { return grey(y * 10); });
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_BOX), D3D_OK);
  for (UINT y = 0; y < 4; ++y) EXPECT_EQ(dst.at<uint32_t>(0, y), grey(20 * y + 5));
}

TEST(Blit, BoxThatIsNotAHalvingFiltersWithTheTriangle) {
  GuardedImage src = argb(6, 6), box = argb(4, 4), tri = argb(4, 4);
  paint(src, [](UINT x, UINT y, UINT) { return grey(x * 40 + y * 3); });
  ASSERT_EQ(Blit(box.desc, src.desc, D3DX_FILTER_BOX), D3D_OK);
  ASSERT_EQ(Blit(tri.desc, src.desc, D3DX_FILTER_TRIANGLE), D3D_OK);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 4; ++x) EXPECT_EQ(box.at<uint32_t>(x, y), tri.at<uint32_t>(x, y));
}

TEST(Blit, Box3DAveragesEightSamples) {
  GuardedImage src = argb(2, 2, 2), dst = argb(1, 1, 1);
  paint(src, [](UINT x, UINT y, UINT z) { return grey(x * 8 + y * 16 + z * 32); });
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_BOX), D3D_OK);
  EXPECT_EQ(dst.at<uint32_t>(0, 0), grey(28));
}

TEST(Blit, LinearWrapsOrHoldsTheEdge) {
  GuardedImage src = argb(2, 1), dst = argb(4, 1);
  paint(src, [](UINT x, UINT, UINT) { return grey(x ? 200 : 0); });
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_LINEAR), D3D_OK);
  EXPECT_EQ(dst.at<uint32_t>(0, 0), grey(100)) << "0.5 x source 1 (wrapped) + 0.5 x source 0";
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U), D3D_OK);
  EXPECT_EQ(dst.at<uint32_t>(0, 0), grey(0));

  const auto w = BuildLinearWeights(4, 2, true);
  ASSERT_EQ(w.size(), 4u);
  EXPECT_EQ(w[0].I0, 1);
  EXPECT_EQ(w[0].I1, 0);
  EXPECT_EQ(w[0].W0, 0.5f);
  EXPECT_EQ(w[3].I0, 1);  // position 1.0: source 1 alone, its neighbour wrapped with weight 0
  EXPECT_EQ(w[3].I1, 0);
  EXPECT_EQ(w[3].W0, 1.0f);
  EXPECT_EQ(BuildLinearWeights(4, 2, false)[3].I1, 1);
}

TEST(Blit, Linear3DInterpolatesAlongDepth) {
  GuardedImage src = argb(1, 1, 2), dst = argb(1, 1, 4);
  paint(src, [](UINT, UINT, UINT z) { return grey(z ? 240 : 0); });
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_W), D3D_OK);
  EXPECT_EQ(dst.at<uint32_t>(0, 0, 0), grey(0));
  EXPECT_EQ(dst.at<uint32_t>(0, 0, 1), grey(0));  // position 0.5 * 1 - 0.5 = 0
  EXPECT_EQ(dst.at<uint32_t>(0, 0, 2), grey(120));
  EXPECT_EQ(dst.at<uint32_t>(0, 0, 3), grey(240));
}

TEST(Blit, TentWeightsFormAPartitionOfUnity) {
  for (auto [m, n] : {std::pair{7u, 3u}, {3u, 7u}, {1u, 5u}, {5u, 1u}, {1000u, 640u}, {2u, 2u}})
    for (bool wrap : {false, true}) {
      TentWeights t;
      ASSERT_TRUE(BuildTentWeights(m, n, wrap, &t));
      std::vector<double> sum(n, 0.0);
      for (UINT j = 0; j < m; ++j)
        for (UINT i = 0; i < t.count(j); ++i) {
          ASSERT_GE(t.list(j)[i].index, 0);
          ASSERT_LT(t.list(j)[i].index, static_cast<INT>(n));
          sum[t.list(j)[i].index] += t.list(j)[i].weight;
        }
      for (UINT d = 0; d < n; ++d)
        EXPECT_NEAR(sum[d], 1.0, 1e-4) << m << "->" << n << " wrap " << wrap << " @" << d;
    }
  TentWeights t;
  EXPECT_FALSE(BuildTentWeights(0, 4, false, &t));
  EXPECT_FALSE(BuildTentWeights(4, 0, false, &t));
}

TEST(Blit, TriangleKeepsAConstantImageConstant) {
  struct Case {
    const char* name;
    UINT sw, sh, sd, dw, dh, dd;
    DWORD flags;
  };
  const Case cases[] = {
      {"2D down", 7, 5, 1, 3, 2, 1, 0},
      {"2D up mirrored", 3, 2, 1, 11, 7, 1, D3DX_FILTER_MIRROR},
      {"2D odd ratio", 10, 7, 1, 6, 4, 1, D3DX_FILTER_MIRROR_U},
      {"3D", 5, 4, 3, 3, 3, 2, 0},
      {"3D mirrored", 3, 3, 3, 4, 5, 5, D3DX_FILTER_MIRROR},
  };
  for (const Case& c : cases) {
    GuardedImage src = argb(c.sw, c.sh, c.sd), dst = argb(c.dw, c.dh, c.dd);
    paint(src, [](UINT, UINT, UINT) { return 0xC8649632u; });
    ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_TRIANGLE | c.flags), D3D_OK) << c.name;
    for (UINT z = 0; z < c.dd; ++z)
      for (UINT y = 0; y < c.dh; ++y)
        for (UINT x = 0; x < c.dw; ++x) ASSERT_EQ(dst.at<uint32_t>(x, y, z), 0xC8649632u) << c.name;
    EXPECT_TRUE(dst.guardsIntact()) << c.name;
  }
}

TEST(Blit, DitherFlagDithersTheDestination) {
  GuardedImage src = argb(4, 4), dst(D3DFMT_R5G6B5, 4, 4, 1, 8);
  paint(src, [](UINT, UINT, UINT) { return 0xFF808080u; });  // 128/255 * 31 = 15.56
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_NONE), D3D_OK);
  EXPECT_EQ(dst.at<uint16_t>(1, 0) >> 11, 16);
  ASSERT_EQ(Blit(dst.desc, src.desc, D3DX_FILTER_NONE | D3DX_FILTER_DITHER), D3D_OK);
  EXPECT_EQ(dst.at<uint16_t>(1, 0) >> 11, 16);  // t = 0.46875: 16.03
  EXPECT_EQ(dst.at<uint16_t>(3, 0) >> 11, 15);  // t = 0.34375: 15.90
}

// Every method writes only its destination region: a frame of untouched pixels stays as it was.
TEST(Blit, EveryMethodWritesOnlyTheRegion) {
  struct Case {
    const char* name;
    DWORD filter;
    UINT sw, sh, sd, dw, dh, dd;
    D3DFORMAT dstFormat;
    UINT bpp;
  };
  const Case cases[] = {
      {"copy", D3DX_FILTER_POINT, 5, 3, 1, 5, 3, 1, D3DFMT_A8R8G8B8, 4},
      {"convert", D3DX_FILTER_POINT, 5, 3, 1, 5, 3, 1, D3DFMT_R8G8B8, 3},
      {"none", D3DX_FILTER_NONE, 3, 2, 1, 5, 4, 1, D3DFMT_R5G6B5, 2},
      {"point", D3DX_FILTER_POINT, 7, 3, 1, 5, 4, 1, D3DFMT_L8, 1},
      {"box", D3DX_FILTER_BOX, 10, 6, 1, 5, 3, 1, D3DFMT_A8R8G8B8, 4},
      {"box 3D", D3DX_FILTER_BOX, 6, 4, 4, 3, 2, 2, D3DFMT_A4R4G4B4, 2},
      {"linear", D3DX_FILTER_LINEAR, 3, 3, 1, 7, 5, 1, D3DFMT_A8R8G8B8, 4},
      {"linear 3D", D3DX_FILTER_LINEAR, 3, 3, 2, 4, 5, 3, D3DFMT_X1R5G5B5, 2},
      {"triangle", D3DX_FILTER_TRIANGLE, 9, 7, 1, 4, 3, 1, D3DFMT_A8R8G8B8, 4},
      {"triangle 3D", D3DX_FILTER_TRIANGLE, 3, 3, 3, 5, 4, 2, D3DFMT_Q8W8V8U8, 4},
      {"yuv odd", D3DX_FILTER_TRIANGLE, 4, 4, 1, 3, 3, 1, D3DFMT_YUY2, 2},
  };
  for (const Case& c : cases) {
    GuardedImage src = argb(c.sw, c.sh, c.sd);
    paint(src, [](UINT x, UINT y, UINT z) { return 0x80000000u | (x * 37 + y * 11 + z * 5) * 0x010203u; });
    // Destination region inset by one pixel (two for YUV, keeping pairs whole outside it).
    const UINT pad = c.dstFormat == D3DFMT_YUY2 ? 2 : 1;
    GuardedImage dst(c.dstFormat, c.dw + 2 * pad, c.dh + 2, c.dd + 2, (c.dw + 2 * pad) * c.bpp);
    dst.fill(0x5C);
    dst.desc.Region = {pad, 1, pad + c.dw, 1 + c.dh, 1, 1 + c.dd};
    if (c.dstFormat == D3DFMT_YUY2) dst.desc.Region.Left = pad + 1;  // odd left edge: a split pair
    ASSERT_EQ(Blit(dst.desc, src.desc, c.filter), D3D_OK) << c.name;
    EXPECT_TRUE(dst.guardsIntact()) << c.name;
    const D3DBOX& r = dst.desc.Region;
    const UINT left = c.dstFormat == D3DFMT_YUY2 ? r.Left & ~1u : r.Left;
    const UINT right = c.dstFormat == D3DFMT_YUY2 ? (r.Right + 1) & ~1u : r.Right;
    for (UINT z = 0; z < dst.depth; ++z)
      for (UINT y = 0; y < dst.height; ++y)
        for (UINT x = 0; x < dst.width; ++x) {
          const bool inside =
              z >= r.Front && z < r.Back && y >= r.Top && y < r.Bottom && x >= left && x < right;
          if (inside) continue;
          for (UINT b = 0; b < c.bpp; ++b)
            ASSERT_EQ(dst.row(y, z)[x * c.bpp + b], 0x5C) << c.name << " @" << x;
        }
  }
}

}  // namespace
}  // namespace zentu
