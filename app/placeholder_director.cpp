// The stand-in director: the demo's frame clock, and a clear colour that follows it.
#include "app/placeholder_director.h"

#include <cmath>

#include "platform/window/window.h"

namespace zentu {

PlaceholderDirector::PlaceholderDirector(IDirect3DDevice8* device) : device(device) {}

PlaceholderDirector::~PlaceholderDirector() = default;

D3DCOLOR PlaceholderDirector::colourAt(float elapsed) {
  // A triangle wave with a 20-second period between a dark and a lighter blue.
  const float phase = std::fmod(elapsed > 0 ? elapsed : 0.0f, 20.0f) / 20.0f;
  const float level = phase < 0.5f ? phase * 2 : 2 - phase * 2;
  const auto channel = [level](float low, float high) {
    return static_cast<D3DCOLOR>(std::lround(low + (high - low) * level));
  };
  return 0xFF000000u | channel(0x10, 0x30) << 16 | channel(0x20, 0x70) << 8 | channel(0x40, 0xC0);
}

void PlaceholderDirector::RenderFrame() {
  // The demo's clock: the first frame has no delta and reads the clock once.
  float dt = 0;
  if (lastClock != 0) dt = static_cast<float>(ClockSeconds() - static_cast<double>(lastClock));
  elapsed += dt;
  lastClock = static_cast<float>(ClockSeconds());
  device->Clear(0, nullptr, D3DCLEAR_TARGET, colourAt(elapsed), 1.0f, 0);
}

}  // namespace zentu
