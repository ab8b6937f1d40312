// Live-object counts per interface class, so tests can assert that nothing outlives them.
#include <array>
#include <atomic>

#include "platform/d3d8/diagnostics.h"

namespace zentu {
namespace {

constexpr std::size_t kClasses = static_cast<std::size_t>(ObjectClass::kCount);

std::array<std::atomic<std::size_t>, kClasses>& counts() {
  static std::array<std::atomic<std::size_t>, kClasses> c{};
  return c;
}

}  // namespace

const char* objectClassName(ObjectClass c) {
  switch (c) {
    case ObjectClass::kDirect3D:
      return "IDirect3D8";
    case ObjectClass::kDevice:
      return "IDirect3DDevice8";
    case ObjectClass::kTexture:
      return "IDirect3DTexture8";
    case ObjectClass::kCubeTexture:
      return "IDirect3DCubeTexture8";
    case ObjectClass::kVolumeTexture:
      return "IDirect3DVolumeTexture8";
    case ObjectClass::kSurface:
      return "IDirect3DSurface8";
    case ObjectClass::kVolume:
      return "IDirect3DVolume8";
    case ObjectClass::kVertexBuffer:
      return "IDirect3DVertexBuffer8";
    case ObjectClass::kIndexBuffer:
      return "IDirect3DIndexBuffer8";
    case ObjectClass::kCount:
      break;
  }
  return "?";
}

void countObjectCreated(ObjectClass c) {
  ++counts()[static_cast<std::size_t>(c)];
}
void countObjectDestroyed(ObjectClass c) {
  --counts()[static_cast<std::size_t>(c)];
}

std::size_t liveObjectCount(ObjectClass c) {
  return counts()[static_cast<std::size_t>(c)];
}

std::size_t liveObjectCount() {
  std::size_t n = 0;
  for (const auto& c : counts()) n += c;
  return n;
}

std::string liveObjectReport() {
  std::string s;
  for (std::size_t i = 0; i < kClasses; ++i) {
    std::size_t n = counts()[i];
    if (!n) continue;
    if (!s.empty()) s += ", ";
    s += objectClassName(static_cast<ObjectClass>(i));
    s += ": ";
    s += std::to_string(n);
  }
  return s;
}

}  // namespace zentu
