// The fast reciprocal square root table: the fixed rows, the slope grid, and the error bound over every
// segment, every float of [0.5, 2) and every exponent.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace {

constexpr double kBound = 1.6e-6;

double relativeError(float q) {
  double exact = 1.0 / std::sqrt(static_cast<double>(q));
  return std::fabs(static_cast<double>(fastRsqrt(q)) - exact) / exact;
}

TEST(FastRsqrt, ReproducesTheFixedRows) {
  struct Row {
    int segment;
    double slope, intercept;
  };
  const Row rows[] = {{0, -1.41009521484375, 2.1192612648010254},
                      {255, -0.500732421875, 1.500732421875},
                      {256, -0.49853515625, 1.49853515625},
                      {511, -0.177032470703125, 1.0611717700958252}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.segment);
    EXPECT_EQ(static_cast<double>(kRsqrtTable[r.segment].slope), r.slope);
    EXPECT_EQ(static_cast<double>(kRsqrtTable[r.segment].intercept), r.intercept);
  }
}

TEST(FastRsqrt, EverySlopeIsOnTheGrid) {
  for (int s = 0; s < 512; ++s) {
    double scaled = static_cast<double>(kRsqrtTable[s].slope) * 65536.0;
    EXPECT_EQ(scaled, std::floor(scaled)) << "segment " << s;
  }
}

TEST(FastRsqrt, EachSegmentAtBothEndsAndTheMiddle) {
  for (int s = 0; s < 512; ++s) {
    double width = s < 256 ? 1.0 / 512 : 1.0 / 256;
    double left = s < 256 ? 0.5 + s * width : 1.0 + (s - 256) * width;
    float points[] = {static_cast<float>(left), static_cast<float>(left + width / 2),
                      std::nextafter(static_cast<float>(left + width), 0.0f)};
    for (float q : points) EXPECT_LE(relativeError(q), kBound) << "segment " << s << " q " << q;
  }
}

TEST(FastRsqrt, EveryFloatOfTheBaseRange) {
  double worst = 0;
  for (uint32_t bits = floatBits(0.5f); bits < floatBits(2.0f); ++bits)
    worst = std::max(worst, relativeError(bitsFloat(bits)));
  EXPECT_LE(worst, kBound);
}

TEST(FastRsqrt, SweepOfExponents) {
  for (int e = -126; e <= 127; ++e) {
    for (float m : {0.5f, 0.7071f, 0.999f, 1.0f, 1.2345f, 1.5f, 1.999f}) {
      float q = std::ldexp(m, e);
      if (!std::isnormal(q)) continue;
      EXPECT_LE(relativeError(q), kBound) << "q " << q;
    }
  }
}

}  // namespace
}  // namespace zentu
