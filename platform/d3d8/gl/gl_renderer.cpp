// The GL renderer: draws the device's calls with OpenGL 3.3 core into an offscreen back buffer
// (a framebuffer object of the present parameters' size), keeps a GL copy of each vertex buffer,
// index buffer and texture that it refreshes when the resource's change counter moves, and blits
// the back buffer to the window on present.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d8/gl/gl_context.h"
#include "platform/d3d8/gl/gl_formats.h"
#include "platform/d3d8/gl/gl_program.h"
#include "platform/d3d8/gl/gl_state.h"
#include "platform/d3d8/gl/renderer.h"

namespace zentu {
namespace {

struct GlBuffer {
  GLuint name = 0;
  uint64_t changeCount = ~uint64_t{0};
  uint32_t size = 0;
  // Largest index of the last range checked, so repeated draws of one range scan it once.
  uint32_t memoStart = 0, memoCount = 0, memoMax = 0;
  uint64_t memoChange = ~uint64_t{0};
};

struct GlTexture {
  GLuint name = 0;
  uint64_t changeCount = ~uint64_t{0};
};

struct SamplerState {
  DWORD values[9] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
};

struct VertexLayout {
  DWORD fvf = ~0u;
  uint32_t stride = 0;
  GLuint buffer = 0;
  uintptr_t offset = 0;
};

// A buffer written front to back without waiting for the draws that still read its earlier
// parts; when full it is orphaned, so the driver hands out fresh storage instead of stalling.
struct StreamBuffer {
  GLuint name = 0;
  GLenum target = GL_ARRAY_BUFFER;
  uint32_t capacity = 0;
  uint32_t offset = 0;
  uint32_t alignment = 16;

  // Binds the buffer and makes room for `size` more bytes; true when that took fresh storage,
  // which leaves everything written before undefined for later draws.
  bool reserve(uint32_t size) {
    glBindBuffer(target, name);
    const uint32_t start = (offset + alignment - 1) / alignment * alignment;
    if (capacity >= size && start <= capacity - size) return false;
    while (capacity < size) capacity *= 2;
    glBufferData(target, capacity, nullptr, GL_STREAM_DRAW);
    offset = 0;
    return true;
  }

  // Copies `size` bytes in and returns where they went.
  uint32_t write(const void* data, uint32_t size) {
    reserve(size);
    const uint32_t start = (offset + alignment - 1) / alignment * alignment;
    void* p = glMapBufferRange(target, start, size,
                               GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (p != nullptr) {
      std::memcpy(p, data, size);
      glUnmapBuffer(target);
    } else {
      glBufferSubData(target, start, size, data);
    }
    offset = start + size;
    return start;
  }
};

uint32_t vertexCount(D3DPRIMITIVETYPE type, UINT primitives) {
  switch (type) {
    case D3DPT_POINTLIST:
      return primitives;
    case D3DPT_LINELIST:
      return primitives * 2;
    case D3DPT_LINESTRIP:
      return primitives + 1;
    case D3DPT_TRIANGLELIST:
      return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return primitives + 2;
    default:
      return 0;
  }
}

GLenum glPrimitive(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST:
      return GL_POINTS;
    case D3DPT_LINELIST:
      return GL_LINES;
    case D3DPT_LINESTRIP:
      return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
      return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
      return GL_TRIANGLE_FAN;
    default:
      return GL_TRIANGLES;
  }
}

GLint glAddress(DWORD mode, bool mirrorOnce) {
  switch (mode) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
      return mirrorOnce ? GL_MIRROR_CLAMP_TO_EDGE : GL_CLAMP_TO_EDGE;
    default:
      return GL_REPEAT;
  }
}

bool envFlag(const char* name, bool fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  return std::strcmp(value, "0") != 0;
}

class GlRenderer final : public Renderer {
 public:
  explicit GlRenderer(const RendererConfig& config) : config_(config) {}
  ~GlRenderer() override;

