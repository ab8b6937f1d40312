// Internal side of the debug channel, the call trace and the object accounting.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/d3d8/device_control.h"

namespace zentu {

// ---- Debug channel ----
// Remembers why the current call fails; the next reportFailure prints it.
void setFailureReason(const char* reason);
// Returns hr; when it is a failure, prints one line on the debug channel (if enabled and not
// muted) and forgets the reason.
HRESULT reportFailure(const char* interfaceName, const char* method, HRESULT hr);
// D3DERR_INVALIDCALL with a reason.
inline HRESULT invalidCall(const char* reason) {
  setFailureReason(reason);
  return D3DERR_INVALIDCALL;
}

// ---- Call trace ----
bool callTraceActive();
void recordDeviceCall(std::string_view method, std::string&& args, HRESULT result);

// Argument formatting for the trace.
class TraceArgs {
 public:
  TraceArgs& operator<<(uint32_t v);
  TraceArgs& operator<<(int32_t v);
  TraceArgs& operator<<(uint64_t v);
  TraceArgs& operator<<(float v);
  TraceArgs& operator<<(const void* p);  // "null" or "object"
  TraceArgs& operator<<(const D3DMATRIX* m);
  TraceArgs& operator<<(const D3DMATERIAL8* m);
  TraceArgs& operator<<(const D3DLIGHT8* l);
  TraceArgs& operator<<(const D3DVIEWPORT8* v);
  TraceArgs& operator<<(const RECT* r);
  template <class E, class = std::enable_if_t<std::is_enum_v<E>>>
  TraceArgs& operator<<(E e) {
    return *this << static_cast<uint32_t>(e);
  }
  std::string take() { return std::move(text_); }

 private:
  void separate();
  void raw(const char* s);
  std::string text_;
};

// ---- Accounting ----
constexpr uint32_t kLiveMagic = 0x5A443338;  // set while an object lives, cleared on release

void countObjectCreated(ObjectClass c);
void countObjectDestroyed(ObjectClass c);

// Base of every reference-counted device object: the live count of its class and the magic value.
class Accounted {
 public:
#ifdef ZENTU_OBJECT_ACCOUNTING
  explicit Accounted(ObjectClass c) : class_(c) {
    countObjectCreated(c);
  }
#else
  explicit Accounted(ObjectClass) {}
#endif
  ~Accounted() {
    magic_ = 0;
#ifdef ZENTU_OBJECT_ACCOUNTING
    countObjectDestroyed(class_);
#endif
  }
  Accounted(const Accounted&) = delete;
  Accounted& operator=(const Accounted&) = delete;
  bool live() const {
    return magic_ == kLiveMagic;
  }
  // A call on an object after its last release is a caller's error, caught in debug builds.
  void assertLive() const {
    assert(live() && "graphics-device object used after its last release");
  }

 private:
  uint32_t magic_ = kLiveMagic;
#ifdef ZENTU_OBJECT_ACCOUNTING
  ObjectClass class_;
#endif
};

}  // namespace zentu
