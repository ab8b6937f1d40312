// Controls of the graphics-device stand-in for tests, tools and the renderer: device profiles,
// the debug channel, the call trace and the live-object accounting.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zentu/d3d8.h"

namespace zentu {

// ---- Device profiles ------------------------------------------------------------------------
// A profile fixes what a device reports: capabilities, adapter identity, display mode, the
// CheckDeviceFormat matrix and the vertex-cache answer of GetInfo. Direct3DCreate8 takes the
// selected profile; devices take their Direct3D object's profile.

enum class VertexCacheAnswer { kRecord, kSFalse, kFail };

struct DeviceProfile {
  std::string_view name;
  D3DCAPS8 caps;
  DWORD vendorId;
  DWORD deviceId;
  D3DFORMAT displayFormat;
  std::vector<D3DFORMAT> textureFormats;       // plain and cube textures, offscreen surfaces
  std::vector<D3DFORMAT> volumeFormats;        // volume textures
  std::vector<D3DFORMAT> renderTargetFormats;  // D3DUSAGE_RENDERTARGET
  std::vector<D3DFORMAT> depthStencilFormats;  // D3DUSAGE_DEPTHSTENCIL
  bool index32;                                // D3DFMT_INDEX32 buffers usable by the device
  VertexCacheAnswer vertexCache;
  D3DDEVINFO_VCACHE vertexCacheRecord;
};

// The known profiles, in a fixed order; "default" first.
const std::vector<DeviceProfile>& deviceProfiles();
// The profile of that name, or null.
const DeviceProfile* findDeviceProfile(std::string_view name);
// Selects the profile for Direct3D objects created from now on. An unknown name prints one line
// on stderr, selects "default" and returns false. An empty name returns to the choice of
// ZENTU_D3D_PROFILE (or "default" when it is unset).
bool selectDeviceProfile(std::string_view name);
// The profile the next Direct3DCreate8 takes.
const DeviceProfile& selectedDeviceProfile();

// Selects a profile for the lifetime of the object and restores the previous choice after.
class ScopedDeviceProfile {
 public:
  explicit ScopedDeviceProfile(std::string_view name);
  ~ScopedDeviceProfile();
  ScopedDeviceProfile(const ScopedDeviceProfile&) = delete;
  ScopedDeviceProfile& operator=(const ScopedDeviceProfile&) = delete;

 private:
  std::string previous_;
};

// ---- Debug channel ---------------------------------------------------------------------------
// With ZENTU_D3D_DEBUG=1 (or enabled here), every failing call prints one line:
//   "zentu d3d8: IDirect3DDevice8::CreateTexture failed: D3DERR_INVALIDCALL (0x8876086C): why"
// unless muted (MuteDebugRuntime).

void setDebugOutputEnabled(bool enabled);  // overrides ZENTU_D3D_DEBUG
bool debugOutputEnabled();
// Sets the mute; returns the previous state.
bool setDebugMute(bool muted);
bool debugMuted();
// Sends the lines to `sink` instead of stderr (null restores stderr).
void setDebugSink(std::function<void(const std::string&)> sink);
// The result code's name ("D3DERR_INVALIDCALL", "E_OUTOFMEMORY", ...) or its hexadecimal value.
std::string resultName(HRESULT hr);

// ---- Call trace ------------------------------------------------------------------------------
// While a trace runs, every IDirect3DDevice8 call (except AddRef, Release and QueryInterface) is
// recorded with its arguments and result. Arguments are written in decimal (enums and flags as
// numbers), floats with %g, interface pointers as "null" or "object", records field by field.

struct TracedCall {
  std::string method;  // "SetRenderState"
  std::string args;    // "137, 1"
  HRESULT result;
  std::string text() const;  // "SetRenderState(137, 1)"
};

class CallTrace {
 public:
  CallTrace();   // starts recording (traces nest: the innermost one records)
  ~CallTrace();  // stops
  CallTrace(const CallTrace&) = delete;
  CallTrace& operator=(const CallTrace&) = delete;

  const std::vector<TracedCall>& calls() const { return calls_; }
  // The calls' texts of one method name, or all of them when empty.
  std::vector<std::string> texts(std::string_view method = {}) const;
  void clear() { calls_.clear(); }

 private:
  friend void recordDeviceCall(std::string_view, std::string&&, HRESULT);
  std::vector<TracedCall> calls_;
  CallTrace* outer_;
};

// ---- Live-object accounting (builds with ZENTU_OBJECT_ACCOUNTING) ----------------------------

enum class ObjectClass {
  kDirect3D,
  kDevice,
  kTexture,
  kCubeTexture,
  kVolumeTexture,
  kSurface,
  kVolume,
  kVertexBuffer,
  kIndexBuffer,
  kCount
};

const char* objectClassName(ObjectClass c);  // "IDirect3DTexture8", ...
std::size_t liveObjectCount(ObjectClass c);
std::size_t liveObjectCount();  // all classes
// "IDirect3DTexture8: 1, IDirect3DSurface8: 2" for the classes with live objects.
std::string liveObjectReport();
constexpr bool objectAccountingEnabled() {
#ifdef ZENTU_OBJECT_ACCOUNTING
  return true;
#else
  return false;
#endif
}

}  // namespace zentu