  void clear(const RenderState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
             float z, DWORD stencil) override;
  void drawPrimitive(const RenderState& state, D3DPRIMITIVETYPE type, UINT startVertex,
                     UINT primitiveCount) override;
  void drawIndexedPrimitive(const RenderState& state, D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                            UINT startIndex, UINT primitiveCount) override;
  void drawPrimitiveUp(const RenderState& state, D3DPRIMITIVETYPE type, UINT primitiveCount,
                       const void* vertices, UINT stride) override;
  void drawIndexedPrimitiveUp(const RenderState& state, D3DPRIMITIVETYPE type, UINT minIndex,
                              UINT numVertices, UINT primitiveCount, const void* indices,
                              D3DFORMAT indexFormat, const void* vertices, UINT stride) override;
  void present() override;
  bool readBackBuffer(void* bits, uint32_t pitch) override;
  void forget(uint64_t id) override;
  bool hasPixels() override { return ready(); }
  const RendererStats& stats() const override { return stats_; }

 private:
  bool ready();
  bool start(std::string& error);
  bool prepareDraw(const RenderState& state, DWORD fvf);
  GlBuffer* refreshBuffer(const BufferView& view, GLenum target);
  void bindTextures(const RenderState& state, DWORD fvf);
  void applySampler(int stage, const DWORD* ts);
  void setLayout(DWORD fvf, uint32_t stride, GLuint buffer, uintptr_t offset);

  RendererConfig config_;
  RendererStats stats_;
  enum class Phase { NotStarted, Ready, Failed } phase_ = Phase::NotStarted;
  GlContext context_;
  GLuint program_ = 0, vao_ = 0, fbo_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  GLuint whiteTexture_ = 0;
  GLuint samplers_[kRenderStages] = {};
  StreamBuffer uniforms_, vertices_, indices_;
  bool hasS3tc_ = false, hasMirrorOnce_ = false, useAnisotropy_ = false;
  float maxAnisotropy_ = 1.0f;
  GlStateCache cache_;
  DrawBlock drawBlock_ = {}, uploadedDraw_ = {};
  LightBlock lightBlock_ = {}, uploadedLights_ = {};
  bool blocksValid_ = false;
  SamplerState samplerStates_[kRenderStages];
  GLuint boundTextures_[kRenderStages] = {};
  VertexLayout layout_;
  std::unordered_map<uint64_t, GlBuffer> buffers_;
  std::unordered_map<uint64_t, GlTexture> textures_;
  std::vector<uint8_t> scratch_;
};

GlRenderer::~GlRenderer() {
  if (phase_ != Phase::Ready) return;
  context_.makeCurrent();
  for (auto& entry : buffers_) glDeleteBuffers(1, &entry.second.name);
  for (auto& entry : textures_) glDeleteTextures(1, &entry.second.name);
  glDeleteSamplers(kRenderStages, samplers_);
  glDeleteTextures(1, &whiteTexture_);
  const GLuint buffers[3] = {uniforms_.name, vertices_.name, indices_.name};
  glDeleteBuffers(3, buffers);
  glDeleteRenderbuffers(1, &colorBuffer_);
  glDeleteRenderbuffers(1, &depthBuffer_);
  glDeleteFramebuffers(1, &fbo_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteProgram(program_);
}

bool GlRenderer::ready() {
  if (phase_ == Phase::Ready) {
    context_.makeCurrent();
    return true;
  }
  if (phase_ == Phase::Failed) return false;
  std::string error;
  if (start(error)) {
    phase_ = Phase::Ready;
    return true;
  }
  phase_ = Phase::Failed;
  std::fprintf(stderr, "zentu: no OpenGL 3.3 context (%s); drawing is recorded but produces no pixels\n",
               error.c_str());
  return false;
}

bool GlRenderer::start(std::string& error) {
  if (config_.width == 0 || config_.height == 0) {
    error = "empty back buffer";
    return false;
  }
  if (!context_.create(config_.window, error)) return false;
  context_.makeCurrent();
  if (epoxy_gl_version() < 33) {
    error = "the driver offers OpenGL " + std::to_string(epoxy_gl_version() / 10) + "." +
            std::to_string(epoxy_gl_version() % 10);
    return false;
  }
  program_ = buildFixedFunctionProgram(error);
  if (program_ == 0) return false;
  hasS3tc_ = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
  hasMirrorOnce_ = epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");
  const bool anisotropic =
      epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic");
  // Software rasterizers pay several times the frame for anisotropy, so it is off there unless
  // asked for; ZENTU_D3D_ANISOTROPY=0 or 1 forces it either way.
  const char* rendererName = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const bool software = rendererName != nullptr && (std::strstr(rendererName, "llvmpipe") != nullptr ||
                                                    std::strstr(rendererName, "softpipe") != nullptr);
  useAnisotropy_ = anisotropic && envFlag("ZENTU_D3D_ANISOTROPY", !software);
  if (useAnisotropy_) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy_);
  if (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control"))
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);

  const GLsizei w = static_cast<GLsizei>(config_.width), h = static_cast<GLsizei>(config_.height);
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glGenRenderbuffers(1, &colorBuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  if (config_.depthStencilFormat != D3DFMT_UNKNOWN) {
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error = "the back buffer cannot be made";
    return false;
  }

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  GLuint buffers[3];
  glGenBuffers(3, buffers);
  GLint alignment = 16;
  glGetIntegerv(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &alignment);
  uniforms_ = {buffers[0], GL_UNIFORM_BUFFER, 512 * 1024, 0,
               static_cast<uint32_t>(alignment > 16 ? alignment : 16)};
  vertices_ = {buffers[1], GL_ARRAY_BUFFER, 1024 * 1024, 0, 16};
  indices_ = {buffers[2], GL_ELEMENT_ARRAY_BUFFER, 256 * 1024, 0, 16};
  glBindBuffer(GL_UNIFORM_BUFFER, uniforms_.name);
  glBufferData(GL_UNIFORM_BUFFER, uniforms_.capacity, nullptr, GL_STREAM_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, vertices_.name);
  glBufferData(GL_ARRAY_BUFFER, vertices_.capacity, nullptr, GL_STREAM_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_.name);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices_.capacity, nullptr, GL_STREAM_DRAW);

  // An unbound stage reads opaque white.
  const uint32_t white = 0xFFFFFFFF;
  glGenTextures(1, &whiteTexture_);
  glBindTexture(GL_TEXTURE_2D, whiteTexture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glGenSamplers(kRenderStages, samplers_);
  for (int s = 0; s < kRenderStages; ++s) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(s));
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    glBindSampler(static_cast<GLuint>(s), samplers_[s]);
    boundTextures_[s] = whiteTexture_;
  }
  glEnable(GL_PROGRAM_POINT_SIZE);
  // Flat shading takes the colour of each triangle's first vertex, as the device does.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glUseProgram(program_);
  int interval = 1;
  if (config_.presentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE) interval = 0;
  context_.setSwapInterval(interval);
  cache_.invalidate();
  return true;
}

