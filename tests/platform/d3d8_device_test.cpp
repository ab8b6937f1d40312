// The device's state storage, frame and draw validation, debug channel, mute and call trace.
#include <gtest/gtest.h>

#include <cstring>

#include "d3dx/math/services.h"
#include "platform/d3d8/device_control.h"
#include "support/headless_device.h"

namespace {

using zentu::test::HeadlessDevice;

TEST(D3d8State, ValuesKeptUntilSetAgain) {
  HeadlessDevice dev;
  DWORD v = 0;
  ASSERT_EQ(dev->GetRenderState(D3DRS_LIGHTING, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(TRUE));
  ASSERT_EQ(dev->GetRenderState(D3DRS_ZENABLE, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DZB_TRUE));  // automatic depth buffer
  ASSERT_EQ(dev->SetRenderState(D3DRS_FOGENABLE, TRUE), D3D_OK);
  ASSERT_EQ(dev->SetRenderState(D3DRS_COLORVERTEX, FALSE), D3D_OK);
  ASSERT_EQ(dev->GetRenderState(D3DRS_COLORVERTEX, &v), D3D_OK);
  EXPECT_EQ(v, 0u);
  EXPECT_EQ(dev->SetRenderState(static_cast<D3DRENDERSTATETYPE>(1), 0), D3DERR_INVALIDCALL);

  ASSERT_EQ(dev->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC), D3D_OK);
  ASSERT_EQ(dev->GetTextureStageState(0, D3DTSS_MAGFILTER, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
  ASSERT_EQ(dev->GetTextureStageState(1, D3DTSS_COLOROP, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_DISABLE));
  EXPECT_EQ(dev->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);

  D3DMATRIX m{};
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = static_cast<float>(i);
  ASSERT_EQ(dev->SetTransform(D3DTS_WORLD, &m), D3D_OK);
  m._11 = 99.0f;  // the device kept a copy
  D3DMATRIX back;
  ASSERT_EQ(dev->GetTransform(D3DTS_WORLDMATRIX(0), &back), D3D_OK);
  EXPECT_EQ(back._11, 0.0f);
  EXPECT_EQ(back._44, 15.0f);
  ASSERT_EQ(dev->GetTransform(D3DTS_VIEW, &back), D3D_OK);
  EXPECT_EQ(back._11, 1.0f);
  EXPECT_EQ(dev->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(5), &m), D3DERR_INVALIDCALL);

  D3DMATERIAL8 mat{};
  mat.Diffuse = {1, 0.5f, 0.25f, 1};
  mat.Power = 8;
  ASSERT_EQ(dev->SetMaterial(&mat), D3D_OK);
  D3DMATERIAL8 matBack{};
  ASSERT_EQ(dev->GetMaterial(&matBack), D3D_OK);
  EXPECT_EQ(std::memcmp(&mat, &matBack, sizeof mat), 0);

  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Direction = {0, -1, 0};
  ASSERT_EQ(dev->SetLight(0, &light), D3D_OK);
  ASSERT_EQ(dev->LightEnable(0, TRUE), D3D_OK);
  BOOL on = FALSE;
  ASSERT_EQ(dev->GetLightEnable(0, &on), D3D_OK);
  EXPECT_TRUE(on);
  light.Type = static_cast<D3DLIGHTTYPE>(9);
  EXPECT_EQ(dev->SetLight(1, &light), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetLight(1, &light), D3DERR_INVALIDCALL);

  D3DVIEWPORT8 vp{10, 10, 100, 100, 0, 1};
  ASSERT_EQ(dev->SetViewport(&vp), D3D_OK);
  D3DVIEWPORT8 big{0, 0, 801, 600, 0, 1};
  EXPECT_EQ(dev->SetViewport(&big), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev->GetViewport(&big), D3D_OK);
  EXPECT_EQ(big.X, 10u);

  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  ASSERT_EQ(dev->SetTexture(0, t), D3D_OK);
  IDirect3DBaseTexture8* bound = nullptr;
  ASSERT_EQ(dev->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, t);
  bound->Release();
  ASSERT_EQ(dev->SetTexture(0, nullptr), D3D_OK);
  EXPECT_EQ(t->Release(), 0u);
}

// A bound triangle list of `faces` faces over `vertices` XYZ vertices.
struct Geometry {
  IDirect3DVertexBuffer8* vb = nullptr;
  IDirect3DIndexBuffer8* ib = nullptr;
  Geometry(IDirect3DDevice8* dev, UINT vertices, std::vector<WORD> indices) {
    EXPECT_EQ(dev->CreateVertexBuffer(vertices * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &vb), D3D_OK);
    EXPECT_EQ(dev->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), 0, D3DFMT_INDEX16,
                                     D3DPOOL_MANAGED, &ib),
              D3D_OK);
    BYTE* p = nullptr;
    EXPECT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indices.data(), indices.size() * 2);
    ib->Unlock();
    dev->SetVertexShader(D3DFVF_XYZ);
    dev->SetStreamSource(0, vb, 12);
    dev->SetIndices(ib, 0);
  }
  ~Geometry() {
    vb->Release();
    ib->Release();
  }
};

