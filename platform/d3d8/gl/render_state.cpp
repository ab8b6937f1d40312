// Device defaults of the drawing state, the vertex size of a flexible vertex format, and the
// renderer that draws nothing.
#include <cstring>

#include "platform/d3d8/gl/renderer.h"

namespace zentu {
namespace {

DWORD floatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void setIdentity(D3DMATRIX& m) {
  std::memset(&m, 0, sizeof m);
  m._11 = m._22 = m._33 = m._44 = 1.0f;
}

class NullRenderer final : public Renderer {
 public:
  void clear(const RenderState&, DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {
    ++stats_.clears;
  }
  void drawPrimitive(const RenderState&, D3DPRIMITIVETYPE, UINT, UINT) override { ++stats_.draws; }
  void drawIndexedPrimitive(const RenderState&, D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override {
    ++stats_.draws;
  }
  void drawPrimitiveUp(const RenderState&, D3DPRIMITIVETYPE, UINT, const void*, UINT) override {
    ++stats_.draws;
  }
  void drawIndexedPrimitiveUp(const RenderState&, D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                              const void*, UINT) override {
    ++stats_.draws;
  }
  void present() override { ++stats_.presents; }
  bool readBackBuffer(void*, uint32_t) override { return false; }
  void forget(uint64_t) override {}
  bool hasPixels() override { return false; }
  const RendererStats& stats() const override { return stats_; }

 private:
  RendererStats stats_;
};

}  // namespace

void resetRenderState(RenderState& state, uint32_t width, uint32_t height) {
  state = RenderState{};
  setIdentity(state.world);
  setIdentity(state.view);
  setIdentity(state.projection);
  for (D3DMATRIX& m : state.textureTransforms) setIdentity(m);
  DWORD* rs = state.renderStates;
  rs[D3DRS_ZENABLE] = D3DZB_TRUE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGSTART] = floatBits(0.0f);
  rs[D3DRS_FOGEND] = floatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = floatBits(1.0f);
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_POINTSIZE] = floatBits(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = floatBits(1.0f);
  rs[D3DRS_POINTSIZE_MAX] = floatBits(64.0f);
  rs[D3DRS_POINTSCALE_A] = floatBits(1.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
  rs[D3DRS_PATCHSEGMENTS] = floatBits(1.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  for (int stage = 0; stage < kRenderStages; ++stage) {
    DWORD* ts = state.stageStates[stage];
    ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(stage);
    ts[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    ts[D3DTSS_MAXANISOTROPY] = 1;
    ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  state.viewport = {0, 0, width, height, 0.0f, 1.0f};
}

uint32_t fvfVertexSize(DWORD fvf) {
  if ((fvf & D3DFVF_RESERVED0) != 0 || (fvf & D3DFVF_RESERVED2) != 0) return 0;
  uint32_t size = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0:
      return 0;  // nothing to place on screen
    case D3DFVF_XYZ:
      size = 12;
      break;
    case D3DFVF_XYZRHW:
      size = 16;
      break;
    default:
      size = 12 + 4 * (((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZRHW) / 2);
      break;  // blend weights
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > 8) return 0;
  for (DWORD i = 0; i < sets; ++i) {
    static constexpr uint32_t kFloats[4] = {2, 3, 4, 1};
    size += 4 * kFloats[(fvf >> (16 + 2 * i)) & 3];
  }
  return size;
}

std::unique_ptr<Renderer> makeNullRenderer(const RendererConfig&) {
  return std::make_unique<NullRenderer>();
}

}  // namespace zentu
