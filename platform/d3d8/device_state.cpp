// The documented defaults of every device state.
#include "platform/d3d8/device_state.h"

#include <cstring>

namespace zentu {
namespace {

DWORD floatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return d;
}

struct StateDefault {
  D3DRENDERSTATETYPE state;
  DWORD value;
};

const StateDefault kRenderDefaults[] = {
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_LINEPATTERN, 0},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_LASTPIXEL, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAREF, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_DITHERENABLE, FALSE},
    {D3DRS_ALPHABLENDENABLE, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_ZVISIBLE, 0},
    {D3DRS_FOGCOLOR, 0},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
    {D3DRS_EDGEANTIALIAS, FALSE},
    {D3DRS_ZBIAS, 0},
    {D3DRS_RANGEFOGENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_STENCILREF, 0},
    {D3DRS_STENCILMASK, 0xFFFFFFFF},
    {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_AMBIENT, 0},
    {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
    {D3DRS_COLORVERTEX, TRUE},
    {D3DRS_LOCALVIEWER, TRUE},
    {D3DRS_NORMALIZENORMALS, FALSE},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
    {D3DRS_CLIPPLANEENABLE, 0},
    {D3DRS_SOFTWAREVERTEXPROCESSING, FALSE},
    {D3DRS_POINTSPRITEENABLE, FALSE},
    {D3DRS_POINTSCALEENABLE, FALSE},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
    {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF},
    {D3DRS_PATCHEDGESTYLE, D3DPATCHEDGE_DISCRETE},
    {D3DRS_DEBUGMONITORTOKEN, D3DDMT_ENABLE},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xF},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_POSITIONORDER, D3DORDER_CUBIC},
    {D3DRS_NORMALORDER, D3DORDER_LINEAR},
};

struct FloatDefault {
  D3DRENDERSTATETYPE state;
  float value;
};

const FloatDefault kFloatDefaults[] = {
    {D3DRS_FOGSTART, 0.0f},       {D3DRS_FOGEND, 1.0f},        {D3DRS_FOGDENSITY, 1.0f},
    {D3DRS_POINTSIZE, 1.0f},      {D3DRS_POINTSIZE_MIN, 0.0f}, {D3DRS_POINTSCALE_A, 1.0f},
    {D3DRS_POINTSCALE_B, 0.0f},   {D3DRS_POINTSCALE_C, 0.0f},  {D3DRS_PATCHSEGMENTS, 1.0f},
    {D3DRS_POINTSIZE_MAX, 64.0f}, {D3DRS_TWEENFACTOR, 0.0f},
};

}  // namespace

D3DMATRIX identityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DLIGHT8 defaultLight() {
  D3DLIGHT8 l{};
  l.Type = D3DLIGHT_DIRECTIONAL;
  l.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  l.Direction = {0.0f, 0.0f, 1.0f};
  return l;
}

bool DeviceState::validRenderState(DWORD state) {
  if (state == D3DRS_ZENABLE) return true;
  for (const StateDefault& d : kRenderDefaults)
    if (static_cast<DWORD>(d.state) == state) return true;
  for (const FloatDefault& d : kFloatDefaults)
    if (static_cast<DWORD>(d.state) == state) return true;
  return state >= D3DRS_WRAP0 && state <= D3DRS_WRAP7;
}

void DeviceState::reset(bool depthBuffer, UINT width, UINT height) {
  const D3DMATRIX identity = identityMatrix();
  world.fill(identity);
  view = identity;
  projection = identity;
  textureTransform.fill(identity);
  renderStates.fill(0);
  renderStates[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
  for (const StateDefault& d : kRenderDefaults) renderStates[d.state] = d.value;
  for (const FloatDefault& d : kFloatDefaults) renderStates[d.state] = floatBits(d.value);
  for (DWORD s = 0; s < kTextureStages; ++s) {
    auto& t = stageStates[s];
    t.fill(0);
    t[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    t[D3DTSS_TEXCOORDINDEX] = s;
    t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    t[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    t[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    t[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    t[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    t[D3DTSS_MAXANISOTROPY] = 1;
    t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  material = D3DMATERIAL8{};
  lights.clear();
  viewport = {0, 0, width, height, 0.0f, 1.0f};
  for (auto& p : clipPlanes) p.fill(0.0f);
  clipStatus = {};
  vertexShader = 0;
  baseVertexIndex = 0;
  currentPalette = 0;
}

}  // namespace zentu
