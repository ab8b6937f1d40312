// Render-state translation for the GL renderer. Matrices stay row-major and are uploaded as they
// are; the shader's `M * v` on them is the device's row-vector product v × M.
#include "platform/d3d8/gl/gl_state.h"

#include <cmath>
#include <cstring>

namespace zentu {
namespace {

float asFloat(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void colorOf(D3DCOLOR c, float* out) {
  out[0] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
  out[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>(c & 0xFF) / 255.0f;
  out[3] = static_cast<float>(c >> 24) / 255.0f;
}

void copyColor(const D3DCOLORVALUE& c, float* out) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

// Inverse transpose of the upper 3×3 (the cofactors over the determinant), as a 4×4.
void normalMatrix(const float* m, float* out) {
  const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
  const float c00 = e * i - f * h, c01 = f * g - d * i, c02 = d * h - e * g;
  const float c10 = c * h - b * i, c11 = a * i - c * g, c12 = b * g - a * h;
  const float c20 = b * f - c * e, c21 = c * d - a * f, c22 = a * e - b * d;
  const float det = a * c00 + b * c01 + c * c02;
  const float s = det != 0.0f ? 1.0f / det : 0.0f;
  const float r[16] = {c00 * s, c01 * s, c02 * s, 0, c10 * s, c11 * s, c12 * s, 0,
                       c20 * s, c21 * s, c22 * s, 0, 0,       0,       0,       1};
  std::memcpy(out, r, sizeof r);
}

int32_t materialSource(const RenderState& state, D3DRENDERSTATETYPE which, DWORD fvf) {
  if (!state.renderStates[D3DRS_COLORVERTEX]) return kSourceMaterial;
  const DWORD source = state.renderStates[which];
  if (source == D3DMCS_COLOR1 && (fvf & D3DFVF_DIFFUSE)) return kSourceDiffuse;
  if (source == D3DMCS_COLOR2 && (fvf & D3DFVF_SPECULAR)) return kSourceSpecular;
  return kSourceMaterial;
}

int32_t fogMode(DWORD mode) {
  return mode <= D3DFOG_LINEAR ? static_cast<int32_t>(mode) : 0;
}

GLenum compareFunc(DWORD func) {
  return func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? GL_NEVER + (func - D3DCMP_NEVER) : GL_ALWAYS;
}

GLenum stencilOp(DWORD op) {
  switch (op) {
    case D3DSTENCILOP_ZERO:
      return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
      return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
      return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
      return GL_DECR;
    case D3DSTENCILOP_INVERT:
      return GL_INVERT;
    case D3DSTENCILOP_INCR:
      return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
      return GL_DECR_WRAP;
    default:
      return GL_KEEP;
  }
}

GLenum blendFactor(DWORD factor) {
  switch (factor) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLenum blendOp(DWORD op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT:
      return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
      return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
      return GL_MIN;
    case D3DBLENDOP_MAX:
      return GL_MAX;
    default:
      return GL_FUNC_ADD;
  }
}

void enable(GLenum cap, bool on) {
  on ? glEnable(cap) : glDisable(cap);
}

}  // namespace

void multiply(const float* a, const float* b, float* out) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out[r * 4 + c] =
          a[r * 4] * b[c] + a[r * 4 + 1] * b[4 + c] + a[r * 4 + 2] * b[8 + c] + a[r * 4 + 3] * b[12 + c];
}

void fillDrawBlock(const RenderState& state, DWORD fvf, DrawBlock& block) {
  const DWORD* rs = state.renderStates;
  multiply(&state.world.m[0][0], &state.view.m[0][0], block.worldView);
  std::memcpy(block.projection, &state.projection.m[0][0], sizeof block.projection);
  normalMatrix(block.worldView, block.normalMatrix);
  copyColor(state.material.Diffuse, block.matDiffuse);
  copyColor(state.material.Ambient, block.matAmbient);
  copyColor(state.material.Specular, block.matSpecular);
  copyColor(state.material.Emissive, block.matEmissive);
  colorOf(rs[D3DRS_AMBIENT], block.globalAmbient);
  colorOf(rs[D3DRS_TEXTUREFACTOR], block.textureFactor);
  colorOf(rs[D3DRS_FOGCOLOR], block.fogColor);
  block.fogParams[0] = asFloat(rs[D3DRS_FOGSTART]);
  block.fogParams[1] = asFloat(rs[D3DRS_FOGEND]);
  block.fogParams[2] = asFloat(rs[D3DRS_FOGDENSITY]);
  block.fogParams[3] = state.material.Power;
  const D3DVIEWPORT8& vp = state.viewport;
  const float vpWidth = vp.Width > 0 ? static_cast<float>(vp.Width) : 1.0f;
  const float vpHeight = vp.Height > 0 ? static_cast<float>(vp.Height) : 1.0f;
  block.viewport[0] = static_cast<float>(vp.X);
  block.viewport[1] = static_cast<float>(vp.Y);
  block.viewport[2] = vpWidth;
  block.viewport[3] = vpHeight;
  // The device samples pixels at their integer coordinates, GL at their centres: move the
  // geometry half a pixel right and down so that both cover the same pixels.
  block.pixelCentre[0] = 1.0f / vpWidth;
  block.pixelCentre[1] = -1.0f / vpHeight;
  block.pixelCentre[2] = block.pixelCentre[3] = 0.0f;
  block.pointParams[0] = asFloat(rs[D3DRS_POINTSIZE]);
  block.pointParams[1] = asFloat(rs[D3DRS_POINTSIZE_MIN]);
  block.pointParams[2] = asFloat(rs[D3DRS_POINTSIZE_MAX]);
  block.pointParams[3] = 0.0f;
  const bool transformed = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  block.lighting[0] = rs[D3DRS_LIGHTING] != 0;
  block.lighting[1] = rs[D3DRS_NORMALIZENORMALS] != 0;
  block.lighting[2] = rs[D3DRS_SPECULARENABLE] != 0;
  block.lighting[3] = rs[D3DRS_LOCALVIEWER] != 0;
  block.sources[0] = materialSource(state, D3DRS_DIFFUSEMATERIALSOURCE, fvf);
  block.sources[1] = materialSource(state, D3DRS_AMBIENTMATERIALSOURCE, fvf);
  block.sources[2] = materialSource(state, D3DRS_SPECULARMATERIALSOURCE, fvf);
  block.sources[3] = materialSource(state, D3DRS_EMISSIVEMATERIALSOURCE, fvf);
  block.fog[0] = rs[D3DRS_FOGENABLE] != 0;
  block.fog[1] = fogMode(rs[D3DRS_FOGTABLEMODE]);
  block.fog[2] = fogMode(rs[D3DRS_FOGVERTEXMODE]);
  block.fog[3] = rs[D3DRS_RANGEFOGENABLE] != 0;
  block.vertex[0] = (fvf & D3DFVF_NORMAL) != 0;
  block.vertex[1] = (fvf & D3DFVF_DIFFUSE) != 0;
  block.vertex[2] = (fvf & D3DFVF_SPECULAR) != 0;
  block.vertex[3] = transformed;
  const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (int s = 0; s < kRenderStages; ++s) {
    const DWORD* ts = state.stageStates[s];
    const DWORD set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    block.stageColor[s][0] = static_cast<int32_t>(ts[D3DTSS_COLOROP]);
    block.stageColor[s][1] = static_cast<int32_t>(ts[D3DTSS_COLORARG1] & 0x3F);
    block.stageColor[s][2] = static_cast<int32_t>(ts[D3DTSS_COLORARG2] & 0x3F);
    // A set the vertex does not carry reads as zero, which the last (unused) attribute gives.
    block.stageColor[s][3] = static_cast<int32_t>(set < sets ? set : 7);
    const DWORD generation = (ts[D3DTSS_TEXCOORDINDEX] >> 16) & 0xFFFF;
    block.texGen[s][0] = generation <= 3 ? static_cast<int32_t>(generation) : 0;
    static constexpr int32_t kFloats[4] = {2, 3, 4, 1};
    block.texGen[s][1] = set < sets ? kFloats[(fvf >> (16 + 2 * set)) & 3] : 4;
    const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS];
    const DWORD count = flags & 0xFF;
    block.texGen[s][2] = count <= D3DTTFF_COUNT4 ? static_cast<int32_t>(count) : 0;
    block.texGen[s][3] = (flags & D3DTTFF_PROJECTED) != 0;
    std::memcpy(block.textureMatrix[s], &state.textureTransforms[s].m[0][0], sizeof block.textureMatrix[s]);
    block.stageAlpha[s][0] = static_cast<int32_t>(ts[D3DTSS_ALPHAOP]);
    block.stageAlpha[s][1] = static_cast<int32_t>(ts[D3DTSS_ALPHAARG1] & 0x3F);
    block.stageAlpha[s][2] = static_cast<int32_t>(ts[D3DTSS_ALPHAARG2] & 0x3F);
    block.stageAlpha[s][3] = 0;
  }
  // Stage 1 never runs when stage 0 is off.
  if (block.stageColor[0][0] == D3DTOP_DISABLE) block.stageColor[1][0] = D3DTOP_DISABLE;
  block.alphaTest[0] = rs[D3DRS_ALPHATESTENABLE] ? static_cast<int32_t>(rs[D3DRS_ALPHAFUNC]) : 0;
  block.alphaTest[1] = static_cast<int32_t>(rs[D3DRS_ALPHAREF] & 0xFF);
  block.alphaTest[2] = (fvf & D3DFVF_PSIZE) != 0;
  block.shading[0] = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  block.shading[1] = block.shading[2] = block.shading[3] = 0;
}

int fillLightBlock(const RenderState& state, LightBlock& block) {
  const float* view = &state.view.m[0][0];
  int count = 0;
  for (int i = 0; i < kRenderLights; ++i) {
    if (!state.lightEnabled[i]) continue;
    const D3DLIGHT8& light = state.lights[i];
    LightBlockEntry& e = block.lights[count++];
    copyColor(light.Diffuse, e.diffuse);
    copyColor(light.Specular, e.specular);
    copyColor(light.Ambient, e.ambient);
    const D3DVECTOR& p = light.Position;
    const D3DVECTOR& d = light.Direction;
    for (int c = 0; c < 3; ++c) {
      e.position[c] = p.x * view[c] + p.y * view[4 + c] + p.z * view[8 + c] + view[12 + c];
      e.direction[c] = d.x * view[c] + d.y * view[4 + c] + d.z * view[8 + c];
    }
    e.position[3] = light.Range;
    e.direction[3] = static_cast<float>(light.Type);
    e.attenuation[0] = light.Attenuation0;
    e.attenuation[1] = light.Attenuation1;
    e.attenuation[2] = light.Attenuation2;
    e.attenuation[3] = light.Falloff;
    e.spot[0] = std::cos(light.Theta * 0.5f);
    e.spot[1] = std::cos(light.Phi * 0.5f);
    e.spot[2] = e.spot[3] = 0.0f;
  }
  for (int i = count; i < kRenderLights; ++i) std::memset(&block.lights[i], 0, sizeof block.lights[i]);
  return count;
}

void GlStateCache::apply(const RenderState& state, uint32_t targetHeight, bool hasStencil) {
  const DWORD* rs = state.renderStates;
  const bool force = !valid_;
  valid_ = true;

  const bool depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  if (force || depthTest != depthTest_) enable(GL_DEPTH_TEST, depthTest_ = depthTest);
  const bool depthWrite = rs[D3DRS_ZWRITEENABLE] != 0;
  if (force || depthWrite != depthWrite_) glDepthMask((depthWrite_ = depthWrite) ? GL_TRUE : GL_FALSE);
  const GLenum depthFunc = compareFunc(rs[D3DRS_ZFUNC]);
  if (force || depthFunc != depthFunc_) glDepthFunc(depthFunc_ = depthFunc);

  const bool stencil = hasStencil && rs[D3DRS_STENCILENABLE] != 0;
  if (force || stencil != stencil_) enable(GL_STENCIL_TEST, stencil_ = stencil);
  if (stencil) {
    const GLenum func = compareFunc(rs[D3DRS_STENCILFUNC]);
    const GLint ref = static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xFF);
    const GLuint mask = rs[D3DRS_STENCILMASK] & 0xFF;
    if (force || func != stencilFunc_ || ref != stencilRef_ || mask != stencilMask_)
      glStencilFunc(stencilFunc_ = func, stencilRef_ = ref, stencilMask_ = mask);
    const GLenum fail = stencilOp(rs[D3DRS_STENCILFAIL]);
    const GLenum zfail = stencilOp(rs[D3DRS_STENCILZFAIL]);
    const GLenum pass = stencilOp(rs[D3DRS_STENCILPASS]);
    if (force || fail != stencilFail_ || zfail != stencilZFail_ || pass != stencilPass_)
      glStencilOp(stencilFail_ = fail, stencilZFail_ = zfail, stencilPass_ = pass);
  }
  const GLuint writeMask = rs[D3DRS_STENCILWRITEMASK] & 0xFF;
  if (force || writeMask != stencilWriteMask_) glStencilMask(stencilWriteMask_ = writeMask);

