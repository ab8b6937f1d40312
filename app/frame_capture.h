// Frame capture: which frames of a run are written, and writing the device's back buffer as a
// PNG file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "zentu/d3d8.h"

namespace zentu {

class FrameCapture {
 public:
  FrameCapture() = default;  // captures nothing
  // Captures into `directory` (which must exist): the first frame at or after each of `times`
  // (demo seconds, ascending), or frames 0, every, 2 every, ... ; every frame when both are empty.
  FrameCapture(std::string directory, std::vector<double> times, long long every);

  bool enabled() const { return !directory_.empty(); }
  // True when the frame with this number, showing this demo time, is to be written. Frames are
  // asked about in order.
  bool wants(long long frame, double seconds);
  // Writes the back buffer as `directory/frame-NNNNNN.png`. A failure is said once on stderr and
  // ends the capture; `failed()` tells.
  void write(IDirect3DDevice8* device, long long frame);

  std::size_t written() const { return written_; }
  bool failed() const { return failed_; }
  const std::string& directory() const { return directory_; }

 private:
  std::string directory_;
  std::vector<double> times_;
  std::size_t nextTime_ = 0;
  long long every_ = 0;
  std::size_t written_ = 0;
  bool failed_ = false;
};

// The file name of a captured frame: "frame-000030.png".
std::string captureFileName(long long frame);

// Writes the back buffer (which must be lockable, A8R8G8B8 or X8R8G8B8) as an 8-bit RGB PNG file;
// the alpha channel is left out. Returns false with the reason in `error`.
bool writeBackBufferPng(IDirect3DDevice8* device, const std::string& path, std::string* error);

}  // namespace zentu
