// Surface and volume loading and mip filtering on an in-memory device: staging, partial locks,
// the device-copy shortcut, chain rules and reference counts.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/blt/memory_device.h"
#include "zentu/d3dx_tex.h"

namespace zentu {
namespace {

using test::MemoryDevice;
using test::MemoryObject;
using test::MemorySurface;
using test::MemoryTexture;

class Load : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(MemoryObject::live, 0) << "an object leaked";
    EXPECT_EQ(device.refs, 1u) << "a device reference leaked";
  }
  MemoryDevice device;
};

uint32_t grey(uint32_t v) {
  return 0xFF000000u | v << 16 | v << 8 | v;
}

uint32_t pixel32(MemorySurface* s, UINT x, UINT y) {
  uint32_t v;
  std::memcpy(&v, s->row(y) + 4 * x, 4);
  return v;
}

void setPixel32(MemorySurface* s, UINT x, UINT y, uint32_t v) {
  std::memcpy(s->row(y) + 4 * x, &v, 4);
}

bool lockedReadOnly(const MemorySurface* s) {
  for (const auto& l : s->locks)
    if (l.flags & D3DLOCK_READONLY) return true;
  return false;
}

TEST_F(Load, FromMemoryValidatesItsArguments) {
  auto* s = new MemorySurface(&device, nullptr, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0, 4, 4);
  uint32_t src[16] = {};
  const RECT whole = {0, 0, 4, 4};
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, src, D3DFMT_A8R8G8B8, 16, nullptr, nullptr,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(nullptr, nullptr, nullptr, src, D3DFMT_A8R8G8B8, 16, nullptr, &whole,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  const RECT wide = {0, 0, 5, 4}, negative = {-1, 0, 2, 2};
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, &wide, src, D3DFMT_A8R8G8B8, 16, nullptr, &whole,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, &negative, src, D3DFMT_A8R8G8B8, 16, nullptr, &whole,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, src, D3DFMT_A8R8G8B8, 16, nullptr, &whole, 6, 0),
            D3DERR_INVALIDCALL);
  EXPECT_TRUE(s->locks.size() <= 1 && !s->locked);
  s->Release();
}

TEST_F(Load, FromMemoryConvertsIntoADestinationRectangle) {
  auto* s = new MemorySurface(&device, nullptr, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, 0, 4, 4);
  const uint32_t src[4] = {grey(10), grey(20), grey(30), grey(40)};
  const RECT from = {0, 0, 2, 2}, to = {1, 2, 3, 4};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, &to, src, D3DFMT_A8R8G8B8, 8, nullptr, &from,
                                      D3DX_FILTER_NONE, 0),
            D3D_OK);
  EXPECT_EQ(pixel32(s, 1, 2), grey(10) & 0xFFFFFF);
  EXPECT_EQ(pixel32(s, 2, 3), grey(40) & 0xFFFFFF);
  EXPECT_EQ(pixel32(s, 0, 2), 0u);
  ASSERT_EQ(s->locks.size(), 1u);
  EXPECT_FALSE(s->locks[0].whole);
  EXPECT_EQ(s->locks[0].flags, static_cast<DWORD>(D3DLOCK_NOSYSLOCK));
  s->Release();
}

TEST_F(Load, DefaultPoolTextureLevelsAreWrittenThroughStaging) {
  auto* tex = new MemoryTexture(&device, D3DRTYPE_TEXTURE, 4, 4, 1, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(tex->GetSurfaceLevel(0, &level), D3D_OK);
  const uint32_t src[16] = {grey(7), grey(7), grey(7), grey(7), grey(7), grey(7), grey(7), grey(7),
                            grey(7), grey(7), grey(7), grey(7), grey(7), grey(7), grey(7), grey(9)};
  const RECT whole = {0, 0, 4, 4};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, src, D3DFMT_A8R8G8B8, 16, nullptr, &whole,
                                      D3DX_FILTER_POINT, 0),
            D3D_OK);
  EXPECT_EQ(device.imageSurfacesCreated, 1);
  EXPECT_EQ(device.copyRectsCalls, 1) << "whole overwrite: no read-back, one write-back";
  EXPECT_TRUE(tex->surface(0)->locks.empty()) << "the surface itself is never locked";
  EXPECT_EQ(pixel32(tex->surface(0), 3, 3), grey(9));
  level->Release();
  tex->Release();
}