  const bool blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
  if (force || blend != blend_) enable(GL_BLEND, blend_ = blend);
  if (blend) {
    GLenum src = blendFactor(rs[D3DRS_SRCBLEND]);
    GLenum dst = blendFactor(rs[D3DRS_DESTBLEND]);
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
      src = GL_SRC_ALPHA;
      dst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
      src = GL_ONE_MINUS_SRC_ALPHA;
      dst = GL_SRC_ALPHA;
    }
    if (force || src != blendSrc_ || dst != blendDst_) glBlendFunc(blendSrc_ = src, blendDst_ = dst);
    const GLenum op = blendOp(rs[D3DRS_BLENDOP]);
    if (force || op != blendOp_) glBlendEquation(blendOp_ = op);
  }

  // GL sees each triangle with the winding it has on screen (read-back flips the rows), so culling
  // counter-clockwise faces is a clockwise front with back faces culled.
  const DWORD cullMode = rs[D3DRS_CULLMODE];
  const bool cull = cullMode == D3DCULL_CW || cullMode == D3DCULL_CCW;
  if (force || cull != cull_) enable(GL_CULL_FACE, cull_ = cull);
  if (cull) {
    const GLenum front = cullMode == D3DCULL_CCW ? GL_CW : GL_CCW;
    if (force || front != frontFace_) glFrontFace(frontFace_ = front);
  }
  const DWORD fill = rs[D3DRS_FILLMODE];
  const GLenum polygonMode = fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL;
  if (force || polygonMode != polygonMode_) glPolygonMode(GL_FRONT_AND_BACK, polygonMode_ = polygonMode);

  const DWORD colorMask = rs[D3DRS_COLORWRITEENABLE] & 0xF;
  if (force || colorMask != colorMask_) {
    colorMask_ = colorMask;
    glColorMask(colorMask & 1 ? GL_TRUE : GL_FALSE, colorMask & 2 ? GL_TRUE : GL_FALSE,
                colorMask & 4 ? GL_TRUE : GL_FALSE, colorMask & 8 ? GL_TRUE : GL_FALSE);
  }

  const D3DVIEWPORT8& vp = state.viewport;
  const GLint viewport[4] = {static_cast<GLint>(vp.X),
                             static_cast<GLint>(targetHeight) - static_cast<GLint>(vp.Y + vp.Height),
                             static_cast<GLint>(vp.Width), static_cast<GLint>(vp.Height)};
  if (force || std::memcmp(viewport, viewport_, sizeof viewport) != 0) {
    std::memcpy(viewport_, viewport, sizeof viewport);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  }
  if (force || vp.MinZ != depthRange_[0] || vp.MaxZ != depthRange_[1]) {
    depthRange_[0] = vp.MinZ;
    depthRange_[1] = vp.MaxZ;
    glDepthRange(vp.MinZ, vp.MaxZ);
  }
  if (force || scissor_) disableScissor();
}

void GlStateCache::prepareClear(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (!scissor_) {
    glEnable(GL_SCISSOR_TEST);
    scissor_ = true;
  }
  const GLint box[4] = {x, y, width, height};
  if (std::memcmp(box, scissorBox_, sizeof box) != 0) {
    std::memcpy(scissorBox_, box, sizeof box);
    glScissor(x, y, width, height);
  }
  if (colorMask_ != 0xF) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    colorMask_ = 0xF;
  }
  if (!depthWrite_) {
    glDepthMask(GL_TRUE);
    depthWrite_ = true;
  }
  if (stencilWriteMask_ != 0xFF) {
    glStencilMask(0xFF);
    stencilWriteMask_ = 0xFF;
  }
}

void GlStateCache::disableScissor() {
  glDisable(GL_SCISSOR_TEST);
  scissor_ = false;
}

}  // namespace zentu
