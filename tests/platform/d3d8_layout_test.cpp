// Sizes and pitches of every resource kind and format, as the device hands them out.
#include <gtest/gtest.h>

#include "support/headless_device.h"

namespace {

struct FormatCase {
  const char* name;
  D3DFORMAT format;
  UINT width, height;
  INT pitch;
  UINT size;
};

// Widths chosen odd or off-block where it matters: DXT rows are whole 4×4 blocks of 8 or 16
// bytes, YUV rows whole pairs of 4 bytes.
const FormatCase kFormats[] = {
    {"R8G8B8", D3DFMT_R8G8B8, 5, 3, 15, 45},
    {"A8R8G8B8", D3DFMT_A8R8G8B8, 5, 3, 20, 60},
    {"X8R8G8B8", D3DFMT_X8R8G8B8, 5, 3, 20, 60},
    {"R5G6B5", D3DFMT_R5G6B5, 5, 3, 10, 30},
    {"X1R5G5B5", D3DFMT_X1R5G5B5, 5, 3, 10, 30},
    {"A1R5G5B5", D3DFMT_A1R5G5B5, 5, 3, 10, 30},
    {"A4R4G4B4", D3DFMT_A4R4G4B4, 5, 3, 10, 30},
    {"R3G3B2", D3DFMT_R3G3B2, 5, 3, 5, 15},
    {"A8", D3DFMT_A8, 5, 3, 5, 15},
    {"A8R3G3B2", D3DFMT_A8R3G3B2, 5, 3, 10, 30},
    {"X4R4G4B4", D3DFMT_X4R4G4B4, 5, 3, 10, 30},
    {"A2B10G10R10", D3DFMT_A2B10G10R10, 5, 3, 20, 60},
    {"G16R16", D3DFMT_G16R16, 5, 3, 20, 60},
    {"A8P8", D3DFMT_A8P8, 5, 3, 10, 30},
    {"P8", D3DFMT_P8, 5, 3, 5, 15},
    {"L8", D3DFMT_L8, 5, 3, 5, 15},
    {"A8L8", D3DFMT_A8L8, 5, 3, 10, 30},
    {"A4L4", D3DFMT_A4L4, 5, 3, 5, 15},
    {"V8U8", D3DFMT_V8U8, 5, 3, 10, 30},
    {"L6V5U5", D3DFMT_L6V5U5, 5, 3, 10, 30},
    {"X8L8V8U8", D3DFMT_X8L8V8U8, 5, 3, 20, 60},
    {"Q8W8V8U8", D3DFMT_Q8W8V8U8, 5, 3, 20, 60},
    {"V16U16", D3DFMT_V16U16, 5, 3, 20, 60},
    {"W11V11U10", D3DFMT_W11V11U10, 5, 3, 20, 60},
    {"A2W10V10U10", D3DFMT_A2W10V10U10, 5, 3, 20, 60},
    {"UYVY odd width", D3DFMT_UYVY, 5, 3, 12, 36},
    {"YUY2", D3DFMT_YUY2, 6, 3, 12, 36},
    {"DXT1", D3DFMT_DXT1, 8, 8, 16, 32},
    {"DXT1 partial block", D3DFMT_DXT1, 5, 3, 16, 16},
    {"DXT2", D3DFMT_DXT2, 8, 4, 32, 32},
    {"DXT3 small", D3DFMT_DXT3, 2, 2, 16, 16},
    {"DXT4", D3DFMT_DXT4, 12, 8, 48, 96},
    {"DXT5", D3DFMT_DXT5, 9, 5, 48, 96},
    {"D16_LOCKABLE", D3DFMT_D16_LOCKABLE, 5, 3, 10, 30},
};

TEST(D3d8Layout, ImageSurfacePitchAndSizePerFormat) {
  zentu::test::HeadlessDevice dev;
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.name);
    IDirect3DSurface8* s = nullptr;
    ASSERT_EQ(dev->CreateImageSurface(c.width, c.height, c.format, &s), D3D_OK);
    D3DSURFACE_DESC d;
    ASSERT_EQ(s->GetDesc(&d), D3D_OK);
    EXPECT_EQ(d.Format, c.format);
    EXPECT_EQ(d.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(d.Width, c.width);
    EXPECT_EQ(d.Height, c.height);
    EXPECT_EQ(d.Size, c.size);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(lr.Pitch, c.pitch);
    static_cast<BYTE*>(lr.pBits)[c.size - 1] = 0xAB;  // the last byte is ours (asan checks)
    EXPECT_EQ(s->UnlockRect(), D3D_OK);
    s->Release();
  }
}

struct LevelCase {
  const char* name;
  D3DFORMAT format;
  UINT width, height;
  std::vector<std::array<UINT, 4>> levels;  // width, height, pitch, size
};

