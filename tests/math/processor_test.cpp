// CPUID probing, the version record and the feature test of both system families, through injected
// processor descriptions and version records.
#include <gtest/gtest.h>

#include "math/math_test_support.h"

namespace zentu {
namespace {

using test::processor;
using test::version;

class ProcessorTest : public test::DispatchStateTest {};

TEST_F(ProcessorTest, RealProcessorAndVersionAnswer) {
  OsVersionInfo v{};
  v.osVersionInfoSize = sizeof v;
  ASSERT_TRUE(getVersion(&v));
  EXPECT_EQ(v.platformId, kPlatformNt);
  OsVersionInfo wrongSize{};
  EXPECT_FALSE(getVersion(&wrongSize));
#if defined(__x86_64__)
  uint32_t edx = 0;
  ASSERT_TRUE(cpuidLeaf1Edx(&edx));
  EXPECT_NE(edx & kCpuidSse2, 0u);  // the x86-64 baseline
  EXPECT_TRUE(isProcessorFeaturePresent(kFeatureSse2));
#endif
}

TEST_F(ProcessorTest, ProbesFollowTheLeafLimits) {
  struct Case {
    const char* name;
    ProcessorDescription d;
    bool leaf1, extended;
  };
  ProcessorDescription noLeaf1 = processor(kCpuidSse2, kCpuid3DNow);
  noLeaf1.maxStandardLeaf = 0;
  ProcessorDescription extendedLimit = processor(kCpuidSse2, kCpuid3DNow);
  extendedLimit.maxExtendedLeaf = 0x80000000u;
  ProcessorDescription faults = processor(kCpuidSse2, kCpuid3DNow);
  faults.cpuidFaults = true;
  const Case cases[] = {
      {"both leaves", processor(kCpuidSse2, kCpuid3DNow), true, true},
      {"highest standard leaf 0", noLeaf1, false, true},
      {"highest extended leaf 0x80000000", extendedLimit, true, false},
      {"cpuid faults", faults, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setProcessorOverride(&c.d);
    uint32_t edx = 0;
    EXPECT_EQ(cpuidLeaf1Edx(&edx), c.leaf1);
    if (c.leaf1) {
      EXPECT_EQ(edx, c.d.leaf1Edx);
    }
    EXPECT_EQ(cpuidExtendedLeaf1Edx(&edx), c.extended);
    if (c.extended) {
      EXPECT_EQ(edx, c.d.extendedLeaf1Edx);
    }
  }
}

TEST_F(ProcessorTest, FeatureTestByFamilyAndVersion) {
  struct Case {
    const char* name;
    OsVersionInfo v;
    bool fails;
    ProcessorDescription d;
    bool sse, threeDNow, sse2;
  };
  const ProcessorDescription all = processor(kCpuidMmx | kCpuidSse | kCpuidSse2, kCpuid3DNow);
  const ProcessorDescription sseOnly = processor(kCpuidMmx | kCpuidSse);
  const Case cases[] = {
      {"NT, everything", version(kPlatformNt, 5, 1, 2600), false, all, true, true, true},
      {"NT, SSE only", version(kPlatformNt, 5, 1, 2600), false, sseOnly, true, false, false},
      {"9x version 4.0 saves no SSE state", version(kPlatformWin9x, 4, 0, 950), false, all, false, true,
       false},
      {"9x version 4.10 build 1998", version(kPlatformWin9x, 4, 10, 1998), false, all, true, true, true},
      {"4.10 build 1372 is too old", version(kPlatformWin9x, 4, 10, 1372), false, all, false, true, false},
      {"4.10 build 1373 in the low 16 bits", version(kPlatformWin9x, 4, 10, 0x040A055D), false, all, true,
       true, true},
      {"9x major 5", version(kPlatformWin9x, 5, 0, 0), false, all, true, true, true},
      {"9x, no SSE bit", version(kPlatformWin9x, 4, 90, 3000), false, processor(kCpuidMmx), false, false,
       false},
      {"unknown platform id", version(0, 5, 1, 2600), false, all, false, false, false},
      {"version query fails", version(kPlatformNt, 5, 1, 2600), true, all, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setProcessorOverride(&c.d);
    setVersionOverride(&c.v, c.fails);
    EXPECT_EQ(hasProcessorFeature(kFeatureSse), c.sse);
    EXPECT_EQ(hasProcessorFeature(kFeature3DNow), c.threeDNow);
    EXPECT_EQ(hasProcessorFeature(kFeatureSse2), c.sse2);
  }
}

}  // namespace
}  // namespace zentu
