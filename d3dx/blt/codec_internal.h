// Quantisation and memory helpers shared by the codec files.
//
// Codes are v * scale + threshold, rounded to single precision and truncated toward zero by the
// conversion itself, so no floating-point environment is touched and the codecs keep no global
// state. Conversions that C++ leaves undefined (NaN, beyond the 32-bit range) saturate.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "d3dx/blt/pixel_codec.h"

namespace zentu {
namespace codec {

// Reciprocals of 2^n - 1 as single-precision constants.
constexpr float k1_1 = 1.0f;
constexpr float k1_3 = 1.0f / 3.0f;
constexpr float k1_7 = 1.0f / 7.0f;
constexpr float k1_15 = 1.0f / 15.0f;
constexpr float k1_31 = 1.0f / 31.0f;
constexpr float k1_63 = 1.0f / 63.0f;
constexpr float k1_255 = 1.0f / 255.0f;
constexpr float k1_1023 = 1.0f / 1023.0f;
constexpr float k1_65535 = 1.0f / 65535.0f;

inline int32_t truncToInt(float s) {
  if (!(s == s)) return 0;
  if (s >= 2147483648.0f) return INT32_MAX;
  if (s < -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(s);
}

// v * scale + t in single precision, truncated. Two statements so that no compiler fuses them.
inline int32_t quantize(float v, float scale, float t) {
  float s = v * scale;
  s = s + t;
  return truncToInt(s);
}

// An unsigned field with another field above it: clamped to 0..max so it cannot spill upward.
inline uint32_t fieldClamped(float v, float scale, float t, int32_t max) {
  const int32_t c = quantize(v, scale, t);
  return static_cast<uint32_t>(c < 0 ? 0 : (c > max ? max : c));
}

// A field at the top of its word, or stored on its own: bits beyond the word are dropped.
inline uint32_t fieldTop(float v, float scale, float t) {
  return static_cast<uint32_t>(quantize(v, scale, t));
}

// A signed field of scale 2^(n-1), masked to `mask`. Quantised toward minus infinity, so that the
// threshold rounds negative values as it rounds positive ones (toward zero every negative code
// would come back one higher). +1.0 gives the largest code, 2^(n-1) - 1, rather than wrapping
// round to -1.0.
inline uint32_t fieldSigned(float v, float scale, float t, uint32_t mask) {
  float s = v * scale;
  s = s + t;
  int32_t c = truncToInt(std::floor(s));
  const int32_t top = static_cast<int32_t>(scale) - 1;
  if (c > top) c = top;
  return static_cast<uint32_t>(c) & mask;
}

// Sign-extends the n-bit field at bit `pos` of `w`.
inline int32_t signedField(uint32_t w, unsigned pos, unsigned n) {
  return static_cast<int32_t>(w << (32 - pos - n)) >> (32 - n);
}

inline float luminance(const FloatPixel& p) {
  float l = 0.0721f * p.b;
  const float g = 0.7154f * p.g;
  l = l + g;
  const float r = 0.2125f * p.r;
  l = l + r;
  return l;
}

inline uint16_t load16(const BYTE* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline uint32_t load32(const BYTE* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void store16(BYTE* p, uint32_t v) {
  const uint16_t w = static_cast<uint16_t>(v);
  std::memcpy(p, &w, 2);
}
inline void store32(BYTE* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

}  // namespace codec
}  // namespace zentu