GlBuffer* GlRenderer::refreshBuffer(const BufferView& view, GLenum target) {
  GlBuffer& buffer = buffers_[view.key.id];
  if (buffer.name == 0) glGenBuffers(1, &buffer.name);
  glBindBuffer(target, buffer.name);
  if (buffer.changeCount != view.key.changeCount) {
    glBufferData(target, view.size, view.bits, GL_STATIC_DRAW);
    buffer.changeCount = view.key.changeCount;
    buffer.size = view.size;
    ++stats_.bufferUploads;
  }
  return &buffer;
}

void GlRenderer::applySampler(int stage, const DWORD* ts) {
  const DWORD values[9] = {ts[D3DTSS_ADDRESSU],    ts[D3DTSS_ADDRESSV],      ts[D3DTSS_BORDERCOLOR],
                           ts[D3DTSS_MAGFILTER],   ts[D3DTSS_MINFILTER],     ts[D3DTSS_MIPFILTER],
                           ts[D3DTSS_MAXMIPLEVEL], ts[D3DTSS_MAXANISOTROPY], ts[D3DTSS_MIPMAPLODBIAS]};
  SamplerState& cached = samplerStates_[stage];
  if (std::memcmp(values, cached.values, sizeof values) == 0) return;
  std::memcpy(cached.values, values, sizeof values);
  const GLuint sampler = samplers_[stage];
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, glAddress(values[0], hasMirrorOnce_));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, glAddress(values[1], hasMirrorOnce_));
  const D3DCOLOR b = values[2];
  const float border[4] = {static_cast<float>((b >> 16) & 0xFF) / 255.0f,
                           static_cast<float>((b >> 8) & 0xFF) / 255.0f,
                           static_cast<float>(b & 0xFF) / 255.0f, static_cast<float>(b >> 24) / 255.0f};
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
  const bool magLinear = values[3] >= D3DTEXF_LINEAR;
  const bool minLinear = values[4] >= D3DTEXF_LINEAR;
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
  GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
  if (values[5] == D3DTEXF_POINT)
    minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  if (values[5] >= D3DTEXF_LINEAR) minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
  glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(values[6]));
  float bias;
  std::memcpy(&bias, &values[8], sizeof bias);
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? bias : 0.0f);
  if (useAnisotropy_) {
    float anisotropy = 1.0f;
    if (values[3] == D3DTEXF_ANISOTROPIC || values[4] == D3DTEXF_ANISOTROPIC) {
      anisotropy = static_cast<float>(values[7] > 0 ? values[7] : 1);
      if (anisotropy > maxAnisotropy_) anisotropy = maxAnisotropy_;
    }
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
  }
}

