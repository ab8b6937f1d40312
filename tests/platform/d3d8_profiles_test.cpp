// What each device profile changes: capabilities, adapter identity, CheckDeviceFormat, GetInfo,
// and the sizes and levels the device accepts.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/d3d8/device_control.h"
#include "platform/d3d8/gl/renderer.h"
#include "support/headless_device.h"

namespace {

using zentu::test::HeadlessDevice;

HRESULT check(HeadlessDevice& dev, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) {
  return dev.direct3D()->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, type, format);
}

HRESULT vertexCache(HeadlessDevice& dev, D3DDEVINFO_VCACHE* out) {
  *out = {};
  return dev->GetInfo(D3DDEVINFOID_VCACHE, out, sizeof *out);
}

TEST(D3d8Profiles, DefaultProfile) {
  HeadlessDevice dev;
  D3DCAPS8 caps;
  ASSERT_EQ(dev->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
  EXPECT_FALSE(caps.TextureCaps &
               (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY | D3DPTEXTURECAPS_NONPOW2CONDITIONAL));
  EXPECT_GT(caps.MaxVertexIndex, 0xFFFFu);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(dev->GetDisplayMode(&mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  D3DDEVINFO_VCACHE vc;
  ASSERT_EQ(vertexCache(dev, &vc), D3D_OK);
  EXPECT_EQ(vc.Pattern, static_cast<DWORD>(MAKEFOURCC('C', 'A', 'C', 'H')));
  EXPECT_EQ(vc.OptMethod, 1u);
  // The default texture formats are exactly those the renderer samples.
  for (D3DFORMAT f :
       {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_P8, D3DFMT_V8U8, D3DFMT_YUY2, D3DFMT_DXT3, D3DFMT_A4L4})
    EXPECT_EQ(check(dev, 0, D3DRTYPE_TEXTURE, f) == D3D_OK, zentu::rendererSamplesFormat(f)) << f;
  for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
                      D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A8, D3DFMT_DXT1, D3DFMT_DXT5})
    EXPECT_EQ(check(dev, 0, D3DRTYPE_TEXTURE, f), D3D_OK) << f;
  for (D3DFORMAT f : {D3DFMT_P8, D3DFMT_V8U8, D3DFMT_YUY2, D3DFMT_D24S8})
    EXPECT_EQ(check(dev, 0, D3DRTYPE_TEXTURE, f), D3DERR_NOTAVAILABLE) << f;
  EXPECT_EQ(check(dev, 0, D3DRTYPE_VOLUMETEXTURE, D3DFMT_DXT1), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(dev, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(check(dev, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), D3D_OK);
  EXPECT_EQ(check(dev, 0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX32), D3D_OK);
  EXPECT_EQ(dev.direct3D()->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                              D3DFMT_A8R8G8B8),
            D3DERR_INVALIDCALL);  // not a display format
}

TEST(D3d8Profiles, EachProfileChangesItsOneThing) {
  struct Case {
    const char* profile;
    DWORD textureCapsSet;
    DWORD textureCapsClear;
    bool dxt;
    bool index32;
    HRESULT vcache;
    DWORD vendor;
  };
  const Case cases[] = {
      {"pow2", D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_CUBEMAP_POW2, 0, true, true, D3D_OK, 0x7A75},
      {"square", D3DPTEXTURECAPS_SQUAREONLY, 0, true, true, D3D_OK, 0x7A75},
      {"nomip", 0, D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP, true, true, D3D_OK, 0x7A75},
      {"nonpow2cond", D3DPTEXTURECAPS_NONPOW2CONDITIONAL, D3DPTEXTURECAPS_POW2, true, true, D3D_OK, 0x7A75},
      {"nodxt", 0, 0, false, true, D3D_OK, 0x7A75},
      {"index16", 0, 0, true, false, D3D_OK, 0x7A75},
      {"novcache", 0, 0, true, true, S_FALSE, 0x7A75},
      {"vendor1002", 0, 0, true, true, D3DERR_NOTAVAILABLE, 0x1002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    HeadlessDevice dev(c.profile);
    ASSERT_TRUE(dev);
    D3DCAPS8 caps;
    ASSERT_EQ(dev->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.TextureCaps & c.textureCapsSet, c.textureCapsSet);
    EXPECT_EQ(caps.TextureCaps & c.textureCapsClear, 0u);
    EXPECT_EQ(check(dev, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT3), c.dxt ? D3D_OK : D3DERR_NOTAVAILABLE);
    EXPECT_EQ(check(dev, 0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX32), c.index32 ? D3D_OK : D3DERR_NOTAVAILABLE);
    EXPECT_EQ(caps.MaxVertexIndex <= 0xFFFF, !c.index32);
    D3DDEVINFO_VCACHE vc;
    EXPECT_EQ(vertexCache(dev, &vc), c.vcache);
    D3DADAPTER_IDENTIFIER8 id;
    ASSERT_EQ(dev.direct3D()->GetAdapterIdentifier(caps.AdapterOrdinal, D3DENUM_NO_WHQL_LEVEL, &id), D3D_OK);
    EXPECT_EQ(id.VendorId, c.vendor);
    if (c.vendor == 0x1002) {
      EXPECT_EQ(id.DeviceId, 0x5145u);
    }
  }
}

TEST(D3d8Profiles, CreationFollowsTheCapabilities) {
  struct Case {
    const char* profile;
    UINT w, h, levels;
    HRESULT expected;
    UINT levelsMade;
  };
  const Case cases[] = {
      {"default", 100, 50, 0, D3D_OK, 7},
      {"pow2", 100, 50, 1, D3DERR_INVALIDCALL, 0},
      {"pow2", 128, 64, 0, D3D_OK, 8},
      {"square", 256, 64, 1, D3DERR_INVALIDCALL, 0},
      {"square", 64, 64, 0, D3D_OK, 7},
      {"nomip", 64, 64, 0, D3D_OK, 1},
      {"nomip", 64, 64, 2, D3DERR_INVALIDCALL, 0},
      {"nonpow2cond", 100, 50, 0, D3D_OK, 1},
      {"nonpow2cond", 100, 50, 2, D3DERR_INVALIDCALL, 0},
      {"nonpow2cond", 128, 64, 0, D3D_OK, 8},
      {"default", 8192, 8, 1, D3DERR_INVALIDCALL, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + " " + std::to_string(c.w) + "x" + std::to_string(c.h));
    HeadlessDevice dev(c.profile);
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(dev->CreateTexture(c.w, c.h, c.levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), c.expected);
    if (t) {
      EXPECT_EQ(t->GetLevelCount(), c.levelsMade);
      t->Release();
    }
  }
}

TEST(D3d8Profiles, SelectionAndEnvironment) {
  EXPECT_NE(zentu::findDeviceProfile("vendor1002"), nullptr);
  EXPECT_EQ(zentu::findDeviceProfile("nonesuch"), nullptr);
  ::testing::internal::CaptureStderr();
  {
    zentu::ScopedDeviceProfile bad("nonesuch");
    EXPECT_EQ(zentu::selectedDeviceProfile().name, "default");
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("unknown device profile \"nonesuch\""), std::string::npos) << err;
  EXPECT_NE(err.find("using \"default\""), std::string::npos) << err;
  {
    zentu::ScopedDeviceProfile nomip("nomip");
    EXPECT_EQ(zentu::selectedDeviceProfile().name, "nomip");
    zentu::ScopedDeviceProfile pow2("pow2");
    EXPECT_EQ(zentu::selectedDeviceProfile().name, "pow2");
  }
  setenv("ZENTU_D3D_PROFILE", "square", 1);
  EXPECT_EQ(zentu::selectedDeviceProfile().name, "square");
  {
    zentu::ScopedDeviceProfile chosen("index16");  // the program's choice wins
    EXPECT_EQ(zentu::selectedDeviceProfile().name, "index16");
  }
  unsetenv("ZENTU_D3D_PROFILE");
  EXPECT_EQ(zentu::selectedDeviceProfile().name, "default");
}

}  // namespace
