// How each sampled texture format goes into OpenGL: internal format, upload format and type,
// the swizzle that gives the channels the device's meaning, or a conversion to RGBA8 first.
#ifndef ZENTU_PLATFORM_D3D8_GL_GL_FORMATS_H
#define ZENTU_PLATFORM_D3D8_GL_GL_FORMATS_H

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "platform/d3d8/gl/renderer.h"

namespace zentu {

enum class TexelConversion { None, A4L4, A8R3G3B2 };

struct GlTextureFormat {
  D3DFORMAT format;
  GLenum internalFormat;
  GLenum uploadFormat;  // 0 for compressed formats
  GLenum uploadType;
  uint32_t bytesPerTexel;  // bytes per 4x4 block for compressed formats
  bool compressed;
  GLint swizzle[4];
  TexelConversion conversion;
};

// Null for a format the renderer does not sample.
const GlTextureFormat* glTextureFormat(D3DFORMAT format);

// Uploads every level of `view` into the bound GL_TEXTURE_2D. `scratch` is reused between calls.
// Levels whose size or pitch cannot hold their texels are skipped (the level reads as undefined
// but nothing outside the device's memory is read).
void uploadTexture(const TextureView& view, const GlTextureFormat& format, std::vector<uint8_t>& scratch);

}  // namespace zentu

#endif