// A staged source is read back once and never written; a staged partial destination is read back
// first so that the pixels outside the rectangle survive the write-back.
TEST_F(Load, StagingReadsBackWhatItDoesNotOverwrite) {
  auto* tex = new MemoryTexture(&device, D3DRTYPE_TEXTURE, 2, 2, 1, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto* plain = new MemorySurface(&device, nullptr, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0, 2, 2);
  setPixel32(tex->surface(0), 0, 0, grey(40));
  setPixel32(tex->surface(0), 1, 1, grey(90));
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(plain, nullptr, nullptr, tex->surface(0), nullptr, nullptr,
                                       D3DX_FILTER_BOX, 0),
            D3D_OK);
  EXPECT_EQ(device.copyRectsCalls, 1) << "read into staging, nothing written back";
  EXPECT_EQ(pixel32(plain, 1, 1), grey(90));

  const uint32_t one = grey(200);
  const RECT src = {0, 0, 1, 1}, dst = {1, 0, 2, 1};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(tex->surface(0), nullptr, &dst, &one, D3DFMT_A8R8G8B8, 4, nullptr, &src,
                                      D3DX_FILTER_NONE, 0),
            D3D_OK);
  EXPECT_EQ(device.copyRectsCalls, 3) << "read back, then written back";
  EXPECT_EQ(pixel32(tex->surface(0), 1, 0), grey(200));
  EXPECT_EQ(pixel32(tex->surface(0), 0, 0), grey(40));
  EXPECT_EQ(pixel32(tex->surface(0), 1, 1), grey(90));
  plain->Release();
  tex->Release();
}

// A dynamic single-level texture overwritten whole may be discarded; with more levels it may not.
TEST_F(Load, DiscardOnlyWholeDynamicSingleLevelTextures) {
  for (UINT levels : {1u, 2u}) {
    auto* tex = new MemoryTexture(&device, D3DRTYPE_TEXTURE, 2, 2, 1, levels, D3DFMT_A8R8G8B8,
                                  D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    const uint32_t src[4] = {};
    const RECT whole = {0, 0, 2, 2}, part = {0, 0, 1, 1};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(tex->surface(0), nullptr, nullptr, src, D3DFMT_A8R8G8B8, 8, nullptr,
                                        &whole, D3DX_FILTER_NONE, 0),
              D3D_OK);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(tex->surface(0), nullptr, &part, src, D3DFMT_A8R8G8B8, 8, nullptr,
                                        &part, D3DX_FILTER_NONE, 0),
              D3D_OK);
    const auto& locks = tex->surface(0)->locks;
    ASSERT_EQ(locks.size(), 2u) << "dynamic surfaces are locked directly";
    EXPECT_EQ((locks[0].flags & D3DLOCK_DISCARD) != 0, levels == 1);
    EXPECT_EQ(locks[1].flags & D3DLOCK_DISCARD, 0u);
    EXPECT_EQ(tex->refs(), 1u);
    tex->Release();
  }
}

TEST_F(Load, PartialLocksWidenToDxtBlocksAndYuvPairs) {
  auto* dxt = new MemorySurface(&device, nullptr, D3DFMT_DXT1, D3DPOOL_MANAGED, 0, 8, 8);
  uint32_t src[4] = {};
  const RECT from = {0, 0, 2, 2}, to = {1, 1, 3, 3};
  // No block codec yet: the lock happens, the blit answers unsupported.
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(dxt, nullptr, &to, src, D3DFMT_A8R8G8B8, 8, nullptr, &from,
                                      D3DX_FILTER_NONE, 0),
            E_FAIL);
  ASSERT_EQ(dxt->locks.size(), 1u);
  EXPECT_FALSE(dxt->locks[0].whole);
  EXPECT_EQ(dxt->locks[0].rect.left, 0);
  EXPECT_EQ(dxt->locks[0].rect.top, 0);
  EXPECT_EQ(dxt->locks[0].rect.right, 4);
  EXPECT_EQ(dxt->locks[0].rect.bottom, 4);
  dxt->Release();

  auto* yuv = new MemorySurface(&device, nullptr, D3DFMT_YUY2, D3DPOOL_MANAGED, 0, 6, 1);
  const BYTE before[12] = {50, 128, 60, 128, 70, 128, 80, 128, 90, 128, 95, 128};
  std::memcpy(yuv->row(0), before, 12);
  const uint32_t white[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  const RECT two = {0, 0, 2, 1}, mid = {1, 0, 3, 1};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(yuv, nullptr, &mid, white, D3DFMT_A8R8G8B8, 8, nullptr, &two,
                                      D3DX_FILTER_NONE, 0),
            D3D_OK);
  ASSERT_EQ(yuv->locks.size(), 1u);
  EXPECT_EQ(yuv->locks[0].rect.left, 0);
  EXPECT_EQ(yuv->locks[0].rect.right, 4);
  EXPECT_EQ(yuv->row(0)[0], 50) << "pixel 0 kept";
  EXPECT_EQ(yuv->row(0)[2], 235) << "pixel 1 white";
  EXPECT_EQ(yuv->row(0)[4], 235) << "pixel 2 white";
  EXPECT_EQ(std::memcmp(yuv->row(0) + 8, before + 8, 4), 0) << "the pair outside untouched";
  yuv->Release();
}