TEST(D3d8Layout, TextureLevelChains) {
  const LevelCase cases[] = {
      {"A8R8G8B8 8x2", D3DFMT_A8R8G8B8, 8, 2, {{8, 2, 32, 64}, {4, 1, 16, 16}, {2, 1, 8, 8}, {1, 1, 4, 4}}},
      {"DXT1 16x8",
       D3DFMT_DXT1,
       16,
       8,
       {{16, 8, 32, 64}, {8, 4, 16, 16}, {4, 2, 8, 8}, {2, 1, 8, 8}, {1, 1, 8, 8}}},
      {"DXT5 4x4", D3DFMT_DXT5, 4, 4, {{4, 4, 16, 16}, {2, 2, 16, 16}, {1, 1, 16, 16}}},
      {"L8 3x5", D3DFMT_L8, 3, 5, {{3, 5, 3, 15}, {1, 2, 1, 2}, {1, 1, 1, 1}}},
  };
  zentu::test::HeadlessDevice dev;
  for (const LevelCase& c : cases) {
    SCOPED_TRACE(c.name);
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(dev->CreateTexture(c.width, c.height, 0, 0, c.format, D3DPOOL_MANAGED, &t), D3D_OK);
    ASSERT_EQ(t->GetLevelCount(), c.levels.size());
    for (UINT i = 0; i < c.levels.size(); ++i) {
      D3DSURFACE_DESC d;
      ASSERT_EQ(t->GetLevelDesc(i, &d), D3D_OK);
      EXPECT_EQ(d.Width, c.levels[i][0]);
      EXPECT_EQ(d.Height, c.levels[i][1]);
      EXPECT_EQ(d.Size, c.levels[i][3]);
      EXPECT_EQ(d.Type, D3DRTYPE_SURFACE);
      D3DLOCKED_RECT lr;
      ASSERT_EQ(t->LockRect(i, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
      EXPECT_EQ(static_cast<UINT>(lr.Pitch), c.levels[i][2]);
      EXPECT_EQ(t->UnlockRect(i), D3D_OK);
    }
    t->Release();
  }
}

TEST(D3d8Layout, CubeAndVolumeLevels) {
  zentu::test::HeadlessDevice dev;
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(dev->CreateCubeTexture(8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &cube), D3D_OK);
  EXPECT_EQ(cube->GetLevelCount(), 4u);
  D3DSURFACE_DESC d;
  ASSERT_EQ(cube->GetLevelDesc(2, &d), D3D_OK);
  EXPECT_EQ(d.Width, 2u);
  EXPECT_EQ(d.Size, 16u);
  cube->Release();

  IDirect3DVolumeTexture8* vol = nullptr;
  ASSERT_EQ(dev->CreateVolumeTexture(8, 4, 2, 0, 0, D3DFMT_A8L8, D3DPOOL_MANAGED, &vol), D3D_OK);
  ASSERT_EQ(vol->GetLevelCount(), 4u);
  const UINT expect[4][6] = {// width, height, depth, row pitch, slice pitch, size
                             {8, 4, 2, 16, 64, 128},
                             {4, 2, 1, 8, 16, 16},
                             {2, 1, 1, 4, 4, 4},
                             {1, 1, 1, 2, 2, 2}};
  for (UINT i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    D3DVOLUME_DESC vd;
    ASSERT_EQ(vol->GetLevelDesc(i, &vd), D3D_OK);
    EXPECT_EQ(vd.Width, expect[i][0]);
    EXPECT_EQ(vd.Height, expect[i][1]);
    EXPECT_EQ(vd.Depth, expect[i][2]);
    EXPECT_EQ(vd.Size, expect[i][5]);
    EXPECT_EQ(vd.Type, D3DRTYPE_VOLUME);
    D3DLOCKED_BOX lb;
    ASSERT_EQ(vol->LockBox(i, &lb, nullptr, 0), D3D_OK);
    EXPECT_EQ(static_cast<UINT>(lb.RowPitch), expect[i][3]);
    EXPECT_EQ(static_cast<UINT>(lb.SlicePitch), expect[i][4]);
    EXPECT_EQ(vol->UnlockBox(i), D3D_OK);
  }
  vol->Release();
}

TEST(D3d8Layout, BuffersHoldTheirLength) {
  zentu::test::HeadlessDevice dev;
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_NORMAL, D3DPOOL_MANAGED, &vb),
            D3D_OK);
  D3DVERTEXBUFFER_DESC vd;
  ASSERT_EQ(vb->GetDesc(&vd), D3D_OK);
  EXPECT_EQ(vd.Size, 96u);
  EXPECT_EQ(vd.FVF, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL));
  EXPECT_EQ(vd.Format, D3DFMT_VERTEXDATA);
  vb->Release();
  for (D3DFORMAT f : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(dev->CreateIndexBuffer(12, 0, f, D3DPOOL_SYSTEMMEM, &ib), D3D_OK);
    D3DINDEXBUFFER_DESC id;
    ASSERT_EQ(ib->GetDesc(&id), D3D_OK);
    EXPECT_EQ(id.Format, f);
    EXPECT_EQ(id.Size, 12u);
    ib->Release();
  }
}

}  // namespace