TEST(D3d8Draw, ValidatesAgainstTheBoundState) {
  HeadlessDevice dev;
  Geometry g(dev.get(), 4, {0, 1, 2, 2, 1, 3, 0, 1, 9});
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL)
      << "outside a scene";
  ASSERT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0),
            D3D_OK);
  ASSERT_EQ(dev->BeginScene(), D3D_OK);
  EXPECT_EQ(dev->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 3), D3DERR_INVALIDCALL)
      << "index 9 points past the 4 vertices";
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3DERR_INVALIDCALL)
      << "indices past the buffer";
  EXPECT_EQ(dev->DrawIndexedPrimitive(static_cast<D3DPRIMITIVETYPE>(0), 0, 4, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 0), D3DERR_INVALIDCALL);
  const float tri[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, 12), D3D_OK);
  EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, 8), D3DERR_INVALIDCALL);
  // The user-pointer draw left stream 0 and the indices unbound.
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL) << "in a scene";
  ASSERT_EQ(dev->EndScene(), D3D_OK);
  EXPECT_EQ(dev->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(dev->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST(D3d8Draw, MaxVertexIndexOfTheProfile) {
  HeadlessDevice dev("index16");
  Geometry g(dev.get(), 3, {0, 1, 2});
  ASSERT_EQ(dev->BeginScene(), D3D_OK);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0xFFFF, 2, 0, 1), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev->EndScene(), D3D_OK);
}

TEST(D3d8Device, BackBufferIsLockableSystemMemory) {
  HeadlessDevice dev;
  IDirect3DSurface8* bb = nullptr;
  ASSERT_EQ(dev->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  D3DSURFACE_DESC d;
  ASSERT_EQ(bb->GetDesc(&d), D3D_OK);
  EXPECT_EQ(d.Width, 800u);
  EXPECT_EQ(d.Height, 600u);
  EXPECT_EQ(d.Format, D3DFMT_A8R8G8B8);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(bb->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(lr.Pitch, 3200);
  EXPECT_EQ(bb->UnlockRect(), D3D_OK);
  IDirect3DDevice8* container = nullptr;
  ASSERT_EQ(bb->GetContainer(IID_IDirect3DDevice8, reinterpret_cast<void**>(&container)), D3D_OK);
  EXPECT_EQ(container, dev.get());
  container->Release();
  bb->Release();
  IDirect3D8* d3d = nullptr;
  ASSERT_EQ(dev->GetDirect3D(&d3d), D3D_OK);
  EXPECT_EQ(d3d, dev.direct3D());
  d3d->Release();
  EXPECT_EQ(Direct3DCreate8(120), nullptr);
}

TEST(D3d8Debug, OneLinePerFailingCallUnlessMuted) {
  std::vector<std::string> lines;
  zentu::setDebugSink([&](const std::string& l) { lines.push_back(l); });
  zentu::setDebugOutputEnabled(true);
  {
    HeadlessDevice dev;
    IDirect3DTexture8* t = nullptr;
    dev->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("zentu d3d8: IDirect3DDevice8::CreateTexture failed: "
                             "D3DERR_INVALIDCALL (0x8876086C)",
                             0),
              0u)
        << lines[0];
    EXPECT_EQ(zentu::MuteDebugRuntime(1), 0u);
    dev->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
    EXPECT_EQ(zentu::MuteDebugRuntime(0), 0u);
    EXPECT_EQ(lines.size(), 1u);
    D3DDEVINFO_VCACHE vc;
    dev->GetInfo(D3DDEVINFOID_VCACHE, &vc, 3);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("IDirect3DDevice8::GetInfo"), std::string::npos);
    IDirect3DSurface8* s = nullptr;
    ASSERT_EQ(dev->CreateImageSurface(4, 4, D3DFMT_L8, &s), D3D_OK);
    s->UnlockRect();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[2].find("IDirect3DSurface8::UnlockRect failed"), std::string::npos);
    s->Release();
  }
  zentu::setDebugOutputEnabled(false);
  zentu::setDebugSink(nullptr);
}

TEST(D3d8Trace, RecordsDeviceCallsWithArguments) {
  HeadlessDevice dev;
  zentu::CallTrace trace;
  dev->SetRenderState(D3DRS_LIGHTING, TRUE);
  dev->SetTexture(0, nullptr);
  dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  dev->SetRenderState(static_cast<D3DRENDERSTATETYPE>(3), 1);
  D3DMATERIAL8 m{};
  m.Power = 2;
  dev->SetMaterial(&m);
  ASSERT_EQ(trace.calls().size(), 5u);
  EXPECT_EQ(trace.calls()[0].text(), "SetRenderState(137, 1)");
  EXPECT_EQ(trace.calls()[1].text(), "SetTexture(0, null)");
  EXPECT_EQ(trace.calls()[2].text(), "SetTextureStageState(0, 4, 1)");
  EXPECT_EQ(trace.calls()[3].result, D3DERR_INVALIDCALL);
  EXPECT_EQ(trace.calls()[4].text(), "SetMaterial({0 0 0 0}{0 0 0 0}{0 0 0 0}{0 0 0 0}{2})");
  EXPECT_EQ(trace.texts("SetRenderState").size(), 2u);
}

TEST(D3d8Accounting, CountsLiveObjectsPerClass) {
  if (!zentu::objectAccountingEnabled()) GTEST_SKIP() << "built without accounting";
  const std::size_t before = zentu::liveObjectCount();
  {
    HeadlessDevice dev;
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(dev->CreateTexture(4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    EXPECT_EQ(zentu::liveObjectCount(zentu::ObjectClass::kTexture), 1u);
    EXPECT_EQ(zentu::liveObjectCount(zentu::ObjectClass::kDevice), 1u);
    EXPECT_NE(zentu::liveObjectReport().find("IDirect3DTexture8: 1"), std::string::npos);
    t->Release();
    EXPECT_EQ(zentu::liveObjectCount(zentu::ObjectClass::kTexture), 0u);
  }
  EXPECT_EQ(zentu::liveObjectCount(), before);
}

}  // namespace
