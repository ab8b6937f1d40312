// The director the demo runs until its scene lands: it draws nothing of the scene and only clears
// the back buffer to a colour that drifts slowly with its clock, so a run and its captured frames
// show that time passes.
#pragma once

#include "app/director.h"

namespace zentu {

class PlaceholderDirector : public Director {
 public:
  // Keeps the device without a reference; the device outlives the director.
  explicit PlaceholderDirector(IDirect3DDevice8* device);
  ~PlaceholderDirector() override;

  void RenderFrame() override;

  // The colour the frame at `elapsed` demo seconds is cleared to (opaque X8R8G8B8 value).
  static D3DCOLOR colourAt(float elapsed);

  float elapsed = 0;    // demo seconds, the sum of the frame deltas
  float lastClock = 0;  // the previous clock reading; 0 before the first frame
  IDirect3DDevice8* device;
};

}  // namespace zentu
