// Locks, reference counting, interface queries, CopyRects, UpdateTexture and bad input of the
// device's resources.
#include <gtest/gtest.h>

#include <cstring>

#include "support/headless_device.h"

namespace {

using zentu::test::HeadlessDevice;

// Every byte of a surface set to its offset's low byte.
void fillPattern(IDirect3DSurface8* s, BYTE salt) {
  D3DSURFACE_DESC d;
  ASSERT_EQ(s->GetDesc(&d), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
  for (UINT i = 0; i < d.Size; ++i) static_cast<BYTE*>(lr.pBits)[i] = static_cast<BYTE>(i + salt);
  ASSERT_EQ(s->UnlockRect(), D3D_OK);
}

TEST(D3d8Locks, PartialRectanglePointsIntoTheSurface) {
  HeadlessDevice dev;
  IDirect3DSurface8* s = nullptr;
  ASSERT_EQ(dev->CreateImageSurface(16, 8, D3DFMT_A8R8G8B8, &s), D3D_OK);
  D3DLOCKED_RECT whole, part;
  ASSERT_EQ(s->LockRect(&whole, nullptr, D3DLOCK_READONLY), D3D_OK);
  ASSERT_EQ(s->UnlockRect(), D3D_OK);
  const RECT r{3, 2, 7, 5};
  ASSERT_EQ(s->LockRect(&part, &r, D3DLOCK_NOSYSLOCK), D3D_OK);
  EXPECT_EQ(part.Pitch, 64);
  EXPECT_EQ(static_cast<BYTE*>(part.pBits), static_cast<BYTE*>(whole.pBits) + 2 * 64 + 3 * 4);
  ASSERT_EQ(s->UnlockRect(), D3D_OK);
  s->Release();
}

TEST(D3d8Locks, BlockFormatsLockWholeBlocks) {
  HeadlessDevice dev;
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(dev->CreateTexture(16, 16, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT whole, part;
  ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  const RECT aligned{4, 8, 12, 16};
  ASSERT_EQ(t->LockRect(0, &part, &aligned, 0), D3D_OK);
  EXPECT_EQ(static_cast<BYTE*>(part.pBits), static_cast<BYTE*>(whole.pBits) + 2 * 64 + 16);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  const RECT unaligned{1, 0, 4, 4};
  EXPECT_EQ(t->LockRect(0, &part, &unaligned, 0), D3DERR_INVALIDCALL);
  // A 2×2 level is one block; its own edges count as block edges.
  const RECT small{0, 0, 2, 2};
  EXPECT_EQ(t->LockRect(3, &part, &small, 0), D3D_OK);
  EXPECT_EQ(t->UnlockRect(3), D3D_OK);
  t->Release();
}

TEST(D3d8Locks, VolumeBox) {
  HeadlessDevice dev;
  IDirect3DVolumeTexture8* t = nullptr;
  ASSERT_EQ(dev->CreateVolumeTexture(4, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &t), D3D_OK);
  IDirect3DVolume8* v = nullptr;
  ASSERT_EQ(t->GetVolumeLevel(0, &v), D3D_OK);
  D3DLOCKED_BOX whole, part;
  ASSERT_EQ(v->LockBox(&whole, nullptr, 0), D3D_OK);
  ASSERT_EQ(v->UnlockBox(), D3D_OK);
  const D3DBOX box{1, 2, 3, 4, 1, 3};
  ASSERT_EQ(v->LockBox(&part, &box, 0), D3D_OK);
  EXPECT_EQ(part.RowPitch, 16);
  EXPECT_EQ(part.SlicePitch, 64);
  EXPECT_EQ(static_cast<BYTE*>(part.pBits), static_cast<BYTE*>(whole.pBits) + 64 + 2 * 16 + 4);
  EXPECT_EQ(v->LockBox(&part, &box, 0), D3DERR_INVALIDCALL);  // already locked
  ASSERT_EQ(v->UnlockBox(), D3D_OK);
  const D3DBOX outside{0, 0, 4, 4, 0, 5};
  EXPECT_EQ(v->LockBox(&part, &outside, 0), D3DERR_INVALIDCALL);
  v->Release();
  t->Release();
}

TEST(D3d8Locks, BuffersLockWholeOrRange) {
  HeadlessDevice dev;
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(64, 0, 0, D3DPOOL_SYSTEMMEM, &vb), D3D_OK);
  BYTE* whole = nullptr;
  BYTE* range = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &whole, D3DLOCK_NOSYSLOCK), D3D_OK);
  ASSERT_EQ(vb->Lock(16, 8, &range, D3DLOCK_READONLY), D3D_OK);  // locks nest
  EXPECT_EQ(range, whole + 16);
  EXPECT_EQ(vb->Unlock(), D3D_OK);
  EXPECT_EQ(vb->Unlock(), D3D_OK);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(60, 8, &range, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(range, nullptr);
  EXPECT_EQ(vb->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
  vb->Release();
}

TEST(D3d8Locks, DefaultPoolTextureNeedsDynamicToLock) {
  HeadlessDevice dev;
  IDirect3DTexture8* plain = nullptr;
  IDirect3DTexture8* dynamic = nullptr;
  ASSERT_EQ(dev->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &plain), D3D_OK);
  ASSERT_EQ(dev->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &dynamic),
            D3D_OK);
  D3DLOCKED_RECT lr;
  EXPECT_EQ(plain->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(dynamic->LockRect(0, &lr, nullptr, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_EQ(dynamic->UnlockRect(0), D3D_OK);
  EXPECT_EQ(dynamic->UnlockRect(0), D3DERR_INVALIDCALL);
  plain->Release();
  dynamic->Release();
}

TEST(D3d8RefCount, ChildSurfaceKeepsTextureAlive) {
  HeadlessDevice dev;
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 2, 0, D3DFMT_L8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(t->AddRef(), 2u);
  EXPECT_EQ(t->Release(), 1u);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(1, &level), D3D_OK);
  EXPECT_EQ(t->Release(), 1u);  // the level's reference is the texture's
  IDirect3DTexture8* container = nullptr;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)), D3D_OK);
  EXPECT_EQ(container, t);
  container->Release();
  IDirect3DDevice8* owner = nullptr;
  ASSERT_EQ(level->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, dev.get());
  owner->Release();
  D3DSURFACE_DESC d;
  EXPECT_EQ(level->GetDesc(&d), D3D_OK);  // still alive through the level
  EXPECT_EQ(d.Width, 2u);
  EXPECT_EQ(level->Release(), 0u);
}

