// What the math tests share: processor descriptions and version records to inject, a scoped setting,
// and a fixture that puts the dispatch state back after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "d3dx/math/math_internal.h"
#include "platform/system/processor.h"

namespace zentu::test {

inline ProcessorDescription processor(uint32_t leaf1Edx, uint32_t extendedEdx = 0) {
  ProcessorDescription d;
  d.maxStandardLeaf = 1;
  d.leaf1Edx = leaf1Edx;
  d.maxExtendedLeaf = 0x80000001u;
  d.extendedLeaf1Edx = extendedEdx;
  return d;
}

inline OsVersionInfo version(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
  OsVersionInfo v;
  std::memset(&v, 0, sizeof v);
  v.osVersionInfoSize = sizeof v;
  v.platformId = platformId;
  v.majorVersion = major;
  v.minorVersion = minor;
  v.buildNumber = build;
  return v;
}

// Sets ZENTU_<name> for the scope (nullptr: unset), then restores what was there.
class ScopedSetting {
 public:
  ScopedSetting(const char* name, const char* text) : var_(std::string("ZENTU_") + name) {
    const char* old = std::getenv(var_.c_str());
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    if (text != nullptr)
      setenv(var_.c_str(), text, 1);
    else
      unsetenv(var_.c_str());
  }
  ~ScopedSetting() {
    if (hadOld_)
      setenv(var_.c_str(), old_.c_str(), 1);
    else
      unsetenv(var_.c_str());
  }
  ScopedSetting(const ScopedSetting&) = delete;
  ScopedSetting& operator=(const ScopedSetting&) = delete;

 private:
  std::string var_;
  std::string old_;
  bool hadOld_ = false;
};

class DispatchStateTest : public ::testing::Test {
 protected:
  void TearDown() override {
    setProcessorOverride(nullptr);
    setVersionOverride(nullptr);
    resetMathDispatchForTesting();
  }
};

}  // namespace zentu::test