TEST_F(Load, SurfaceToSurfaceUsesTheDeviceCopyWhenItCan) {
  auto* a = new MemorySurface(&device, nullptr, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0, 4, 4);
  auto* b = new MemorySurface(&device, nullptr, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0, 4, 4);
  setPixel32(a, 1, 1, grey(77));
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(b, nullptr, nullptr, a, nullptr, nullptr, D3DX_DEFAULT, 0), D3D_OK);
  EXPECT_EQ(device.copyRectsCalledWithRects, 1);
  EXPECT_TRUE(a->locks.empty() && b->locks.empty()) << "no pixel conversion";
  EXPECT_EQ(pixel32(b, 1, 1), grey(77));

  for (auto [filter, key] :
       {std::pair{DWORD{D3DX_FILTER_BOX}, D3DCOLOR{0}}, {D3DX_FILTER_POINT, 0xFF123456}}) {
    device.copyRectsCalledWithRects = 0;
    a->locks.clear();
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(b, nullptr, nullptr, a, nullptr, nullptr, filter, key), D3D_OK);
    EXPECT_EQ(device.copyRectsCalledWithRects, 0);
    EXPECT_TRUE(lockedReadOnly(a));
  }
  // A device that refuses the copy: the blitter does it.
  device.copyRectsFails = true;
  setPixel32(a, 2, 2, grey(5));
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(b, nullptr, nullptr, a, nullptr, nullptr, D3DX_FILTER_POINT, 0),
            D3D_OK);
  EXPECT_EQ(pixel32(b, 2, 2), grey(5));
  a->Release();
  b->Release();
}

TEST_F(Load, ASurfaceLoadedOntoItselfReadsAPrivateCopy) {
  auto* s = new MemorySurface(&device, nullptr, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0, 4, 1);
  for (UINT x = 0; x < 4; ++x) setPixel32(s, x, 0, grey(10 * (x + 1)));
  const RECT from = {0, 0, 3, 1}, to = {1, 0, 4, 1};
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(s, nullptr, &to, s, nullptr, &from, D3DX_FILTER_BOX, 0), D3D_OK);
  EXPECT_EQ(device.imageSurfacesCreated, 1);
  EXPECT_EQ(pixel32(s, 1, 0), grey(10));
  EXPECT_EQ(pixel32(s, 2, 0), grey(20)) << "read before the shift, not after";
  EXPECT_EQ(pixel32(s, 3, 0), grey(30));
  s->Release();
}

