// Translation of the device's stored state into what the GL renderer sets: the uniform blocks of
// the fixed-function program, and the GL pipeline state (depth, stencil, blend, cull, fill,
// colour mask, viewport), set only where it differs from what GL already has.
#ifndef ZENTU_PLATFORM_D3D8_GL_GL_STATE_H
#define ZENTU_PLATFORM_D3D8_GL_GL_STATE_H

#include <epoxy/gl.h>

#include "platform/d3d8/gl/gl_program.h"
#include "platform/d3d8/gl/renderer.h"

namespace zentu {

// Fills the per-draw block; `fvf` is the vertex format drawn.
void fillDrawBlock(const RenderState& state, DWORD fvf, DrawBlock& block);
// Fills the light block with the enabled lights in index order and returns how many there are.
int fillLightBlock(const RenderState& state, LightBlock& block);

// Row-vector product a × b of two row-major 4×4 matrices.
void multiply(const float* a, const float* b, float* out);

class GlStateCache {
 public:
  // Forgets what GL has, so that the next apply sets everything.
  void invalidate() { valid_ = false; }
  void apply(const RenderState& state, uint32_t targetHeight, bool hasStencil);
  // Clear needs every mask open and the scissor it asks for; apply() restores the rest.
  void prepareClear(GLint x, GLint y, GLsizei width, GLsizei height);
  void disableScissor();

 private:
  bool valid_ = false;
  bool depthTest_ = false, depthWrite_ = false, stencil_ = false, blend_ = false, cull_ = false,
       scissor_ = false;
  GLenum depthFunc_ = 0, frontFace_ = 0, polygonMode_ = 0;
  GLenum blendSrc_ = 0, blendDst_ = 0, blendOp_ = 0;
  GLenum stencilFunc_ = 0, stencilFail_ = 0, stencilZFail_ = 0, stencilPass_ = 0;
  GLint stencilRef_ = 0;
  GLuint stencilMask_ = 0, stencilWriteMask_ = 0;
  DWORD colorMask_ = 0;
  GLint viewport_[4] = {};
  float depthRange_[2] = {};
  GLint scissorBox_[4] = {};
};

}  // namespace zentu

#endif
