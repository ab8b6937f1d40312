// Test helpers: images with guard bytes around them, and bit views of floats.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "d3dx/blt/blit.h"

namespace zentu::test {

inline uint32_t floatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

constexpr BYTE kGuard = 0xA5;

// A w x h x d image of `bytesPerPixel` pixels (or raw pitch for block formats) with a guard
// border of bytes before, after and to the right of every row.
struct GuardedImage {
  GuardedImage(D3DFORMAT format, UINT w, UINT h, UINT d, UINT rowBytes)
      : width(w),
        height(h),
        depth(d),
        pitch(rowBytes + 16),
        slicePitch(pitch * h),
        storage(64 + static_cast<size_t>(slicePitch) * d + 64, kGuard) {
    desc.Bits = storage.data() + 64;
    desc.Format = format;
    desc.RowPitch = pitch;
    desc.SlicePitch = d > 1 ? slicePitch : 0;
    desc.Extent = {0, 0, w, h, 0, d};
    desc.Region = desc.Extent;
    this->rowBytes = rowBytes;
  }
  BYTE* row(UINT y, UINT z = 0) {
    return storage.data() + 64 + static_cast<size_t>(z) * slicePitch + y * pitch;
  }
  void fill(BYTE v) {
    for (UINT z = 0; z < depth; ++z)
      for (UINT y = 0; y < height; ++y) std::memset(row(y, z), v, rowBytes);
  }
  // True when no byte outside the pixel rows changed.
  bool guardsIntact() const {
    for (size_t i = 0; i < storage.size(); ++i) {
      if (i < 64 || i >= storage.size() - 64) {
        if (storage[i] != kGuard) return false;
        continue;
      }
      const size_t off = (i - 64) % pitch;
      if (off >= rowBytes && storage[i] != kGuard) return false;
    }
    return true;
  }
  template <class T>
  T at(UINT x, UINT y, UINT z = 0) {
    T v;
    std::memcpy(&v, row(y, z) + x * sizeof(T), sizeof(T));
    return v;
  }
  template <class T>
  void set(UINT x, UINT y, T v, UINT z = 0) {
    std::memcpy(row(y, z) + x * sizeof(T), &v, sizeof(T));
  }

  UINT width, height, depth, pitch, slicePitch, rowBytes;
  std::vector<BYTE> storage;
  ImageDesc desc;
};

}  // namespace zentu::test
