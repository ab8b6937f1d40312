// The loaders, mip filtering and the closest-format search on the headless graphics device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "d3dx/tex/format_table.h"
#include "platform/d3d8/device_control.h"
#include "support/headless_device.h"
#include "zentu/d3dx_tex.h"

namespace zentu {
namespace {

using test::HeadlessDevice;

TEST(DeviceLoad, ClosestFormatFollowsTheDeviceProfile) {
  HeadlessDevice dev;
  ASSERT_TRUE(dev);
  EXPECT_EQ(FindClosestDeviceFormat(dev.get(), 0, D3DRTYPE_TEXTURE, *GetPixelFormatInfo(D3DFMT_X8R8G8B8)),
            D3DFMT_X8R8G8B8);
  EXPECT_EQ(FindClosestDeviceFormat(dev.get(), 0, D3DRTYPE_TEXTURE, *GetPixelFormatInfo(D3DFMT_DXT1)),
            D3DFMT_DXT1);
  HeadlessDevice noDxt("nodxt");
  ASSERT_TRUE(noDxt);
  EXPECT_EQ(FindClosestDeviceFormat(noDxt.get(), 0, D3DRTYPE_TEXTURE, *GetPixelFormatInfo(D3DFMT_DXT1)),
            D3DFMT_A8R8G8B8);
}

// Formats the device refuses while the search probes them print nothing on the debug channel.
TEST(DeviceLoad, ProbingFormatsIsSilent) {
  HeadlessDevice dev("nodxt");
  ASSERT_TRUE(dev);
  std::vector<std::string> lines;
  setDebugOutputEnabled(true);
  setDebugSink([&](const std::string& line) { lines.push_back(line); });
  FindClosestDeviceFormat(dev.get(), 0, D3DRTYPE_TEXTURE, *GetPixelFormatInfo(D3DFMT_DXT5));
  const size_t duringSearch = lines.size();
  D3DCAPS8 caps = {};
  dev->GetDeviceCaps(&caps);
  dev.direct3D()->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, D3DFMT_X8R8G8B8, 0,
                                    D3DRTYPE_TEXTURE, D3DFMT_DXT5);
  const size_t afterDirectCall = lines.size();
  setDebugSink(nullptr);
  setDebugOutputEnabled(false);
  EXPECT_EQ(duringSearch, 0u);
  EXPECT_EQ(afterDirectCall, 1u) << "the channel itself works";
}

uint32_t readPixel(IDirect3DSurface8* s, UINT x, UINT y) {
  D3DLOCKED_RECT l = {};
  if (FAILED(s->LockRect(&l, nullptr, D3DLOCK_READONLY))) return 0xDEADBEEF;
  uint32_t v;
  std::memcpy(&v, static_cast<const BYTE*>(l.pBits) + y * l.Pitch + 4 * x, 4);
  s->UnlockRect();
  return v;
}

// A 16x16 R5G6B5 gradient loaded into a managed texture, its mips built with the default filter
// (box, as a chain): the last level holds the mean colour.
TEST(DeviceLoad, LoadAndFilterAManagedTexture) {
  HeadlessDevice dev;
  ASSERT_TRUE(dev);
  IDirect3DTexture8* tex = nullptr;
  ASSERT_EQ(dev->CreateTexture(16, 16, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
  std::vector<uint16_t> src(16 * 16);
  for (UINT y = 0; y < 16; ++y)
    for (UINT x = 0; x < 16; ++x)
      src[y * 16 + x] = static_cast<uint16_t>((x & 1 ? 31 : 0) << 11 | (y & 1 ? 63 : 0) << 5);
  IDirect3DSurface8* top = nullptr;
  ASSERT_EQ(tex->GetSurfaceLevel(0, &top), D3D_OK);
  const RECT whole = {0, 0, 16, 16};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(top, nullptr, nullptr, src.data(), D3DFMT_R5G6B5, 32, nullptr, &whole,
                                      D3DX_DEFAULT, 0),
            D3D_OK);
  EXPECT_EQ(readPixel(top, 1, 1), 0xFFFFFF00u);
  ASSERT_EQ(D3DXFilterTexture(tex, nullptr, 0, D3DX_DEFAULT), D3D_OK);
  IDirect3DSurface8* last = nullptr;
  ASSERT_EQ(tex->GetSurfaceLevel(4, &last), D3D_OK);
  EXPECT_EQ(readPixel(last, 0, 0), 0xFF808000u);  // (0 + 1 + 0 + 1) / 4 of red and of green
  last->Release();
  top->Release();
  tex->Release();
}

// A default-pool level goes through a staging surface; what was loaded reads back through a copy.
TEST(DeviceLoad, DefaultPoolLevelsLoadThroughStaging) {
  HeadlessDevice dev;
  ASSERT_TRUE(dev);
  IDirect3DTexture8* tex = nullptr;
  ASSERT_EQ(dev->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &tex), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(tex->GetSurfaceLevel(0, &level), D3D_OK);
  std::vector<uint32_t> src(64, 0xFF336699u);
  const RECT whole = {0, 0, 8, 8};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, src.data(), D3DFMT_A8R8G8B8, 32, nullptr,
                                      &whole, D3DX_FILTER_NONE, 0),
            D3D_OK);
  IDirect3DSurface8* copy = nullptr;
  ASSERT_EQ(dev->CreateImageSurface(8, 8, D3DFMT_X8R8G8B8, &copy), D3D_OK);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(copy, nullptr, nullptr, level, nullptr, nullptr, D3DX_FILTER_BOX, 0),
            D3D_OK);
  EXPECT_EQ(readPixel(copy, 7, 7) & 0xFFFFFF, 0x336699u);
  copy->Release();
  level->Release();
  tex->Release();
}

}  // namespace
}  // namespace zentu
