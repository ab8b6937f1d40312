// The demo's device: the thirteen present parameters and what the created device has.
#include "app/graphics_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/window/window.h"

namespace zentu {
namespace {

class GraphicsDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requestHeadless();
    window = createWindow(WindowDesc{});
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override { destroyWindow(window); }
  HWND window = nullptr;
};

TEST_F(GraphicsDeviceTest, PresentParametersAreTheDemos) {
  GraphicsDevice graphics(window);
  const D3DPRESENT_PARAMETERS& p = graphics.presentParameters;
  struct Field {
    const char* name;
    uint64_t value;
    uint64_t expected;
  };
  const Field fields[] = {
      {"BackBufferWidth", p.BackBufferWidth, 800},
      {"BackBufferHeight", p.BackBufferHeight, 600},
      {"BackBufferFormat", static_cast<uint64_t>(p.BackBufferFormat), 21},
      {"BackBufferCount", p.BackBufferCount, 1},
      {"MultiSampleType", static_cast<uint64_t>(p.MultiSampleType), 0},
      {"SwapEffect", static_cast<uint64_t>(p.SwapEffect), 2},
      {"hDeviceWindow", reinterpret_cast<uintptr_t>(p.hDeviceWindow), reinterpret_cast<uintptr_t>(window)},
      {"Windowed", static_cast<uint64_t>(p.Windowed), 0},
      {"EnableAutoDepthStencil", static_cast<uint64_t>(p.EnableAutoDepthStencil), 1},
      {"AutoDepthStencilFormat", static_cast<uint64_t>(p.AutoDepthStencilFormat), 75},
      {"Flags", p.Flags, 1},
      {"FullScreen_RefreshRateInHz", p.FullScreen_RefreshRateInHz, 0},
      {"FullScreen_PresentationInterval", p.FullScreen_PresentationInterval, 1},
  };
  for (const Field& f : fields) EXPECT_EQ(f.value, f.expected) << f.name;
  EXPECT_EQ(graphics.window, window);
}

TEST_F(GraphicsDeviceTest, DeviceIsTheHardwareOneWithTheAskedBuffers) {
  GraphicsDevice graphics(window);
  ASSERT_NE(graphics.direct3D, nullptr);
  ASSERT_NE(graphics.device, nullptr);
  D3DDEVICE_CREATION_PARAMETERS created{};
  ASSERT_EQ(graphics.device->GetCreationParameters(&created), D3D_OK);
  EXPECT_EQ(created.AdapterOrdinal, 0u);
  EXPECT_EQ(created.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(created.hFocusWindow, window);
  EXPECT_EQ(created.BehaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));

  IDirect3DSurface8* surface = nullptr;
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(graphics.device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
  surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 800u);
  EXPECT_EQ(desc.Height, 600u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);  // lockable
  surface->UnlockRect();
  surface->Release();
  ASSERT_EQ(graphics.device->GetDepthStencilSurface(&surface), D3D_OK);
  surface->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3DFMT_D24S8);
  EXPECT_EQ(desc.Width, 800u);
  surface->Release();
}

TEST_F(GraphicsDeviceTest, WindowedRunChangesOnlyWindowed) {
  GraphicsDevice graphics(window, true);
  D3DPRESENT_PARAMETERS expected = GraphicsDevice::demoPresentParameters(window, false);
  expected.Windowed = TRUE;
  EXPECT_EQ(std::memcmp(&graphics.presentParameters, &expected, sizeof expected), 0);
  EXPECT_NE(graphics.device, nullptr);
}

}  // namespace
}  // namespace zentu
