// The dispatch table behind every math entry point: first-use stubs, the choice of implementation set
// from the settings and the processor features (3DNow!, then SSE2, then SSE), and the MMX query.
#include <cstddef>

#include "d3dx/math/math_internal.h"
#include "d3dx/math/services.h"
#include "platform/system/processor.h"
#include "platform/system/settings.h"

#if !defined(ZENTU_NO_SIMD) && (defined(__x86_64__) || defined(__i386__))
#include <mmintrin.h>
#define ZENTU_HAVE_EMMS 1
#endif

namespace zentu {

namespace {
// Each stub fills the table, then calls its operation through the entry it just filled.
namespace stubs {
#define ZENTU_STUB(index, name, publicName, ret, params, args) ret name params;
ZENTU_MATH_OPS(ZENTU_STUB)
#undef ZENTU_STUB
}  // namespace stubs

constexpr MathTable kStubTable = {
#define ZENTU_STUB_ENTRY(index, name, publicName, ret, params, args) &stubs::name,
    ZENTU_MATH_OPS(ZENTU_STUB_ENTRY)
#undef ZENTU_STUB_ENTRY
};

MathTable gTable = kStubTable;
DWORD gKind = kProcessorUninitialised;
int32_t gMmxState = -1;

namespace stubs {
#define ZENTU_STUB(index, name, publicName, ret, params, args) \
  ret name params {                                            \
    InitMathDispatch();                                        \
    return gTable.name args;                                   \
  }
ZENTU_MATH_OPS(ZENTU_STUB)
#undef ZENTU_STUB
}  // namespace stubs

// 0 unless a DWORD setting says otherwise; "DisableD3DXPSGP" wins over "DisablePSGP" when present.
DWORD readSwitch() {
  DWORD value = 0;
  Setting s = readSetting("DisablePSGP");
  if (s.type == SettingType::kDword) value = s.value;
  s = readSetting("DisableD3DXPSGP");
  if (s.type == SettingType::kDword) value = s.value;
  return value;
}

// The 3DNow! set needs MMX and 3DNow! on the processor itself; the five extended entries need extended
// 3DNow! and extended MMX as well.
void select3DNow(MathTable& table) {
  uint32_t edx = 0, extended = 0;
  if (!cpuidLeaf1Edx(&edx) || (edx & kCpuidMmx) == 0) return;
  if (!cpuidExtendedLeaf1Edx(&extended) || (extended & kCpuid3DNow) == 0) return;
  apply3DNowSet(table);
  if ((extended & kCpuidExtended3DNow) != 0 && (extended & kCpuidExtendedMmx) != 0)
    applyExtended3DNowSet(table);
}
}  // namespace

AnyMathFn mathTableEntry(const MathTable& table, int index) {
  switch (index) {
#define ZENTU_ENTRY_CASE(index, name, publicName, ret, params, args) \
  case index:                                                        \
    return reinterpret_cast<AnyMathFn>(table.name);
    ZENTU_MATH_OPS(ZENTU_ENTRY_CASE)
#undef ZENTU_ENTRY_CASE
    default:
      return nullptr;
  }
}

const char* mathEntryName(int index) {
  static const char* const kNames[] = {
#define ZENTU_ENTRY_NAME(index, name, publicName, ret, params, args) #publicName,
      ZENTU_MATH_OPS(ZENTU_ENTRY_NAME)
#undef ZENTU_ENTRY_NAME
  };
  return index >= 0 && index < kMathEntryCount ? kNames[index] : "";
}

void fillBaseSet(MathTable& table) {
#define ZENTU_BASE_ENTRY(index, name, publicName, ret, params, args) table.name = &base::name;
  ZENTU_MATH_OPS(ZENTU_BASE_ENTRY)
#undef ZENTU_BASE_ENTRY
}

bool hasProcessorFeature(DWORD feature) {
  OsVersionInfo info{};
  info.osVersionInfoSize = sizeof info;
  if (!getVersion(&info)) return false;
  if (info.platformId == kPlatformWin9x) {
    bool savesSseState = info.majorVersion > 4 || (info.majorVersion == 4 && info.minorVersion >= 10 &&
                                                   (info.buildNumber & 0xFFFF) >= 1373);
    uint32_t edx = 0;
    switch (feature) {
      case kFeatureSse:
        return savesSseState && cpuidLeaf1Edx(&edx) && (edx & kCpuidSse) != 0;
      case kFeature3DNow:
        return cpuidExtendedLeaf1Edx(&edx) && (edx & kCpuid3DNow) != 0;
      case kFeatureSse2:
        return savesSseState && cpuidLeaf1Edx(&edx) && (edx & kCpuidSse2) != 0;
      default:
        return false;
    }
  }
  if (info.platformId == kPlatformNt) {
    if (feature == kFeatureSse2) {
      uint32_t edx = 0;
      return cpuidLeaf1Edx(&edx) && (edx & kCpuidSse2) != 0;
    }
    return isProcessorFeaturePresent(feature);
  }
  return false;
}

DWORD InitMathDispatch() {
  if (gKind != kProcessorUninitialised) return gKind;
  gKind = kProcessorBase;
  fillBaseSet(gTable);
  if (readSwitch() == 1) return gKind;
  if (hasProcessorFeature(kFeature3DNow)) {
    select3DNow(gTable);
    gKind = kProcessor3DNow;
  } else if (hasProcessorFeature(kFeatureSse2)) {
    applySse2Set(gTable);
    gKind = kProcessorSse2;
  } else if (hasProcessorFeature(kFeatureSse)) {
    applySseSet(gTable);
    gKind = kProcessorSse;
  }
  return gKind;
}

DWORD MmxAvailable() {
  Setting disable = readSetting("DisableMMX");
  if (disable.type == SettingType::kDword && disable.value != 0) {
    gMmxState = 0;
    return 0;
  }
  if (gMmxState < 0) {
    gMmxState = 0;
    uint32_t edx = 0;
    if (cpuidLeaf1Edx(&edx) && (edx & kCpuidMmx) != 0) {
#ifdef ZENTU_HAVE_EMMS
      _mm_empty();
#endif
      gMmxState = 1;
    }
  }
  return static_cast<DWORD>(gMmxState);
}

const MathTable& mathTable() {
  return gTable;
}
DWORD mathProcessorKind() {
  return gKind;
}

void resetMathDispatchForTesting() {
  gTable = kStubTable;
  gKind = kProcessorUninitialised;
  gMmxState = -1;
}

void setMathTableForTesting(const MathTable& table, DWORD kind) {
  gTable = table;
  gKind = kind;
}

}  // namespace zentu

// The public entry points: one indirect call each.
#define ZENTU_PUBLIC_ENTRY(index, name, publicName, ret, params, args) \
  ret publicName params {                                              \
    return zentu::gTable.name args;                                    \
  }
ZENTU_MATH_OPS(ZENTU_PUBLIC_ENTRY)
#undef ZENTU_PUBLIC_ENTRY
