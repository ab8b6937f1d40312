// Texture formats the GL renderer samples and their upload. Packed 16- and 32-bit formats go up
// as they are stored (the device's channel order matches GL's *_REV packed types on a
// little-endian machine); the two formats GL has no packed type for are widened to RGBA8.
#include "platform/d3d8/gl/gl_formats.h"

#include <cstring>

namespace zentu {
namespace {

#define ZENTU_SWZ(a, b, c, d) \
  { a, b, c, d }

const GlTextureFormat kFormats[] = {
    {D3DFMT_A8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_X8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ONE), TexelConversion::None},
    {D3DFMT_R8G8B8, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, 3, false, ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ONE),
     TexelConversion::None},
    {D3DFMT_R5G6B5, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ONE), TexelConversion::None},
    {D3DFMT_X1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ONE), TexelConversion::None},
    {D3DFMT_A1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_A4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_X4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ONE), TexelConversion::None},
    {D3DFMT_R3G3B2, GL_R3_G3_B2, GL_RGB, GL_UNSIGNED_BYTE_3_3_2, 1, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ONE), TexelConversion::None},
    {D3DFMT_A8R3G3B2, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 2, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::A8R3G3B2},
    {D3DFMT_A2B10G10R10, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, 4, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_G16R16, GL_RG16, GL_RG, GL_UNSIGNED_SHORT, 4, false, ZENTU_SWZ(GL_RED, GL_GREEN, GL_ONE, GL_ONE),
     TexelConversion::None},
    // Alpha-only textures read black with the alpha, luminance ones grey with opaque alpha.
    {D3DFMT_A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, false, ZENTU_SWZ(GL_ZERO, GL_ZERO, GL_ZERO, GL_RED),
     TexelConversion::None},
    {D3DFMT_L8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, false, ZENTU_SWZ(GL_RED, GL_RED, GL_RED, GL_ONE),
     TexelConversion::None},
    {D3DFMT_A8L8, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, false, ZENTU_SWZ(GL_RED, GL_RED, GL_RED, GL_GREEN),
     TexelConversion::None},
    {D3DFMT_A4L4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 1, false,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::A4L4},
    {D3DFMT_DXT1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, 8, true,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_DXT2, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, 16, true,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_DXT3, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, 16, true,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_DXT4, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, 16, true,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
    {D3DFMT_DXT5, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, 16, true,
     ZENTU_SWZ(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA), TexelConversion::None},
};

#undef ZENTU_SWZ

uint8_t expand(uint32_t value, int bits) {
  const uint32_t max = (1u << bits) - 1;
  return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

// Widens one level to RGBA8 rows packed without padding.
void convertLevel(const TextureLevelView& level, TexelConversion conversion, std::vector<uint8_t>& out) {
  out.resize(static_cast<size_t>(level.width) * level.height * 4);
  uint8_t* dst = out.data();
  for (uint32_t y = 0; y < level.height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(level.bits) + static_cast<size_t>(y) * level.pitch;
    for (uint32_t x = 0; x < level.width; ++x, dst += 4) {
      if (conversion == TexelConversion::A4L4) {
        const uint8_t l = expand(row[x] & 0xF, 4);
        dst[0] = dst[1] = dst[2] = l;
        dst[3] = expand(row[x] >> 4, 4);
      } else {
        uint16_t v;
        std::memcpy(&v, row + 2 * x, 2);
        dst[0] = expand((v >> 5) & 7, 3);
        dst[1] = expand((v >> 2) & 7, 3);
        dst[2] = expand(v & 3, 2);
        dst[3] = static_cast<uint8_t>(v >> 8);
      }
    }
  }
}

}  // namespace

const GlTextureFormat* glTextureFormat(D3DFORMAT format) {
  for (const GlTextureFormat& f : kFormats)
    if (f.format == format) return &f;
  return nullptr;
}

bool rendererSamplesFormat(D3DFORMAT format) {
  return glTextureFormat(format) != nullptr;
}

void uploadTexture(const TextureView& view, const GlTextureFormat& format, std::vector<uint8_t>& scratch) {
  const uint32_t levels = view.levelCount < kRenderMaxLevels ? view.levelCount : kRenderMaxLevels;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (uint32_t i = 0; i < levels; ++i) {
    const TextureLevelView& level = view.levels[i];
    const GLint lv = static_cast<GLint>(i);
    const GLsizei w = static_cast<GLsizei>(level.width);
    const GLsizei h = static_cast<GLsizei>(level.height);
    if (level.bits == nullptr || level.width == 0 || level.height == 0) continue;
    if (format.compressed) {
      const uint64_t rowBytes = static_cast<uint64_t>((level.width + 3) / 4) * format.bytesPerTexel;
      const uint64_t rows = (level.height + 3) / 4;
      if (level.pitch < rowBytes) continue;
      const void* data = level.bits;
      if (level.pitch != rowBytes) {
        scratch.resize(static_cast<size_t>(rowBytes * rows));
        for (uint64_t r = 0; r < rows; ++r)
          std::memcpy(scratch.data() + r * rowBytes,
                      static_cast<const uint8_t*>(level.bits) + r * level.pitch,
                      static_cast<size_t>(rowBytes));
        data = scratch.data();
      }
      glCompressedTexImage2D(GL_TEXTURE_2D, lv, format.internalFormat, w, h, 0,
                             static_cast<GLsizei>(rowBytes * rows), data);
      continue;
    }
    const uint64_t rowBytes = static_cast<uint64_t>(level.width) * format.bytesPerTexel;
    if (level.pitch < rowBytes) continue;
    if (format.conversion != TexelConversion::None) {
      convertLevel(level, format.conversion, scratch);
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
      glTexImage2D(GL_TEXTURE_2D, lv, static_cast<GLint>(format.internalFormat), w, h, 0, format.uploadFormat,
                   format.uploadType, scratch.data());
      continue;
    }
    const void* data = level.bits;
    if (level.pitch % format.bytesPerTexel == 0) {
      glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(level.pitch / format.bytesPerTexel));
    } else {
      scratch.resize(static_cast<size_t>(rowBytes * level.height));
      for (uint32_t r = 0; r < level.height; ++r)
        std::memcpy(scratch.data() + r * rowBytes, static_cast<const uint8_t*>(level.bits) + r * level.pitch,
                    static_cast<size_t>(rowBytes));
      data = scratch.data();
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    glTexImage2D(GL_TEXTURE_2D, lv, static_cast<GLint>(format.internalFormat), w, h, 0, format.uploadFormat,
                 format.uploadType, data);
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels > 0 ? static_cast<GLint>(levels - 1) : 0);
  glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
}

}  // namespace zentu
