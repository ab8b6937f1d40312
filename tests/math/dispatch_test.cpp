// Choice of implementation set over (settings x processor x version record), the first-use stubs and
// the MMX query.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx/math/services.h"
#include "math/math_test_support.h"

namespace zentu {
namespace {

using test::processor;
using test::ScopedSetting;
using test::version;

enum class Set { kBase, kSse, kSse2, k3DNow, k3DNowExtended };

MathTable expectedTable(Set set) {
  MathTable t;
  fillBaseSet(t);
  switch (set) {
    case Set::kBase:
      break;
    case Set::kSse:
      applySseSet(t);
      break;
    case Set::kSse2:
      applySse2Set(t);
      break;
    case Set::k3DNow:
      apply3DNowSet(t);
      break;
    case Set::k3DNowExtended:
      apply3DNowSet(t);
      applyExtended3DNowSet(t);
      break;
  }
  return t;
}

void expectTable(const MathTable& actual, const MathTable& expected) {
  for (int i = 0; i < kMathEntryCount; ++i)
    EXPECT_EQ(mathTableEntry(actual, i), mathTableEntry(expected, i))
        << "entry " << i << " " << mathEntryName(i);
}

int countDifferences(const MathTable& a, const MathTable& b) {
  int n = 0;
  for (int i = 0; i < kMathEntryCount; ++i) n += mathTableEntry(a, i) != mathTableEntry(b, i);
  return n;
}

class DispatchTest : public test::DispatchStateTest {};

// The sets replace exactly the entries of their columns.
TEST_F(DispatchTest, SetsReplaceTheirEntries) {
  // Per entry: 'S' an SSE variant that SSE2 reuses, '2' an SSE variant and an SSE2 variant of its own,
  // 's' an SSE variant only, 'o' an SSE2 variant only, '-' the base implementation under both.
  const char columns[kMathEntryCount + 1] = "S2222S22SS22-2--2S2SS2S-22-22-oo------------s--SSSSSSSS--";
  MathTable base = expectedTable(Set::kBase), sse = expectedTable(Set::kSse),
            sse2 = expectedTable(Set::kSse2);
  int sseCount = 0, shared = 0, own = 0;
  for (int i = 0; i < kMathEntryCount; ++i) {
    SCOPED_TRACE(mathEntryName(i));
    AnyMathFn b = mathTableEntry(base, i), s = mathTableEntry(sse, i), s2 = mathTableEntry(sse2, i);
    switch (columns[i]) {
      case 'S':  // SSE variant, reused by SSE2
        EXPECT_NE(s, b);
        EXPECT_EQ(s2, s);
        ++sseCount, ++shared;
        break;
      case '2':  // both sets have their own variant
        EXPECT_NE(s, b);
        EXPECT_NE(s2, b);
        EXPECT_NE(s2, s);
        ++sseCount, ++own;
        break;
      case 's':  // SSE only: SSE2 keeps the base implementation
        EXPECT_NE(s, b);
        EXPECT_EQ(s2, b);
        ++sseCount;
        break;
      case 'o':  // SSE2 only
        EXPECT_EQ(s, b);
        EXPECT_NE(s2, b);
        ++own;
        break;
      default:
        EXPECT_EQ(s, b);
        EXPECT_EQ(s2, b);
    }
  }
  EXPECT_EQ(sseCount, 33);
  EXPECT_EQ(shared, 16);
  EXPECT_EQ(own, 18);
  EXPECT_EQ(countDifferences(base, sse), 33);
  EXPECT_EQ(countDifferences(base, sse2), 34);
  MathTable threeDNow = expectedTable(Set::k3DNow), extended = expectedTable(Set::k3DNowExtended);
  EXPECT_EQ(countDifferences(base, threeDNow), 57);
  EXPECT_EQ(countDifferences(threeDNow, extended), 5);
  for (int i : {15, 18, 24, 38, 39})
    EXPECT_NE(mathTableEntry(threeDNow, i), mathTableEntry(extended, i)) << i;
}

TEST_F(DispatchTest, ChoiceOverSettingsProcessorAndVersion) {
  const uint32_t sse = kCpuidMmx | kCpuidSse, sse2 = sse | kCpuidSse2;
  const uint32_t allThreeDNow = kCpuid3DNow | kCpuidExtended3DNow | kCpuidExtendedMmx;
  ProcessorDescription noLeaf1 = processor(sse2);
  noLeaf1.maxStandardLeaf = 0;
  ProcessorDescription faults = processor(sse2);
  faults.cpuidFaults = true;
  const OsVersionInfo nt = version(kPlatformNt, 5, 1, 2600), win95 = version(kPlatformWin9x, 4, 0, 950),
                      win98 = version(kPlatformWin9x, 4, 10, 1998);
  struct Case {
    const char* name;
    const char* disableD3dxPsgp;
    const char* disablePsgp;
    ProcessorDescription d;
    OsVersionInfo v;
    bool versionFails;
    DWORD kind;
    Set set;
  };
  const Case cases[] = {
      {"SSE2, no settings", nullptr, nullptr, processor(sse2), nt, false, kProcessorSse2, Set::kSse2},
      {"DisableD3DXPSGP 1 over DisablePSGP 0", "1", "0", processor(sse2), nt, false, kProcessorBase,
       Set::kBase},
      {"DisableD3DXPSGP 0 wins over DisablePSGP 1", "0", "1", processor(sse2), nt, false, kProcessorSse2,
       Set::kSse2},
      {"DisablePSGP 1 alone", nullptr, "1", processor(sse2), nt, false, kProcessorBase, Set::kBase},
      {"DisablePSGP 2", nullptr, "2", processor(sse2), nt, false, kProcessorSse2, Set::kSse2},
      {"DisablePSGP 0xFFFFFFFF", nullptr, "0xFFFFFFFF", processor(sse2), nt, false, kProcessorSse2,
       Set::kSse2},
      {"DisablePSGP as text", nullptr, "\"1\"", processor(sse2), nt, false, kProcessorSse2, Set::kSse2},
      {"DisableD3DXPSGP as text, DisablePSGP 1", "on", "1", processor(sse2), nt, false, kProcessorBase,
       Set::kBase},
      {"SSE only", nullptr, nullptr, processor(sse), nt, false, kProcessorSse, Set::kSse},
      {"no features", nullptr, nullptr, processor(kCpuidMmx), nt, false, kProcessorBase, Set::kBase},
      {"SSE, 3DNow!, extended 3DNow! and MMX", nullptr, nullptr, processor(sse, allThreeDNow), nt, false,
       kProcessor3DNow, Set::k3DNowExtended},
      {"3DNow! without the extensions", nullptr, nullptr, processor(kCpuidMmx, kCpuid3DNow), nt, false,
       kProcessor3DNow, Set::k3DNow},
      {"extended 3DNow! without extended MMX", nullptr, nullptr,
       processor(kCpuidMmx, kCpuid3DNow | kCpuidExtended3DNow), nt, false, kProcessor3DNow, Set::k3DNow},
      {"3DNow! without MMX replaces nothing", nullptr, nullptr, processor(kCpuidSse, allThreeDNow), nt, false,
       kProcessor3DNow, Set::kBase},
      {"3DNow! switched off", "1", nullptr, processor(sse, allThreeDNow), nt, false, kProcessorBase,
       Set::kBase},
      {"SSE and SSE2 under 9x version 4.0", nullptr, nullptr, processor(sse2), win95, false, kProcessorBase,
       Set::kBase},
      {"3DNow! under 9x version 4.0", nullptr, nullptr, processor(kCpuidMmx, kCpuid3DNow), win95, false,
       kProcessor3DNow, Set::k3DNow},
      {"SSE2 under 9x version 4.10", nullptr, nullptr, processor(sse2), win98, false, kProcessorSse2,
       Set::kSse2},
      {"version query fails", nullptr, nullptr, processor(sse2), nt, true, kProcessorBase, Set::kBase},
      {"highest standard leaf 0", nullptr, nullptr, noLeaf1, nt, false, kProcessorBase, Set::kBase},
      {"CPUID faults", nullptr, nullptr, faults, nt, false, kProcessorBase, Set::kBase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedSetting a("DisableD3DXPSGP", c.disableD3dxPsgp), b("DisablePSGP", c.disablePsgp);
    setProcessorOverride(&c.d);
    setVersionOverride(&c.v, c.versionFails);
    resetMathDispatchForTesting();
    EXPECT_EQ(InitMathDispatch(), c.kind);
    EXPECT_EQ(mathProcessorKind(), c.kind);
    expectTable(mathTable(), expectedTable(c.set));
    // Idempotent: a second call neither re-reads nor changes anything.
    setProcessorOverride(nullptr);
    EXPECT_EQ(InitMathDispatch(), c.kind);
    expectTable(mathTable(), expectedTable(c.set));
  }
}

TEST_F(DispatchTest, Sse2KeepsTheBaseQuaternionInverse) {
  ProcessorDescription d = processor(kCpuidMmx | kCpuidSse | kCpuidSse2);
  setProcessorOverride(&d);
  resetMathDispatchForTesting();
  ASSERT_EQ(InitMathDispatch(), kProcessorSse2);
  MathTable base = expectedTable(Set::kBase), sse = expectedTable(Set::kSse);
  EXPECT_EQ(mathTableEntry(mathTable(), 44), mathTableEntry(base, 44));
  EXPECT_NE(mathTableEntry(sse, 44), mathTableEntry(base, 44));
}

TEST_F(DispatchTest, FirstCallOfAnyOperationFillsTheTable) {
  resetMathDispatchForTesting();
  MathTable base = expectedTable(Set::kBase);
  for (int i = 0; i < kMathEntryCount; ++i)
    EXPECT_NE(mathTableEntry(mathTable(), i), mathTableEntry(base, i));
  EXPECT_EQ(mathProcessorKind(), kProcessorUninitialised);

  D3DXQUATERNION q(0.6f, 0, 0, 0.8f), ln, ex;
  D3DXQuaternionLn(&ln, &q);
  EXPECT_NE(mathProcessorKind(), kProcessorUninitialised);
  EXPECT_NEAR(ln.x, 0.6f * std::acos(0.8f) / 0.6f, 1e-6);
  EXPECT_EQ(ln.w, 0.0f);

  resetMathDispatchForTesting();
  D3DXQUATERNION v(0.5f, 0, 0, 0);
  D3DXQuaternionExp(&ex, &v);
  EXPECT_NE(mathProcessorKind(), kProcessorUninitialised);
  EXPECT_NEAR(ex.w, std::cos(0.5f), 1e-6);
  EXPECT_NEAR(ex.x, std::sin(0.5f), 1e-6);
  for (int i = 0; i < kMathEntryCount; ++i)
    EXPECT_EQ(mathTableEntry(mathTable(), i), mathTableEntry(expectedTable(Set::kSse2), i)) << i;

  resetMathDispatchForTesting();
  D3DXQUATERNION a, b, c, q0(0, 0, 0, 1), q1(0, 0.6f, 0, 0.8f), q2(0, 0.8f, 0, 0.6f), q3(0, 1, 0, 0);
  D3DXQuaternionSquadSetup(&a, &b, &c, &q0, &q1, &q2, &q3);
  EXPECT_NE(mathProcessorKind(), kProcessorUninitialised);
  EXPECT_EQ(c, q2);

  resetMathDispatchForTesting();
  D3DXVECTOR3 axis;
  float angle = -1;
  D3DXQuaternionToAxisAngle(&q1, &axis, &angle);
  EXPECT_NE(mathProcessorKind(), kProcessorUninitialised);
  EXPECT_NEAR(angle, 2 * std::acos(0.8f), 1e-6);
}

TEST_F(DispatchTest, MmxQuery) {
  const ProcessorDescription mmx = processor(kCpuidMmx), none = processor(0);
  struct Case {
    const char* name;
    const char* disableMmx;
    const ProcessorDescription* d;
    DWORD expected;
  };
  const Case cases[] = {
      {"MMX processor", nullptr, &mmx, 1},    {"DisableMMX 5", "5", &mmx, 0}, {"DisableMMX 0", "0", &mmx, 1},
      {"DisableMMX as text", "yes", &mmx, 1}, {"no MMX", nullptr, &none, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedSetting s("DisableMMX", c.disableMmx);
    setProcessorOverride(c.d);
    resetMathDispatchForTesting();
    EXPECT_EQ(MmxAvailable(), c.expected);
    EXPECT_EQ(MmxAvailable(), c.expected);
  }
  // A non-zero DisableMMX at a later call forces the state to 0 for good.
  setProcessorOverride(&mmx);
  resetMathDispatchForTesting();
  EXPECT_EQ(MmxAvailable(), 1u);
  {
    ScopedSetting s("DisableMMX", "1");
    EXPECT_EQ(MmxAvailable(), 0u);
  }
  EXPECT_EQ(MmxAvailable(), 0u);
}

}  // namespace
}  // namespace zentu
