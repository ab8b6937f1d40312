// The renderer of a device that draws no pixels, and the hook that picks a device's renderer.
#include "platform/d3d8/renderer.h"

namespace zentu {
namespace {

class NullRenderer final : public Renderer {
 public:
  void clear(Device&, DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {}
  void draw(Device&, const DrawCall&) override {}
  HRESULT present(Device&, const RECT*, const RECT*, HWND) override { return D3D_OK; }
  void readBack(Device&, Surface&) override {}
  void resourceDestroyed(const void*) override {}
};

RendererFactory gFactory = nullptr;

}  // namespace

std::unique_ptr<Renderer> makeNullRenderer() {
  return std::make_unique<NullRenderer>();
}
void setRendererFactory(RendererFactory factory) {
  gFactory = factory;
}
RendererFactory rendererFactory() {
  return gFactory;
}

}  // namespace zentu
