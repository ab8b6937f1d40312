// The device object: state storage, resource creation, copies, and the validated frame and
// draw calls that go to its renderer.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/d3d8/device_control.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/diagnostics.h"
#include "platform/d3d8/gl/renderer.h"
#include "platform/d3d8/resources.h"

namespace zentu {

class Direct3D;

class Device final : public IDirect3DDevice8, public Accounted {
 public:
  // Keeps a reference to `direct3D`. Check valid() before use.
  Device(Direct3D* direct3D, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
         const D3DPRESENT_PARAMETERS& present);
  // Builds the back buffer and depth buffer; the failure result otherwise.
  HRESULT initialize();

  const DeviceProfile& profile() const { return *profile_; }
  const DeviceState& state() const { return state_; }
  const D3DPRESENT_PARAMETERS& presentParameters() const { return present_; }
  bool headless() const { return window_ == nullptr; }
  Surface* backBuffer() { return backBuffer_.get(); }
  Surface* depthStencil() { return depthStencil_.get(); }
  Renderer& renderer() { return *renderer_; }
  bool inScene() const { return inScene_; }
  // What the renderer reads for a draw, filled from the current state.
  const RenderState& renderState();
  // Before the back buffer is locked: its pixels into its memory.
  void readBack(Surface& surface);