TEST(D3d8RefCount, QueryInterfacePerKind) {
  HeadlessDevice dev;
  IDirect3DTexture8* t = nullptr;
  IDirect3DSurface8* s = nullptr;
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  ASSERT_EQ(dev->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &s), D3D_OK);
  ASSERT_EQ(dev->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
  struct Case {
    const char* name;
    IUnknown* object;
    const GUID* iid;
    HRESULT expected;
  };
  const GUID unknownIid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  const Case cases[] = {
      {"texture as unknown", t, &IID_IUnknown, S_OK},
      {"texture as resource", t, &IID_IDirect3DResource8, S_OK},
      {"texture as base texture", t, &IID_IDirect3DBaseTexture8, S_OK},
      {"texture as texture", t, &IID_IDirect3DTexture8, S_OK},
      {"texture as cube", t, &IID_IDirect3DCubeTexture8, E_NOINTERFACE},
      {"texture as unknown id", t, &unknownIid, E_NOINTERFACE},
      {"surface as surface", s, &IID_IDirect3DSurface8, S_OK},
      {"surface as texture", s, &IID_IDirect3DTexture8, E_NOINTERFACE},
      {"buffer as vertex buffer", vb, &IID_IDirect3DVertexBuffer8, S_OK},
      {"buffer as index buffer", vb, &IID_IDirect3DIndexBuffer8, E_NOINTERFACE},
      {"device as device", dev.get(), &IID_IDirect3DDevice8, S_OK},
      {"device as Direct3D", dev.get(), &IID_IDirect3D8, E_NOINTERFACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(c.object->QueryInterface(*c.iid, &out), c.expected);
    if (c.expected == S_OK) {
      EXPECT_EQ(out, static_cast<void*>(c.object));
      static_cast<IUnknown*>(out)->Release();
    } else {
      EXPECT_EQ(out, nullptr);
    }
  }
  // A stand-alone surface's container is the device, never a texture.
  void* container = nullptr;
  EXPECT_EQ(s->GetContainer(IID_IDirect3DBaseTexture8, &container), E_NOINTERFACE);
  t->Release();
  s->Release();
  vb->Release();
}

TEST(D3d8RefCount, DeviceOutlivedByBoundAndHeldResources) {
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DPRESENT_PARAMETERS p = zentu::test::headlessPresentParameters();
  IDirect3DDevice8* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
            D3D_OK);
  IDirect3DTexture8* bound = nullptr;
  IDirect3DTexture8* held = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bound), D3D_OK);
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &held), D3D_OK);
  ASSERT_EQ(device->SetTexture(0, bound), D3D_OK);
  EXPECT_EQ(bound->Release(), 1u);   // the device's binding
  EXPECT_EQ(device->Release(), 0u);  // drops the binding; `held` keeps the object
  IDirect3DDevice8* again = nullptr;
  ASSERT_EQ(held->GetDevice(&again), D3D_OK);
  EXPECT_EQ(again, device);
  again->Release();
  EXPECT_EQ(held->Release(), 0u);
  EXPECT_EQ(d3d->Release(), 0u);
}