TEST_F(Load, FilterTextureChainRules) {
  // Powers of two with the default filter: box, each level from the one above.
  auto* pow2 = new MemoryTexture(&device, D3DRTYPE_TEXTURE, 8, 8, 1, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x) setPixel32(pow2->surface(0), x, y, grey(x * 30));
  ASSERT_EQ(D3DXFilterTexture(pow2->base(), nullptr, 0, D3DX_DEFAULT), D3D_OK);
  EXPECT_TRUE(lockedReadOnly(pow2->surface(1)));
  EXPECT_TRUE(lockedReadOnly(pow2->surface(2)));
  EXPECT_EQ(pixel32(pow2->surface(1), 0, 0), grey(15));
  EXPECT_EQ(pixel32(pow2->surface(3), 0, 0), grey(105));
  pow2->Release();

  // Other sizes: triangle with dither, every level straight from the source level.
  auto* odd = new MemoryTexture(&device, D3DRTYPE_TEXTURE, 10, 6, 1, 3, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ASSERT_EQ(D3DXFilterTexture(odd->base(), nullptr, D3DX_DEFAULT, D3DX_DEFAULT), D3D_OK);
  EXPECT_EQ(odd->surface(0)->locks.size(), 2u);
  EXPECT_FALSE(lockedReadOnly(odd->surface(1)));
  odd->Release();
}

TEST_F(Load, FilterTextureSourceLevelBounds) {
  auto* tex = new MemoryTexture(&device, D3DRTYPE_TEXTURE, 4, 4, 1, 3, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  setPixel32(tex->surface(2), 0, 0, 0x12345678);
  EXPECT_EQ(D3DXFilterTexture(tex->base(), nullptr, 2, D3DX_DEFAULT), D3D_OK);
  EXPECT_EQ(pixel32(tex->surface(2), 0, 0), 0x12345678u);
  EXPECT_EQ(D3DXFilterTexture(tex->base(), nullptr, 3, D3DX_DEFAULT), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_DEFAULT), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXFilterTexture(tex->base(), nullptr, 0, 7), D3DERR_INVALIDCALL);
  EXPECT_EQ(tex->refs(), 1u);
  tex->Release();
}

// Linear from 2x2 to 1x1 samples position -0.5: wrapping would mix in the right column, mirroring
// takes the left one alone. Cube faces must never wrap.
TEST_F(Load, CubeFacesAreFilteredWithMirrorForced) {
  auto* cube = new MemoryTexture(&device, D3DRTYPE_CUBETEXTURE, 2, 2, 1, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  for (UINT f = 0; f < 6; ++f)
    for (UINT y = 0; y < 2; ++y) {
      setPixel32(cube->surface(0, f), 0, y, grey(f * 10));
      setPixel32(cube->surface(0, f), 1, y, grey(250));
    }
  ASSERT_EQ(D3DXFilterTexture(cube->base(), nullptr, 0, D3DX_FILTER_LINEAR), D3D_OK);
  for (UINT f = 0; f < 6; ++f) EXPECT_EQ(pixel32(cube->surface(1, f), 0, 0), grey(f * 10)) << "face " << f;
  cube->Release();
}

TEST_F(Load, VolumesLoadFilterAndRefuseTheDefaultPool) {
  auto* vt = new MemoryTexture(&device, D3DRTYPE_VOLUMETEXTURE, 2, 2, 2, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  uint32_t src[8];
  for (UINT i = 0; i < 8; ++i) src[i] = grey(i * 8);
  const D3DBOX box = {0, 0, 2, 2, 0, 2};
  IDirect3DVolume8* top = nullptr;
  ASSERT_EQ(vt->GetVolumeLevel(0, &top), D3D_OK);
  EXPECT_EQ(D3DXLoadVolumeFromMemory(top, nullptr, nullptr, src, D3DFMT_A8R8G8B8, 8, 16, nullptr, nullptr,
                                     D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(D3DXLoadVolumeFromMemory(top, nullptr, nullptr, src, D3DFMT_A8R8G8B8, 8, 16, nullptr, &box,
                                     D3DX_FILTER_NONE, 0),
            D3D_OK);
  ASSERT_EQ(D3DXFilterTexture(vt->base(), nullptr, 0, D3DX_DEFAULT), D3D_OK);
  uint32_t v;
  std::memcpy(&v, vt->volume(1)->row(0, 0), 4);
  EXPECT_EQ(v, grey(28));
  // A volume loaded onto itself: a one-slice shift reads the slices as they were.
  const D3DBOX front = {0, 0, 2, 2, 0, 1}, back = {0, 0, 2, 2, 1, 2};
  ASSERT_EQ(D3DXLoadVolumeFromVolume(top, nullptr, &back, top, nullptr, &front, D3DX_FILTER_NONE, 0), D3D_OK);
  std::memcpy(&v, vt->volume(0)->row(1, 1), 4);
  EXPECT_EQ(v, grey(16));
  top->Release();
  vt->Release();

  auto* pinned =
      new MemoryTexture(&device, D3DRTYPE_VOLUMETEXTURE, 2, 2, 2, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  EXPECT_EQ(D3DXLoadVolumeFromMemory(pinned->volume(0), nullptr, nullptr, src, D3DFMT_A8R8G8B8, 8, 16,
                                     nullptr, &box, D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  pinned->Release();
}

}  // namespace
}  // namespace zentu
