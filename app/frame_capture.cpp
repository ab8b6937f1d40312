// Frame capture through libpng's simplified writer: the back buffer is locked read-only, its rows
// converted to RGB, and the file written in one call.
#include "app/frame_capture.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

#include "platform/d3d8/device_control.h"

namespace zentu {
namespace {

// Demo times come from sums of frame steps; a capture time a rounding error away still counts.
constexpr double kTimeSlack = 1e-6;

class SurfaceLock {
 public:
  explicit SurfaceLock(IDirect3DSurface8* surface) : surface_(surface) {}
  ~SurfaceLock() {
    if (locked_) surface_->UnlockRect();
  }
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;
  HRESULT lock(D3DLOCKED_RECT* rect) {
    HRESULT hr = surface_->LockRect(rect, nullptr, D3DLOCK_READONLY);
    locked_ = SUCCEEDED(hr);
    return hr;
  }

 private:
  IDirect3DSurface8* surface_;
  bool locked_ = false;
};

struct SurfaceRef {
  IDirect3DSurface8* surface = nullptr;
  ~SurfaceRef() {
    if (surface) surface->Release();
  }
};

}  // namespace

FrameCapture::FrameCapture(std::string directory, std::vector<double> times, long long every)
    : directory_(std::move(directory)), times_(std::move(times)), every_(every) {}

bool FrameCapture::wants(long long frame, double seconds) {
  if (!enabled() || failed_) return false;
  if (!times_.empty()) {
    // Several capture times inside one frame give that frame once.
    bool due = false;
    while (nextTime_ < times_.size() && seconds + kTimeSlack >= times_[nextTime_]) {
      due = true;
      ++nextTime_;
    }
    return due;
  }
  if (every_ > 0) return frame % every_ == 0;
  return true;
}

void FrameCapture::write(IDirect3DDevice8* device, long long frame) {
  const std::string path = directory_ + "/" + captureFileName(frame);
  std::string error;
  if (writeBackBufferPng(device, path, &error)) {
    ++written_;
    return;
  }
  std::fprintf(stderr, "zentu-demo: cannot capture frame %lld to %s: %s; capture stopped\n", frame,
               path.c_str(), error.c_str());
  failed_ = true;
}

std::string captureFileName(long long frame) {
  char name[48];
  std::snprintf(name, sizeof name, "frame-%06lld.png", frame);
  return name;
}

bool writeBackBufferPng(IDirect3DDevice8* device, const std::string& path, std::string* error) {
  SurfaceRef backBuffer;
  HRESULT hr = device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer.surface);
  if (FAILED(hr)) {
    *error = "no back buffer (" + resultName(hr) + ")";
    return false;
  }
  D3DSURFACE_DESC desc{};
  backBuffer.surface->GetDesc(&desc);
  if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) {
    *error = "the back buffer's format is not 32-bit RGB";
    return false;
  }
  const size_t width = desc.Width, height = desc.Height;
  if (width == 0 || height == 0 || width > static_cast<size_t>(std::numeric_limits<png_int_32>::max()) / 3 ||
      height > std::numeric_limits<size_t>::max() / (width * 3)) {
    *error = "the back buffer's size cannot be written";
    return false;
  }
  std::vector<png_byte> rgb(width * height * 3);
  {
    SurfaceLock lock(backBuffer.surface);
    D3DLOCKED_RECT locked{};
    hr = lock.lock(&locked);
    if (FAILED(hr)) {
      *error = "the back buffer cannot be locked (" + resultName(hr) + ")";
      return false;
    }
    for (size_t y = 0; y < height; ++y) {
      // Each pixel is a little-endian ARGB word: blue, green, red, alpha in memory.
      const auto* src = static_cast<const uint8_t*>(locked.pBits) + y * static_cast<size_t>(locked.Pitch);
      png_byte* dst = rgb.data() + y * width * 3;
      for (size_t x = 0; x < width; ++x) {
        dst[x * 3 + 0] = src[x * 4 + 2];
        dst[x * 3 + 1] = src[x * 4 + 1];
        dst[x * 3 + 2] = src[x * 4 + 0];
      }
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), static_cast<png_int_32>(width * 3),
                               nullptr)) {
    *error = image.message[0] ? image.message : "libpng could not write the file";
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace zentu