TEST(D3d8Copy, CopyRectsWholeAndListed) {
  HeadlessDevice dev;
  IDirect3DSurface8* src = nullptr;
  IDirect3DSurface8* dst = nullptr;
  ASSERT_EQ(dev->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &src), D3D_OK);
  ASSERT_EQ(dev->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8, &dst), D3D_OK);
  fillPattern(src, 0);
  ASSERT_EQ(dev->CopyRects(src, nullptr, 0, dst, nullptr), D3D_OK);
  const RECT r{1, 1, 3, 2};
  const POINT at{5, 6};
  ASSERT_EQ(dev->CopyRects(src, &r, 1, dst, &at), D3D_OK);
  D3DLOCKED_RECT s, d;
  ASSERT_EQ(src->LockRect(&s, nullptr, D3DLOCK_READONLY), D3D_OK);
  ASSERT_EQ(dst->LockRect(&d, nullptr, D3DLOCK_READONLY), D3D_OK);
  const BYTE* sb = static_cast<const BYTE*>(s.pBits);
  const BYTE* db = static_cast<const BYTE*>(d.pBits);
  EXPECT_EQ(std::memcmp(db + 3 * d.Pitch, sb + 3 * s.Pitch, 16), 0);  // whole copy, row 3
  EXPECT_EQ(std::memcmp(db + 6 * d.Pitch + 5 * 4, sb + 1 * s.Pitch + 1 * 4, 8), 0);
  EXPECT_EQ(db[6 * d.Pitch + 7 * 4], 0);  // beyond the copied span
  src->UnlockRect();
  dst->UnlockRect();

  IDirect3DSurface8* other = nullptr;
  ASSERT_EQ(dev->CreateImageSurface(8, 8, D3DFMT_R5G6B5, &other), D3D_OK);
  EXPECT_EQ(dev->CopyRects(src, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);  // formats
  const POINT off{6, 6};
  EXPECT_EQ(dev->CopyRects(src, nullptr, 0, dst, &off), D3DERR_INVALIDCALL);  // does not fit
  EXPECT_EQ(dev->CopyRects(src, nullptr, 0, src, nullptr), D3DERR_INVALIDCALL);
  other->Release();
  src->Release();
  dst->Release();
}

