// CPUID through the compiler's intrinsic header, the version record from uname(2), and the overrides
// that tests install in their place.
#include "platform/system/processor.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace zentu {

namespace {
bool gProcessorOverridden = false;
ProcessorDescription gProcessor;

bool gVersionOverridden = false;
bool gVersionFails = false;
OsVersionInfo gVersion;

bool describedCpuid(const ProcessorDescription& d, uint32_t leaf, CpuidRegisters* out) {
  if (d.cpuidFaults) return false;
  switch (leaf) {
    case 0:
      out->eax = d.maxStandardLeaf;
      break;
    case 1:
      out->edx = d.leaf1Edx;
      break;
    case 0x80000000u:
      out->eax = d.maxExtendedLeaf;
      break;
    case 0x80000001u:
      out->edx = d.extendedLeaf1Edx;
      break;
    default:
      break;
  }
  return true;
}
}  // namespace

bool cpuid(uint32_t leaf, CpuidRegisters* out) {
  *out = CpuidRegisters{};
  if (gProcessorOverridden) return describedCpuid(gProcessor, leaf, out);
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid(leaf, a, b, c, d);
  out->eax = a, out->ebx = b, out->ecx = c, out->edx = d;
  return true;
#else
  (void)leaf;
  return false;
#endif
}

bool cpuidLeaf1Edx(uint32_t* edx) {
  CpuidRegisters r;
  if (!cpuid(0, &r) || r.eax == 0) return false;
  if (!cpuid(1, &r)) return false;
  *edx = r.edx;
  return true;
}

bool cpuidExtendedLeaf1Edx(uint32_t* edx) {
  CpuidRegisters r;
  if (!cpuid(0x80000000u, &r) || r.eax <= 0x80000000u) return false;
  if (!cpuid(0x80000001u, &r)) return false;
  *edx = r.edx;
  return true;
}

void setProcessorOverride(const ProcessorDescription* description) {
  gProcessorOverridden = description != nullptr;
  if (description != nullptr) gProcessor = *description;
}

bool getVersion(OsVersionInfo* info) {
  if (info->osVersionInfoSize != sizeof(OsVersionInfo)) return false;
  if (gVersionOverridden) {
    if (gVersionFails) return false;
    *info = gVersion;
    info->osVersionInfoSize = sizeof(OsVersionInfo);
    return true;
  }
  std::memset(info, 0, sizeof *info);
  info->osVersionInfoSize = sizeof(OsVersionInfo);
  info->platformId = kPlatformNt;
  utsname names;
  if (uname(&names) == 0) {
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(names.release, "%u.%u.%u", &major, &minor, &patch);
    info->majorVersion = major, info->minorVersion = minor, info->buildNumber = patch;
  }
  return true;
}

void setVersionOverride(const OsVersionInfo* info, bool fails) {
  gVersionOverridden = info != nullptr || fails;
  gVersionFails = fails;
  if (info != nullptr) gVersion = *info;
}

bool isProcessorFeaturePresent(DWORD feature) {
  uint32_t edx = 0;
  switch (feature) {
    case 3:
      return cpuidLeaf1Edx(&edx) && (edx & kCpuidMmx) != 0;
    case 6:
      return cpuidLeaf1Edx(&edx) && (edx & kCpuidSse) != 0;
    case 7:
      return cpuidExtendedLeaf1Edx(&edx) && (edx & kCpuid3DNow) != 0;
    case 10:
      return cpuidLeaf1Edx(&edx) && (edx & kCpuidSse2) != 0;
    default:
      return false;
  }
}

}  // namespace zentu
