// The device profiles: what a device reports about itself. "default" describes a capable card
// whose texture formats are exactly those the OpenGL 3.3 renderer samples directly; the others
// each take one capability away (or change the adapter identity) so callers' fallbacks can be
// tested.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/d3d8/diagnostics.h"
#include "platform/d3d8/format_layout.h"
#include "platform/d3d8/gl/renderer.h"

namespace zentu {
namespace {

D3DCAPS8 defaultCaps() {
  D3DCAPS8 c{};
  c.DeviceType = D3DDEVTYPE_HAL;
  c.AdapterOrdinal = 0;
  c.Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES | D3DCAPS2_FULLSCREENGAMMA;
  c.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  c.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
              D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
              D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX |
              D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
  c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                        D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
  c.RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX |
                 D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_ZBIAS |
                 D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_ANISOTROPY | D3DPRASTERCAPS_ZFOG;
  const DWORD cmp = 0xFF;  // all eight comparisons
  c.ZCmpCaps = cmp;
  c.AlphaCmpCaps = cmp;
  c.SrcBlendCaps = 0x1FFF;
  c.DestBlendCaps = 0x1FFF;
  c.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
  c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_PROJECTED |
                  D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_VOLUMEMAP | D3DPTEXTURECAPS_MIPMAP |
                  D3DPTEXTURECAPS_MIPVOLUMEMAP | D3DPTEXTURECAPS_MIPCUBEMAP;
  const DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                        D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MIPFPOINT |
                        D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR |
                        D3DPTFILTERCAPS_MAGFANISOTROPIC;
  c.TextureFilterCaps = filters;
  c.CubeTextureFilterCaps = filters;
  c.VolumeTextureFilterCaps = filters;
  const DWORD address = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                        D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV |
                        D3DPTADDRESSCAPS_MIRRORONCE;
  c.TextureAddressCaps = address;
  c.VolumeTextureAddressCaps = address;
  c.LineCaps =
      D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP | D3DLINECAPS_FOG;
  c.MaxTextureWidth = 4096;
  c.MaxTextureHeight = 4096;
  c.MaxVolumeExtent = 512;
  c.MaxTextureRepeat = 8192;
  c.MaxTextureAspectRatio = 4096;
  c.MaxAnisotropy = 16;
  c.MaxVertexW = 1e10f;
  c.GuardBandLeft = -8192.0f;
  c.GuardBandTop = -8192.0f;
  c.GuardBandRight = 8192.0f;
  c.GuardBandBottom = 8192.0f;
  c.StencilCaps = 0xFF;
  c.FVFCaps = 8;  // texture coordinate sets
  c.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                    D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
                    D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_ADDSIGNED2X |
                    D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_ADDSMOOTH | D3DTEXOPCAPS_BLENDDIFFUSEALPHA |
                    D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA |
                    D3DTEXOPCAPS_BLENDCURRENTALPHA | D3DTEXOPCAPS_DOTPRODUCT3;
  c.MaxTextureBlendStages = 8;
  c.MaxSimultaneousTextures = 8;
  c.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                           D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
  c.MaxActiveLights = 8;
  c.MaxUserClipPlanes = 6;
  c.MaxVertexBlendMatrices = 4;
  c.MaxVertexBlendMatrixIndex = 0;
  c.MaxPointSize = 64.0f;
  c.MaxPrimitiveCount = 0xFFFFFF;
  c.MaxVertexIndex = 0xFFFFFF;
  c.MaxStreams = 16;
  c.MaxStreamStride = 255;
  c.VertexShaderVersion = D3DVS_VERSION(0, 0);  // fixed function only
  c.MaxVertexShaderConst = 0;
  c.PixelShaderVersion = D3DPS_VERSION(0, 0);
  c.MaxPixelShaderValue = 1.0f;
  return c;
}

// Texture formats: exactly those the renderer samples (rendererSamplesFormat), so what a
// device accepts is what it draws. Volume textures take no DXT: the block formats are
// two-dimensional in OpenGL.
bool isBlockFormat(D3DFORMAT f) {
  const FormatLayout* l = findFormatLayout(f);
  return l && l->blockWidth == 4;
}

std::vector<D3DFORMAT> sampledFormats(bool blocks) {
  static const D3DFORMAT kCandidates[] = {
      D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,    D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,    D3DFMT_R3G3B2,   D3DFMT_A8,        D3DFMT_A8R3G3B2,
      D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_G16R16,   D3DFMT_A8P8,      D3DFMT_P8,
      D3DFMT_L8,       D3DFMT_A8L8,        D3DFMT_A4L4,     D3DFMT_V8U8,      D3DFMT_L6V5U5,
      D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8,    D3DFMT_V16U16,   D3DFMT_W11V11U10, D3DFMT_A2W10V10U10,
      D3DFMT_UYVY,     D3DFMT_YUY2,        D3DFMT_DXT1,     D3DFMT_DXT2,      D3DFMT_DXT3,
      D3DFMT_DXT4,     D3DFMT_DXT5};
  std::vector<D3DFORMAT> v;
  for (D3DFORMAT f : kCandidates) {
    if (rendererSamplesFormat(f) && (blocks || !isBlockFormat(f))) v.push_back(f);
  }
  return v;
}

DeviceProfile makeDefault() {
  DeviceProfile p;
  p.name = "default";
  p.caps = defaultCaps();
  p.vendorId = 0x7A75;
  p.deviceId = 0x0001;
  p.displayFormat = D3DFMT_X8R8G8B8;
  p.textureFormats = sampledFormats(true);
  p.volumeFormats = sampledFormats(false);
  p.renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
  p.depthStencilFormats = {D3DFMT_D16_LOCKABLE, D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
  p.index32 = true;
  p.vertexCache = VertexCacheAnswer::kRecord;
  p.vertexCacheRecord = {MAKEFOURCC('C', 'A', 'C', 'H'), 1, 24, 8};
  return p;
}

std::vector<DeviceProfile> makeProfiles() {
  std::vector<DeviceProfile> v;
  v.push_back(makeDefault());
  auto variant = [&](std::string_view name) -> DeviceProfile& {
    v.push_back(makeDefault());
    v.back().name = name;
    return v.back();
  };
  variant("pow2").caps.TextureCaps |=
      D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_CUBEMAP_POW2 | D3DPTEXTURECAPS_VOLUMEMAP_POW2;
  variant("square").caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  variant("nomip").caps.TextureCaps &=
      ~static_cast<DWORD>(D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_MIPVOLUMEMAP);
  // Any size, but a size that is not a power of two takes a single level.
  variant("nonpow2cond").caps.TextureCaps |= D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
  variant("nodxt").textureFormats = sampledFormats(false);
  {
    DeviceProfile& p = variant("index16");
    p.caps.MaxVertexIndex = 0xFFFF;
    p.index32 = false;
  }
  variant("novcache").vertexCache = VertexCacheAnswer::kSFalse;
  {
    DeviceProfile& p = variant("vendor1002");
    p.vendorId = 0x1002;
    p.deviceId = 0x5145;
    p.vertexCache = VertexCacheAnswer::kFail;
  }
  return v;
}

struct Selection {
  bool overridden = false;
  std::string name;
};

Selection& selection() {
  static Selection s;
  return s;
}

const DeviceProfile& byNameOrDefault(std::string_view name, const char* origin) {
  if (const DeviceProfile* p = findDeviceProfile(name)) return *p;
  // Say it once per unknown name, so a loop creating devices does not flood stderr.
  static std::set<std::string> told;
  if (told.insert(std::string(name)).second) {
    std::string known;
    for (const DeviceProfile& p : deviceProfiles()) {
      if (!known.empty()) known += ", ";
      known += p.name;
    }
    std::fprintf(stderr,
                 "zentu d3d8: unknown device profile \"%.*s\" (%s); using \"default\". Known profiles: %s\n",
                 static_cast<int>(name.size()), name.data(), origin, known.c_str());
  }
  return deviceProfiles().front();
}

}  // namespace

const std::vector<DeviceProfile>& deviceProfiles() {
  static const std::vector<DeviceProfile> profiles = makeProfiles();
  return profiles;
}

const DeviceProfile* findDeviceProfile(std::string_view name) {
  for (const DeviceProfile& p : deviceProfiles())
    if (p.name == name) return &p;
  return nullptr;
}

bool selectDeviceProfile(std::string_view name) {
  Selection& s = selection();
  if (name.empty()) {
    s.overridden = false;
    s.name.clear();
    return true;
  }
  s.overridden = true;
  s.name = std::string(name);
  if (findDeviceProfile(name)) return true;
  byNameOrDefault(name, "selected by the program");
  s.name = "default";
  return false;
}

const DeviceProfile& selectedDeviceProfile() {
  const Selection& s = selection();
  if (s.overridden) return byNameOrDefault(s.name, "selected by the program");
  const char* env = std::getenv("ZENTU_D3D_PROFILE");
  if (!env || !*env) return deviceProfiles().front();
  return byNameOrDefault(env, "from ZENTU_D3D_PROFILE");
}

ScopedDeviceProfile::ScopedDeviceProfile(std::string_view name)
    : previous_(selection().overridden ? selection().name : std::string()) {
  selectDeviceProfile(name);
}

ScopedDeviceProfile::~ScopedDeviceProfile() {
  selectDeviceProfile(previous_);
}

}  // namespace zentu