TEST(D3d8Copy, BlockFormatStagingRoundTrip) {
  // A 2×2 DXT level goes through a 4×4 staging surface and back.
  HeadlessDevice dev;
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(dev->CreateTexture(8, 8, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  IDirect3DSurface8* staging = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(2, &level), D3D_OK);
  ASSERT_EQ(dev->CreateImageSurface(4, 4, D3DFMT_DXT1, &staging), D3D_OK);
  fillPattern(staging, 7);
  EXPECT_EQ(dev->CopyRects(staging, nullptr, 0, level, nullptr), D3D_OK);
  D3DLOCKED_RECT a, b;
  ASSERT_EQ(level->LockRect(&a, nullptr, D3DLOCK_READONLY), D3D_OK);
  ASSERT_EQ(staging->LockRect(&b, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(std::memcmp(a.pBits, b.pBits, 8), 0);
  level->UnlockRect();
  staging->UnlockRect();
  EXPECT_EQ(dev->CopyRects(level, nullptr, 0, staging, nullptr), D3D_OK);
  level->Release();
  staging->Release();
  t->Release();
}

TEST(D3d8Copy, UpdateTextureCopiesMatchingLevels) {
  HeadlessDevice dev;
  IDirect3DTexture8* sys = nullptr;
  IDirect3DTexture8* vid = nullptr;
  ASSERT_EQ(dev->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys), D3D_OK);
  ASSERT_EQ(dev->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &vid), D3D_OK);
  for (UINT i = 0; i < sys->GetLevelCount(); ++i) {
    IDirect3DSurface8* s = nullptr;
    ASSERT_EQ(sys->GetSurfaceLevel(i, &s), D3D_OK);
    fillPattern(s, static_cast<BYTE>(i * 16));
    s->Release();
  }
  ASSERT_EQ(dev->UpdateTexture(sys, vid), D3D_OK);
  // Read the default-pool result back through the other direction's check: copy into a
  // system-memory surface.
  for (UINT i = 0; i < vid->GetLevelCount(); ++i) {
    SCOPED_TRACE(i);
    IDirect3DSurface8* from = nullptr;
    IDirect3DSurface8* to = nullptr;
    IDirect3DSurface8* expect = nullptr;
    ASSERT_EQ(vid->GetSurfaceLevel(i, &from), D3D_OK);
    ASSERT_EQ(sys->GetSurfaceLevel(i + 1, &expect), D3D_OK);
    D3DSURFACE_DESC d;
    from->GetDesc(&d);
    ASSERT_EQ(dev->CreateImageSurface(d.Width, d.Height, d.Format, &to), D3D_OK);
    ASSERT_EQ(dev->CopyRects(from, nullptr, 0, to, nullptr), D3D_OK);
    D3DLOCKED_RECT a, b;
    ASSERT_EQ(to->LockRect(&a, nullptr, D3DLOCK_READONLY), D3D_OK);
    ASSERT_EQ(expect->LockRect(&b, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(a.pBits, b.pBits, d.Size), 0);
    to->UnlockRect();
    expect->UnlockRect();
    to->Release();
    from->Release();
    expect->Release();
  }
  EXPECT_EQ(dev->UpdateTexture(vid, sys), D3DERR_INVALIDCALL);  // wrong pools
  EXPECT_EQ(dev->UpdateTexture(nullptr, vid), D3DERR_INVALIDCALL);
  sys->Release();
  vid->Release();
}

TEST(D3d8BadInput, FailsAndChangesNothing) {
  HeadlessDevice dev;
  IDirect3DTexture8* t = reinterpret_cast<IDirect3DTexture8*>(1);
  struct Case {
    const char* name;
    UINT w, h, levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
  };
  const Case cases[] = {
      {"zero width", 0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
      {"unknown format", 4, 4, 1, 0, static_cast<D3DFORMAT>(12345), D3DPOOL_MANAGED},
      {"internal 16-bit format", 4, 4, 1, 0, static_cast<D3DFORMAT>(MAKEFOURCC('A', 'R', '1', '6')),
       D3DPOOL_MANAGED},
      {"too many levels", 4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
      {"unknown pool", 4, 4, 1, 0, D3DFMT_A8R8G8B8, static_cast<D3DPOOL>(7)},
      {"dynamic managed", 4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
      {"huge", 65535, 65535, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    t = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_EQ(dev->CreateTexture(c.w, c.h, c.levels, c.usage, c.format, c.pool, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
  }
  EXPECT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);

  // Sizes that would pass 32 bits fail cleanly wherever the device limits do not apply.
  IDirect3DSurface8* s = reinterpret_cast<IDirect3DSurface8*>(1);
  const HRESULT huge = dev->CreateImageSurface(65535, 65535, D3DFMT_A8R8G8B8, &s);
  EXPECT_TRUE(huge == E_OUTOFMEMORY || huge == D3DERR_INVALIDCALL);
  EXPECT_EQ(s, nullptr);
  const HRESULT scratch = dev->CreateTexture(65535, 65535, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &t);
  EXPECT_TRUE(scratch == E_OUTOFMEMORY || scratch == D3DERR_INVALIDCALL);

  ASSERT_EQ(dev->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT lr{};
  const RECT outside{0, 0, 5, 4};
  const RECT empty{2, 2, 2, 3};
  EXPECT_EQ(t->LockRect(0, &lr, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(0, &lr, &empty, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(2, &lr, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0x80000000), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(0, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
  IDirect3DSurface8* level = reinterpret_cast<IDirect3DSurface8*>(1);
  EXPECT_EQ(t->GetSurfaceLevel(2, &level), D3DERR_INVALIDCALL);
  EXPECT_EQ(level, nullptr);
  // Nothing above left the level locked.
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);  // double lock
  EXPECT_EQ(t->UnlockRect(0), D3D_OK);
  t->Release();

  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(dev->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  EXPECT_EQ(cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(6), 0, &level), D3DERR_INVALIDCALL);
  cube->Release();

  IDirect3DIndexBuffer8* ib = nullptr;
  EXPECT_EQ(dev->CreateIndexBuffer(0, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->CreateIndexBuffer(6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib), D3DERR_INVALIDCALL);
  EXPECT_EQ(ib, nullptr);
}

}  // namespace
