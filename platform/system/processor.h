// Processor identification (CPUID) and the system version record, the two facts behind the choice of
// processor-specific code. Tests replace either with a description of their own.
#pragma once

#include <cstdint>

#include "zentu/wintypes.h"

namespace zentu {

// The CPUID answers the library looks at. A description with cpuidFaults set behaves like a processor
// on which executing CPUID raises a fault.
struct ProcessorDescription {
  bool cpuidFaults = false;
  uint32_t maxStandardLeaf = 0;   // leaf 0, EAX
  uint32_t leaf1Edx = 0;          // leaf 1, EDX
  uint32_t maxExtendedLeaf = 0;   // leaf 0x80000000, EAX
  uint32_t extendedLeaf1Edx = 0;  // leaf 0x80000001, EDX
};

// EDX feature bits.
constexpr uint32_t kCpuidMmx = 1u << 23;            // leaf 1
constexpr uint32_t kCpuidSse = 1u << 25;            // leaf 1
constexpr uint32_t kCpuidSse2 = 1u << 26;           // leaf 1
constexpr uint32_t kCpuid3DNow = 1u << 31;          // leaf 0x80000001
constexpr uint32_t kCpuidExtended3DNow = 1u << 30;  // leaf 0x80000001
constexpr uint32_t kCpuidExtendedMmx = 1u << 22;    // leaf 0x80000001

struct CpuidRegisters {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// Executes CPUID for `leaf` (or answers from the override). False when the instruction faults or the
// processor has none; `out` is then zero.
bool cpuid(uint32_t leaf, CpuidRegisters* out);

// The EDX of leaf 1, read after leaf 0 says leaf 1 exists; false when it does not or CPUID faults.
bool cpuidLeaf1Edx(uint32_t* edx);
// The EDX of leaf 0x80000001 when leaf 0x80000000 reports a highest extended leaf above 0x80000000.
bool cpuidExtendedLeaf1Edx(uint32_t* edx);

// nullptr returns to the real processor. The description is copied.
void setProcessorOverride(const ProcessorDescription* description);

// The system version record (148 bytes, laid out like the classic one).
constexpr DWORD kPlatformWin9x = 1;
constexpr DWORD kPlatformNt = 2;
struct OsVersionInfo {
  DWORD osVersionInfoSize;
  DWORD majorVersion;
  DWORD minorVersion;
  DWORD buildNumber;
  DWORD platformId;
  CHAR csdVersion[128];
};
static_assert(sizeof(OsVersionInfo) == 148, "version record layout");

// Fills `info` (its size field must be sizeof(OsVersionInfo)); false on failure. This system answers
// the NT family with the kernel's release numbers.
bool getVersion(OsVersionInfo* info);

// nullptr returns to the real record; `fails` makes getVersion fail. The record is copied.
void setVersionOverride(const OsVersionInfo* info, bool fails = false);

// The NT family's processor-feature answer, from CPUID: 3 MMX, 6 SSE, 7 3DNow!, 10 SSE2; any other
// feature number is absent.
bool isProcessorFeaturePresent(DWORD feature);

}  // namespace zentu
