// The device's state as the renderer reads it: transforms, material, up to eight lights, the
// render and stage states, and views of the bound texture and buffers.
#include <cstring>

#include "platform/d3d8/device.h"

namespace zentu {
namespace {

void viewTexture(IDirect3DBaseTexture8* bound, TextureView& view, const TextureView** out) {
  auto* texture = dynamic_cast<Texture*>(bound);
  if (!texture) {
    *out = nullptr;  // nothing bound, or a cube or volume texture: reads as white
    return;
  }
  view.key = {texture->resourceId(), texture->changeCount()};
  view.format = texture->format();
  view.levelCount = texture->levelCount() < static_cast<UINT>(kRenderMaxLevels)
                        ? texture->levelCount()
                        : static_cast<UINT>(kRenderMaxLevels);
  for (uint32_t i = 0; i < view.levelCount; ++i) {
    Surface& level = texture->level(i);
    view.levels[i] = {level.bits(), level.desc().Width, level.desc().Height, level.layout().rowPitch};
  }
  *out = &view;
}

template <class B>
const BufferView* viewBuffer(B* buffer, D3DFORMAT format, BufferView& view) {
  if (!buffer) return nullptr;
  view.key = {buffer->storage().resourceId(), buffer->storage().changeCount()};
  view.bits = buffer->storage().data();
  view.size = buffer->storage().length();
  view.format = format;
  return &view;
}

}  // namespace

const RenderState& Device::renderState() {
  RenderState& r = renderState_;
  r.world = state_.world[0];
  r.view = state_.view;
  r.projection = state_.projection;
  for (int i = 0; i < kRenderStages; ++i) r.textureTransforms[i] = state_.textureTransform[i];
  r.material = state_.material;
  // Lights 0 to 7 as set; enabled lights at higher indices fill the free places in index order.
  for (int i = 0; i < kRenderLights; ++i) {
    auto it = state_.lights.find(static_cast<DWORD>(i));
    r.lights[i] = it != state_.lights.end() ? it->second.light : defaultLight();
    r.lightEnabled[i] = it != state_.lights.end() && it->second.enabled;
  }
  int free = 0;
  for (auto it = state_.lights.lower_bound(kRenderLights); it != state_.lights.end(); ++it) {
    if (!it->second.enabled) continue;
    while (free < kRenderLights && r.lightEnabled[free]) ++free;
    if (free == kRenderLights) break;
    r.lights[free] = it->second.light;
    r.lightEnabled[free] = true;
  }
  static_assert(kRenderStates == static_cast<int>(kMaxRenderState), "render state tables differ");
  std::memcpy(r.renderStates, state_.renderStates.data(), sizeof r.renderStates);
  for (int s = 0; s < kRenderStages; ++s) {
    static_assert(kRenderStageStates == static_cast<int>(kTextureStageStates), "stage state tables differ");
    std::memcpy(r.stageStates[s], state_.stageStates[s].data(), sizeof r.stageStates[s]);
    viewTexture(state_.textures[s], textureViews_[s], &r.textures[s]);
  }
  r.stream = viewBuffer(static_cast<VertexBuffer*>(state_.streams[0].buffer), D3DFMT_VERTEXDATA, streamView_);
  r.streamStride = state_.streams[0].stride;
  auto* ib = static_cast<IndexBuffer*>(state_.indices);
  r.indices = viewBuffer(ib, ib ? ib->desc().Format : D3DFMT_UNKNOWN, indexView_);
  r.baseVertexIndex = state_.baseVertexIndex;
  r.fvf = state_.vertexShader;
  r.viewport = state_.viewport;
  return r;
}

}  // namespace zentu