  // Resources keep the device object alive (not its reference count) while they exist.
  void childCreated() { ++children_; }
  void childDestroyed();

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // device_core.cpp
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT ResourceManagerDiscardBytes(DWORD Bytes) override;
  HRESULT GetDirect3D(IDirect3D8** ppD3D8) override;
  HRESULT GetDeviceCaps(D3DCAPS8* pCaps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* pMode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
  HRESULT SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface8* pCursorBitmap) override;
  void SetCursorPosition(int X, int Y, DWORD Flags) override;
  BOOL ShowCursor(BOOL bShow) override;
  HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* pPresentationParameters,
                                    IDirect3DSwapChain8** pSwapChain) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
  HRESULT GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface8** ppBackBuffer) override;
  HRESULT GetRasterStatus(D3DRASTER_STATUS* pRasterStatus) override;
  void SetGammaRamp(DWORD Flags, const D3DGAMMARAMP* pRamp) override;
  void GetGammaRamp(D3DGAMMARAMP* pRamp) override;
  HRESULT GetFrontBuffer(IDirect3DSurface8* pDestSurface) override;
  HRESULT SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** ppRenderTarget) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) override;
  HRESULT ValidateDevice(DWORD* pNumPasses) override;
  HRESULT GetInfo(DWORD DevInfoID, void* pDevInfoStruct, DWORD DevInfoStructSize) override;

  // device_resources.cpp
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture8** ppTexture) override;
  HRESULT CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage, D3DFORMAT Format,
                              D3DPOOL Pool, IDirect3DVolumeTexture8** ppVolumeTexture) override;
  HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DCubeTexture8** ppCubeTexture) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer8** ppVertexBuffer) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer8** ppIndexBuffer) override;
  HRESULT CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                             BOOL Lockable, IDirect3DSurface8** ppSurface) override;
  HRESULT CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                    D3DMULTISAMPLE_TYPE MultiSample, IDirect3DSurface8** ppSurface) override;
  HRESULT CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format,
                             IDirect3DSurface8** ppSurface) override;
  HRESULT CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                    IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture8* pSourceTexture,
                        IDirect3DBaseTexture8* pDestinationTexture) override;

  // device_frame.cpp
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                DWORD Stencil) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT minIndex, UINT NumVertices,
                               UINT startIndex, UINT primCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                          const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertexIndices,
                                 UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                 const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;

  // device_states.cpp
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT8* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* pViewport) override;
  HRESULT SetMaterial(const D3DMATERIAL8* pMaterial) override;
  HRESULT GetMaterial(D3DMATERIAL8* pMaterial) override;
  HRESULT SetLight(DWORD Index, const D3DLIGHT8* pLight) override;
  HRESULT GetLight(DWORD Index, D3DLIGHT8* pLight) override;
  HRESULT LightEnable(DWORD Index, BOOL Enable) override;
  HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
  HRESULT SetClipPlane(DWORD Index, const float* pPlane) override;
  HRESULT GetClipPlane(DWORD Index, float* pPlane) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT SetClipStatus(const D3DCLIPSTATUS8* pClipStatus) override;
  HRESULT GetClipStatus(D3DCLIPSTATUS8* pClipStatus) override;
  HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) override;
  HRESULT GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) override;
  HRESULT SetCurrentTexturePalette(UINT PaletteNumber) override;
  HRESULT GetCurrentTexturePalette(UINT* PaletteNumber) override;
  HRESULT SetVertexShader(DWORD Handle) override;
  HRESULT GetVertexShader(DWORD* pHandle) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) override;
  HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) override;
  HRESULT GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) override;

  // device_unsupported.cpp: programmable shaders, state blocks, patches, vertex processing.
  HRESULT BeginStateBlock() override;
  HRESULT EndStateBlock(DWORD* pToken) override;
  HRESULT ApplyStateBlock(DWORD Token) override;
  HRESULT CaptureStateBlock(DWORD Token) override;
  HRESULT DeleteStateBlock(DWORD Token) override;
  HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE Type, DWORD* pToken) override;
  HRESULT ProcessVertices(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                          IDirect3DVertexBuffer8* pDestBuffer, DWORD Flags) override;
  HRESULT CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction, DWORD* pHandle,
                             DWORD Usage) override;
  HRESULT DeleteVertexShader(DWORD Handle) override;
  HRESULT SetVertexShaderConstant(DWORD Register, const void* pConstantData, DWORD ConstantCount) override;
  HRESULT GetVertexShaderConstant(DWORD Register, void* pConstantData, DWORD ConstantCount) override;
  HRESULT GetVertexShaderDeclaration(DWORD Handle, void* pData, DWORD* pSizeOfData) override;
  HRESULT GetVertexShaderFunction(DWORD Handle, void* pData, DWORD* pSizeOfData) override;
  HRESULT CreatePixelShader(const DWORD* pFunction, DWORD* pHandle) override;
  HRESULT SetPixelShader(DWORD Handle) override;
  HRESULT GetPixelShader(DWORD* pHandle) override;
  HRESULT DeletePixelShader(DWORD Handle) override;
  HRESULT SetPixelShaderConstant(DWORD Register, const void* pConstantData, DWORD ConstantCount) override;
  HRESULT GetPixelShaderConstant(DWORD Register, void* pConstantData, DWORD ConstantCount) override;
  HRESULT GetPixelShaderFunction(DWORD Handle, void* pData, DWORD* pSizeOfData) override;
  HRESULT DrawRectPatch(UINT Handle, const float* pNumSegs, const D3DRECTPATCH_INFO* pRectPatchInfo) override;
  HRESULT DrawTriPatch(UINT Handle, const float* pNumSegs, const D3DTRIPATCH_INFO* pTriPatchInfo) override;
  HRESULT DeletePatch(UINT Handle) override;

  // Records the call on the trace and reports a failure on the debug channel.
  HRESULT finish(const char* method, HRESULT hr, TraceArgs& args);
  HRESULT finish(const char* method, HRESULT hr);

 private:
  ~Device();
  void releaseBindings();
  HRESULT validateTextureRequest(D3DRESOURCETYPE type, UINT width, UINT height, UINT depth, UINT levels,
                                 DWORD usage, D3DFORMAT format, D3DPOOL pool);
  HRESULT copyRects(IDirect3DSurface8* src, const RECT* rects, UINT count, IDirect3DSurface8* dst,
                    const POINT* points);
  HRESULT updateTexture(IDirect3DBaseTexture8* src, IDirect3DBaseTexture8* dst);
  HRESULT createStandaloneSurface(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                                  bool lockable, IDirect3DSurface8** out);
  HRESULT checkDrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount);
  HRESULT checkIndices(const void* indices, D3DFORMAT format, uint64_t count, uint64_t lowest, uint64_t end);
  void resetStreamZero();

  Direct3D* direct3D_;
  const DeviceProfile* profile_;
  D3DDEVTYPE type_;
  HWND window_;
  DWORD behavior_;
  D3DPRESENT_PARAMETERS present_;
  ULONG refs_ = 1;
  ULONG children_ = 0;
  bool inScene_ = false;
  BOOL cursorShown_ = FALSE;
  DeviceState state_;
  std::map<UINT, std::array<PALETTEENTRY, 256>> palettes_;
  D3DGAMMARAMP gamma_{};
  std::unique_ptr<Surface> backBuffer_;
  std::unique_ptr<Surface> depthStencil_;
  std::unique_ptr<Renderer> renderer_;
  RenderState renderState_;
  TextureView textureViews_[kRenderStages];
  BufferView streamView_;
  BufferView indexView_;
};

// Makes the renderer of a new device; the default draws with OpenGL. Tests may install another.
using RendererFactory = std::unique_ptr<Renderer> (*)(const RendererConfig& config);
void setRendererFactory(RendererFactory factory);  // null restores the default
RendererFactory rendererFactory();

// Vertices (or indices) that primitiveCount primitives of that type take; 0 for an unknown type.
uint64_t primitiveVertexCount(D3DPRIMITIVETYPE type, UINT primitiveCount);

// Our device behind an interface pointer, or null for an object of another origin.
Device* asDevice(IDirect3DDevice8* device);

}  // namespace zentu
