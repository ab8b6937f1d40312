// The whole path through the device: its calls reach the GL renderer, which reads the device's
// buffers and textures (again after they change) and fills the lockable back buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d8/gl/renderer.h"
#include "support/headless_device.h"

namespace zentu::test {
namespace {

struct Vertex {
  float x, y, z, rhw;
  DWORD diffuse;
  float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

void quad(Vertex* out, float x1, float y1, float x2, float y2, DWORD color) {
  out[0] = {x1, y1, 0.5f, 1, color, 0, 0};
  out[1] = {x2, y1, 0.5f, 1, color, 1, 0};
  out[2] = {x1, y2, 0.5f, 1, color, 0, 1};
  out[3] = {x2, y2, 0.5f, 1, color, 1, 1};
}

void fillTexture(IDirect3DTexture8* texture, DWORD color) {
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x)
      std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, &color, 4);
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
}

DWORD pixelAt(IDirect3DDevice8* device, int x, int y) {
  IDirect3DSurface8* back = nullptr;
  EXPECT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  if (back == nullptr) return 0;
  D3DLOCKED_RECT locked;
  DWORD pixel = 0;
  if (back->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
    std::memcpy(&pixel, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, 4);
    back->UnlockRect();
  }
  back->Release();
  return pixel & 0xFFFFFF;
}

TEST(DeviceDrawing, CallsReachTheRendererAndTheBackBuffer) {
  HeadlessDevice dev;
  ASSERT_TRUE(dev);
  IDirect3DDevice8* d = dev.get();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(d->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  fillTexture(texture, 0xFF00FF00);
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(4 * sizeof(Vertex), 0, kFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
  BYTE* bytes = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &bytes, 0), D3D_OK);
  quad(reinterpret_cast<Vertex*>(bytes), 400, 100, 600, 300, 0xFFFF0000);
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(d->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), D3D_OK);
  const WORD indices[6] = {0, 1, 2, 2, 1, 3};
  std::memcpy(bytes, indices, sizeof indices);
  ASSERT_EQ(ib->Unlock(), D3D_OK);

  auto frame = [&] {
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    d->BeginScene();
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetVertexShader(kFvf);
    d->SetTexture(0, texture);
    Vertex up[4];
    quad(up, 100, 100, 300, 300, 0xFFFFFFFF);
    d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, up, sizeof(Vertex));
    d->SetTexture(0, nullptr);
    d->SetStreamSource(0, vb, sizeof(Vertex));
    d->SetIndices(ib, 0);
    d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
    d->EndScene();
    d->Present(nullptr, nullptr, nullptr, nullptr);
  };
  frame();
  const DWORD cleared = pixelAt(d, 700, 500);
  if (cleared == 0) {
    // No OpenGL here: the device still works, without pixels.
    GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
  }
  EXPECT_EQ(cleared, 0x0000FFu);
  EXPECT_EQ(pixelAt(d, 200, 200), 0x00FF00u) << "textured draw from client memory";
  EXPECT_EQ(pixelAt(d, 500, 200), 0xFF0000u) << "indexed draw from the device's buffers";

  fillTexture(texture, 0xFFFFFF00);
  frame();
  EXPECT_EQ(pixelAt(d, 200, 200), 0xFFFF00u) << "the texture's new contents";

  d->SetStreamSource(0, nullptr, 0);
  d->SetIndices(nullptr, 0);
  ib->Release();
  vb->Release();
  texture->Release();
}

TEST(DeviceDrawing, EveryOfferedTextureFormatIsSampled) {
  HeadlessDevice dev;
  ASSERT_TRUE(dev);
  const D3DFORMAT candidates[] = {
      D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
      D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,       D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10,
      D3DFMT_G16R16,   D3DFMT_A8P8,     D3DFMT_P8,       D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_A4L4,
      D3DFMT_V8U8,     D3DFMT_L6V5U5,   D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8, D3DFMT_V16U16,   D3DFMT_W11V11U10,
      D3DFMT_UYVY,     D3DFMT_YUY2,     D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,
      D3DFMT_DXT5};
  int offered = 0;
  for (D3DFORMAT format : candidates) {
    if (FAILED(dev.direct3D()->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                                 D3DRTYPE_TEXTURE, format)))
      continue;
    ++offered;
    EXPECT_TRUE(rendererSamplesFormat(format)) << "offered but not sampled: format " << format;
  }
  EXPECT_GT(offered, 0);
}

}  // namespace
}  // namespace zentu::test