void GlRenderer::bindTextures(const RenderState& state, DWORD) {
  for (int s = 0; s < kRenderStages; ++s) {
    if (state.stageStates[s][D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    GLuint name = whiteTexture_;
    const TextureView* view = state.textures[s];
    const GlTextureFormat* format = view != nullptr ? glTextureFormat(view->format) : nullptr;
    if (format != nullptr && (!format->compressed || hasS3tc_) && view->levelCount > 0) {
      GlTexture& texture = textures_[view->key.id];
      if (texture.name == 0) glGenTextures(1, &texture.name);
      name = texture.name;
      if (texture.changeCount != view->key.changeCount) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(s));
        glBindTexture(GL_TEXTURE_2D, name);
        boundTextures_[s] = name;
        uploadTexture(*view, *format, scratch_);
        texture.changeCount = view->key.changeCount;
        ++stats_.textureUploads;
      }
    }
    if (boundTextures_[s] != name) {
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(s));
      glBindTexture(GL_TEXTURE_2D, name);
      boundTextures_[s] = name;
    }
    applySampler(s, state.stageStates[s]);
  }
}

void GlRenderer::setLayout(DWORD fvf, uint32_t stride, GLuint buffer, uintptr_t offset) {
  if (layout_.fvf == fvf && layout_.stride == stride && layout_.buffer == buffer && layout_.offset == offset)
    return;
  layout_ = {fvf, stride, buffer, offset};
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  const GLsizei s = static_cast<GLsizei>(stride);
  auto attrib = [&](GLuint location, GLint size, GLenum type, GLboolean normalized) {
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, size, type, normalized, s, reinterpret_cast<const void*>(offset));
  };
  auto absent = [&](GLuint location, float x, float y, float z, float w) {
    glDisableVertexAttribArray(location);
    glVertexAttrib4f(location, x, y, z, w);
  };
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position == D3DFVF_XYZRHW) {
    attrib(kAttribPosition, 4, GL_FLOAT, GL_FALSE);
    offset += 16;
  } else {
    attrib(kAttribPosition, 3, GL_FLOAT, GL_FALSE);
    offset += 12;
    if (position > D3DFVF_XYZRHW) offset += 4 * ((position - D3DFVF_XYZRHW) / 2);  // blend weights, unused
  }
  if (fvf & D3DFVF_NORMAL) {
    attrib(kAttribNormal, 3, GL_FLOAT, GL_FALSE);
    offset += 12;
  } else {
    absent(kAttribNormal, 0, 0, 0, 0);
  }
  if (fvf & D3DFVF_PSIZE) {
    attrib(kAttribPointSize, 1, GL_FLOAT, GL_FALSE);
    offset += 4;
  } else {
    absent(kAttribPointSize, 1, 0, 0, 0);
  }
  if (fvf & D3DFVF_DIFFUSE) {
    attrib(kAttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    offset += 4;
  } else {
    absent(kAttribDiffuse, 1, 1, 1, 1);
  }
  if (fvf & D3DFVF_SPECULAR) {
    attrib(kAttribSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    offset += 4;
  } else {
    absent(kAttribSpecular, 0, 0, 0, 0);
  }
  const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (DWORD i = 0; i < 8; ++i) {
    const GLuint location = kAttribTexCoord0 + i;
    if (i < sets) {
      static constexpr GLint kFloats[4] = {2, 3, 4, 1};
      const GLint floats = kFloats[(fvf >> (16 + 2 * i)) & 3];
      attrib(location, floats, GL_FLOAT, GL_FALSE);
      offset += 4 * static_cast<uintptr_t>(floats);
    } else {
      absent(location, 0, 0, 0, 1);
    }
  }
}

bool GlRenderer::prepareDraw(const RenderState& state, DWORD fvf) {
  cache_.apply(state, config_.height, depthBuffer_ != 0);
  fillDrawBlock(state, fvf, drawBlock_);
  drawBlock_.alphaTest[3] = fillLightBlock(state, lightBlock_);
  // Both blocks must live in the same storage: room for both, or both written afresh.
  if (uniforms_.reserve(2 * uniforms_.alignment + sizeof drawBlock_ + sizeof lightBlock_))
    blocksValid_ = false;
  if (!blocksValid_ || std::memcmp(&drawBlock_, &uploadedDraw_, sizeof drawBlock_) != 0) {
    const uint32_t at = uniforms_.write(&drawBlock_, sizeof drawBlock_);
    glBindBufferRange(GL_UNIFORM_BUFFER, kDrawBlockBinding, uniforms_.name, at, sizeof drawBlock_);
    uploadedDraw_ = drawBlock_;
  }
  if (!blocksValid_ || std::memcmp(&lightBlock_, &uploadedLights_, sizeof lightBlock_) != 0) {
    const uint32_t at = uniforms_.write(&lightBlock_, sizeof lightBlock_);
    glBindBufferRange(GL_UNIFORM_BUFFER, kLightBlockBinding, uniforms_.name, at, sizeof lightBlock_);
    uploadedLights_ = lightBlock_;
  }
  blocksValid_ = true;
  bindTextures(state, fvf);
  return true;
}

void GlRenderer::drawPrimitive(const RenderState& state, D3DPRIMITIVETYPE type, UINT startVertex,
                               UINT primitiveCount) {
  ++stats_.draws;
  const uint32_t count = vertexCount(type, primitiveCount);
  const uint32_t size = fvfVertexSize(state.fvf);
  if (count == 0 || size == 0 || state.stream == nullptr || state.streamStride < size || !ready()) return;
  const uint64_t end = (static_cast<uint64_t>(startVertex) + count - 1) * state.streamStride + size;
  if (end > state.stream->size) return;
  GlBuffer* vb = refreshBuffer(*state.stream, GL_ARRAY_BUFFER);
  prepareDraw(state, state.fvf);
  setLayout(state.fvf, state.streamStride, vb->name, 0);
  glDrawArrays(glPrimitive(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
}

void GlRenderer::drawIndexedPrimitive(const RenderState& state, D3DPRIMITIVETYPE type, UINT, UINT,
                                      UINT startIndex, UINT primitiveCount) {
  ++stats_.draws;
  const uint32_t count = vertexCount(type, primitiveCount);
  const uint32_t size = fvfVertexSize(state.fvf);
  const BufferView* ib = state.indices;
  if (count == 0 || size == 0 || state.stream == nullptr || ib == nullptr || state.streamStride < size ||
      !ready())
    return;
  const uint32_t indexSize = ib->format == D3DFMT_INDEX32 ? 4 : 2;
  if ((static_cast<uint64_t>(startIndex) + count) * indexSize > ib->size) return;
  GlBuffer* indexBuffer = refreshBuffer(*ib, GL_ELEMENT_ARRAY_BUFFER);
  // Every index drawn must fall inside the vertex buffer: GL would read past it otherwise.
  if (indexBuffer->memoChange != ib->key.changeCount || indexBuffer->memoStart != startIndex ||
      indexBuffer->memoCount != count) {
    uint32_t maxIndex = 0;
    const uint8_t* bytes =
        static_cast<const uint8_t*>(ib->bits) + static_cast<size_t>(startIndex) * indexSize;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t index;
      if (indexSize == 4) {
        std::memcpy(&index, bytes + 4 * i, 4);
      } else {
        uint16_t index16;
        std::memcpy(&index16, bytes + 2 * i, 2);
        index = index16;
      }
      if (index > maxIndex) maxIndex = index;
    }
    indexBuffer->memoChange = ib->key.changeCount;
    indexBuffer->memoStart = startIndex;
    indexBuffer->memoCount = count;
    indexBuffer->memoMax = maxIndex;
  }
  const uint64_t end =
      (static_cast<uint64_t>(state.baseVertexIndex) + indexBuffer->memoMax) * state.streamStride + size;
  if (end > state.stream->size) return;
  GlBuffer* vb = refreshBuffer(*state.stream, GL_ARRAY_BUFFER);
  prepareDraw(state, state.fvf);
  setLayout(state.fvf, state.streamStride, vb->name, 0);
  glDrawElementsBaseVertex(glPrimitive(type), static_cast<GLsizei>(count),
                           indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * indexSize),
                           static_cast<GLint>(state.baseVertexIndex));
}

void GlRenderer::drawPrimitiveUp(const RenderState& state, D3DPRIMITIVETYPE type, UINT primitiveCount,
                                 const void* vertices, UINT stride) {
  ++stats_.draws;
  const uint32_t count = vertexCount(type, primitiveCount);
  const uint32_t size = fvfVertexSize(state.fvf);
  if (count == 0 || size == 0 || vertices == nullptr || stride < size || !ready()) return;
  const uint64_t bytes = static_cast<uint64_t>(count - 1) * stride + size;
  if (bytes > 0x7FFFFFFF) return;
  const uint32_t at = vertices_.write(vertices, static_cast<uint32_t>(bytes));
  prepareDraw(state, state.fvf);
  setLayout(state.fvf, stride, vertices_.name, at);
  glDrawArrays(glPrimitive(type), 0, static_cast<GLsizei>(count));
}

void GlRenderer::drawIndexedPrimitiveUp(const RenderState& state, D3DPRIMITIVETYPE type, UINT minIndex,
                                        UINT numVertices, UINT primitiveCount, const void* indices,
                                        D3DFORMAT indexFormat, const void* vertices, UINT stride) {
  ++stats_.draws;
  const uint32_t count = vertexCount(type, primitiveCount);
  const uint32_t size = fvfVertexSize(state.fvf);
  if (count == 0 || size == 0 || indices == nullptr || vertices == nullptr || stride < size ||
      numVertices == 0 || !ready())
    return;
  const uint32_t indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
  const uint64_t end = static_cast<uint64_t>(minIndex) + numVertices;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t index;
    if (indexSize == 4) {
      std::memcpy(&index, static_cast<const uint8_t*>(indices) + 4 * static_cast<size_t>(i), 4);
    } else {
      uint16_t index16;
      std::memcpy(&index16, static_cast<const uint8_t*>(indices) + 2 * static_cast<size_t>(i), 2);
      index = index16;
    }
    if (index < minIndex || index >= end) return;
  }
  const uint64_t bytes = static_cast<uint64_t>(numVertices - 1) * stride + size;
  if (bytes > 0x7FFFFFFF || static_cast<uint64_t>(count) * indexSize > 0x7FFFFFFF) return;
  const uint8_t* first = static_cast<const uint8_t*>(vertices) + static_cast<size_t>(minIndex) * stride;
  const uint32_t vertexAt = vertices_.write(first, static_cast<uint32_t>(bytes));
  const uint32_t indexAt = indices_.write(indices, count * indexSize);
  prepareDraw(state, state.fvf);
  setLayout(state.fvf, stride, vertices_.name, vertexAt);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_.name);
  // The uploaded vertices start at minIndex, so the indices are taken relative to it.
  glDrawElementsBaseVertex(
      glPrimitive(type), static_cast<GLsizei>(count), indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
      reinterpret_cast<const void*>(static_cast<uintptr_t>(indexAt)), -static_cast<GLint>(minIndex));
}

