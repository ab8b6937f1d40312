// What the entry needs of the demo's director: built once with the device after the input
// devices, asked for one frame between BeginScene and EndScene, destroyed after the loop. Its
// constructor may throw a static narrow text, which the entry shows in the error box.
#pragma once

#include <functional>
#include <memory>

#include "zentu/d3d8.h"

namespace zentu {

class Director {
 public:
  virtual ~Director() = default;
  // Draws one frame: advances its own clock, sets its states and issues its draws.
  virtual void RenderFrame() = 0;
};

// Builds the director for the device. The device is borrowed: it outlives the director, which
// may keep the pointer without a reference of its own. Throws const char* on a set-up failure.
using DirectorFactory = std::function<std::unique_ptr<Director>(IDirect3DDevice8* device)>;

// The factory of any director class whose constructor takes the device.
template <class T>
DirectorFactory directorFactory() {
  return [](IDirect3DDevice8* device) -> std::unique_ptr<Director> { return std::make_unique<T>(device); };
}

}  // namespace zentu