void GlRenderer::clear(const RenderState& state, DWORD count, const D3DRECT* rects, DWORD flags,
                       D3DCOLOR color, float z, DWORD stencil) {
  ++stats_.clears;
  if (!ready()) return;
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    mask |= GL_COLOR_BUFFER_BIT;
    glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((color >> 8) & 0xFF) / 255.0f, static_cast<float>(color & 0xFF) / 255.0f,
                 static_cast<float>(color >> 24) / 255.0f);
  }
  if (depthBuffer_ != 0 && (flags & D3DCLEAR_ZBUFFER)) {
    mask |= GL_DEPTH_BUFFER_BIT;
    glClearDepth(z < 0.0f ? 0.0f : z > 1.0f ? 1.0f : z);
  }
  if (depthBuffer_ != 0 && (flags & D3DCLEAR_STENCIL)) {
    mask |= GL_STENCIL_BUFFER_BIT;
    glClearStencil(static_cast<GLint>(stencil & 0xFF));
  }
  if (mask == 0) return;
  // The cleared area is the viewport, cut down to each rectangle when rectangles are given.
  const D3DVIEWPORT8& vp = state.viewport;
  const int64_t vx1 = vp.X, vy1 = vp.Y;
  const int64_t vx2 = static_cast<int64_t>(vp.X) + vp.Width, vy2 = static_cast<int64_t>(vp.Y) + vp.Height;
  const int64_t height = config_.height;
  auto clearArea = [&](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    x1 = x1 > vx1 ? x1 : vx1;
    y1 = y1 > vy1 ? y1 : vy1;
    x2 = x2 < vx2 ? x2 : vx2;
    y2 = y2 < vy2 ? y2 : vy2;
    if (x1 >= x2 || y1 >= y2) return;
    cache_.prepareClear(static_cast<GLint>(x1), static_cast<GLint>(height - y2),
                        static_cast<GLsizei>(x2 - x1), static_cast<GLsizei>(y2 - y1));
    glClear(mask);
  };
  if (count == 0 || rects == nullptr) {
    clearArea(vx1, vy1, vx2, vy2);
  } else {
    for (DWORD i = 0; i < count; ++i) clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  cache_.invalidate();
}

void GlRenderer::present() {
  ++stats_.presents;
  if (!ready()) return;
  int windowWidth = 0, windowHeight = 0;
  if (!context_.windowSize(windowWidth, windowHeight)) {
    glFlush();
    return;
  }
  // Full screen keeps the back buffer's aspect with black bars; a window shows it stretched to
  // its drawable size, which is the back buffer's size unless the user resized it.
  int64_t dx = 0, dy = 0, dw = windowWidth, dh = windowHeight;
  if (config_.fullScreen) {
    const int64_t bw = config_.width, bh = config_.height;
    if (dw * bh > dh * bw) {
      dw = dh * bw / bh;
      dx = (windowWidth - dw) / 2;
    } else {
      dh = dw * bh / bw;
      dy = (windowHeight - dh) / 2;
    }
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  cache_.disableScissor();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBlitFramebuffer(0, 0, static_cast<GLint>(config_.width), static_cast<GLint>(config_.height),
                    static_cast<GLint>(dx), static_cast<GLint>(dy), static_cast<GLint>(dx + dw),
                    static_cast<GLint>(dy + dh), GL_COLOR_BUFFER_BIT, GL_LINEAR);
  context_.swap();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  cache_.invalidate();
}

bool GlRenderer::readBackBuffer(void* bits, uint32_t pitch) {
  if (!ready()) return false;
  const uint32_t w = config_.width, h = config_.height;
  scratch_.resize(static_cast<size_t>(w) * h * 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               scratch_.data());
  const D3DFORMAT format = config_.backBufferFormat;
  for (uint32_t y = 0; y < h; ++y) {
    // GL rows come bottom first.
    const uint8_t* src = scratch_.data() + static_cast<size_t>(h - 1 - y) * w * 4;
    uint8_t* dst = static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * pitch;
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
      std::memcpy(dst, src, static_cast<size_t>(w) * 4);
      continue;
    }
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t b = src[4 * x], g = src[4 * x + 1], r = src[4 * x + 2], a = src[4 * x + 3];
      uint16_t v;
      if (format == D3DFMT_R5G6B5)
        v = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
      else
        v = static_cast<uint16_t>(((a >= 128 || format == D3DFMT_X1R5G5B5) ? 0x8000 : 0) | ((r >> 3) << 10) |
                                  ((g >> 3) << 5) | (b >> 3));
      std::memcpy(dst + 2 * x, &v, 2);
    }
  }
  return true;
}

void GlRenderer::forget(uint64_t id) {
  if (phase_ != Phase::Ready) return;
  context_.makeCurrent();
  auto buffer = buffers_.find(id);
  if (buffer != buffers_.end()) {
    if (layout_.buffer == buffer->second.name) layout_.fvf = ~0u;
    glDeleteBuffers(1, &buffer->second.name);
    buffers_.erase(buffer);
  }
  auto texture = textures_.find(id);
  if (texture != textures_.end()) {
    for (GLuint& bound : boundTextures_)
      if (bound == texture->second.name) bound = 0;
    glDeleteTextures(1, &texture->second.name);
    textures_.erase(texture);
  }
}

}  // namespace

std::unique_ptr<Renderer> makeGlRenderer(const RendererConfig& config) {
  return std::make_unique<GlRenderer>(config);
}

}  // namespace zentu
