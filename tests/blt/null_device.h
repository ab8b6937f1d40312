// A device whose every operation answers E_NOTIMPL (or 0): tests derive from it and override the few
// operations a test needs.
#pragma once

#include "zentu/d3d8.h"

namespace zentu::test {

struct NullDevice : IDirect3DDevice8 {
  HRESULT TestCooperativeLevel() override { return E_NOTIMPL; }
  UINT GetAvailableTextureMem() override { return 0; }
  HRESULT ResourceManagerDiscardBytes(DWORD) override { return E_NOTIMPL; }
  HRESULT GetDirect3D(IDirect3D8**) override { return E_NOTIMPL; }
  HRESULT GetDeviceCaps(D3DCAPS8*) override { return E_NOTIMPL; }
  HRESULT GetDisplayMode(D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override { return E_NOTIMPL; }
  HRESULT SetCursorProperties(UINT, UINT, IDirect3DSurface8*) override { return E_NOTIMPL; }
  void SetCursorPosition(int, int, DWORD) override {}
  BOOL ShowCursor(BOOL) override { return 0; }
  HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8**) override {
    return E_NOTIMPL;
  }
  HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return E_NOTIMPL; }
  HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override { return E_NOTIMPL; }
  HRESULT GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override { return E_NOTIMPL; }
  HRESULT GetRasterStatus(D3DRASTER_STATUS*) override { return E_NOTIMPL; }
  void SetGammaRamp(DWORD, const D3DGAMMARAMP*) override {}
  void GetGammaRamp(D3DGAMMARAMP*) override {}
  HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                              IDirect3DVolumeTexture8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL, IDirect3DSurface8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE,
                                    IDirect3DSurface8**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) override { return E_NOTIMPL; }
  HRESULT CopyRects(IDirect3DSurface8*, const RECT*, UINT, IDirect3DSurface8*, const POINT*) override {
    return E_NOTIMPL;
  }
  HRESULT UpdateTexture(IDirect3DBaseTexture8*, IDirect3DBaseTexture8*) override { return E_NOTIMPL; }
  HRESULT GetFrontBuffer(IDirect3DSurface8*) override { return E_NOTIMPL; }
  HRESULT SetRenderTarget(IDirect3DSurface8*, IDirect3DSurface8*) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(IDirect3DSurface8**) override { return E_NOTIMPL; }
  HRESULT GetDepthStencilSurface(IDirect3DSurface8**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override { return E_NOTIMPL; }
  HRESULT EndScene() override { return E_NOTIMPL; }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return E_NOTIMPL; }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetViewport(const D3DVIEWPORT8*) override { return E_NOTIMPL; }
  HRESULT GetViewport(D3DVIEWPORT8*) override { return E_NOTIMPL; }
  HRESULT SetMaterial(const D3DMATERIAL8*) override { return E_NOTIMPL; }
  HRESULT GetMaterial(D3DMATERIAL8*) override { return E_NOTIMPL; }
  HRESULT SetLight(DWORD, const D3DLIGHT8*) override { return E_NOTIMPL; }
  HRESULT GetLight(DWORD, D3DLIGHT8*) override { return E_NOTIMPL; }
  HRESULT LightEnable(DWORD, BOOL) override { return E_NOTIMPL; }
  HRESULT GetLightEnable(DWORD, BOOL*) override { return E_NOTIMPL; }
  HRESULT SetClipPlane(DWORD, const float*) override { return E_NOTIMPL; }
  HRESULT GetClipPlane(DWORD, float*) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT BeginStateBlock() override { return E_NOTIMPL; }
  HRESULT EndStateBlock(DWORD*) override { return E_NOTIMPL; }
  HRESULT ApplyStateBlock(DWORD) override { return E_NOTIMPL; }
  HRESULT CaptureStateBlock(DWORD) override { return E_NOTIMPL; }
  HRESULT DeleteStateBlock(DWORD) override { return E_NOTIMPL; }
  HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetClipStatus(const D3DCLIPSTATUS8*) override { return E_NOTIMPL; }
  HRESULT GetClipStatus(D3DCLIPSTATUS8*) override { return E_NOTIMPL; }
  HRESULT GetTexture(DWORD, IDirect3DBaseTexture8**) override { return E_NOTIMPL; }
  HRESULT SetTexture(DWORD, IDirect3DBaseTexture8*) override { return E_NOTIMPL; }
  HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT ValidateDevice(DWORD*) override { return E_NOTIMPL; }
  HRESULT GetInfo(DWORD, void*, DWORD) override { return E_NOTIMPL; }
  HRESULT SetPaletteEntries(UINT, const PALETTEENTRY*) override { return E_NOTIMPL; }
  HRESULT GetPaletteEntries(UINT, PALETTEENTRY*) override { return E_NOTIMPL; }
  HRESULT SetCurrentTexturePalette(UINT) override { return E_NOTIMPL; }
  HRESULT GetCurrentTexturePalette(UINT*) override { return E_NOTIMPL; }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return E_NOTIMPL; }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                 UINT) override {
    return E_NOTIMPL;
  }
  HRESULT ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) override { return E_NOTIMPL; }
  HRESULT CreateVertexShader(const DWORD*, const DWORD*, DWORD*, DWORD) override { return E_NOTIMPL; }
  HRESULT SetVertexShader(DWORD) override { return E_NOTIMPL; }
  HRESULT GetVertexShader(DWORD*) override { return E_NOTIMPL; }
  HRESULT DeleteVertexShader(DWORD) override { return E_NOTIMPL; }
  HRESULT SetVertexShaderConstant(DWORD, const void*, DWORD) override { return E_NOTIMPL; }
  HRESULT GetVertexShaderConstant(DWORD, void*, DWORD) override { return E_NOTIMPL; }
  HRESULT GetVertexShaderDeclaration(DWORD, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT GetVertexShaderFunction(DWORD, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override { return E_NOTIMPL; }
  HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer8**, UINT*) override { return E_NOTIMPL; }
  HRESULT SetIndices(IDirect3DIndexBuffer8*, UINT) override { return E_NOTIMPL; }
  HRESULT GetIndices(IDirect3DIndexBuffer8**, UINT*) override { return E_NOTIMPL; }
  HRESULT CreatePixelShader(const DWORD*, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetPixelShader(DWORD) override { return E_NOTIMPL; }
  HRESULT GetPixelShader(DWORD*) override { return E_NOTIMPL; }
  HRESULT DeletePixelShader(DWORD) override { return E_NOTIMPL; }
  HRESULT SetPixelShaderConstant(DWORD, const void*, DWORD) override { return E_NOTIMPL; }
  HRESULT GetPixelShaderConstant(DWORD, void*, DWORD) override { return E_NOTIMPL; }
  HRESULT GetPixelShaderFunction(DWORD, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) override { return E_NOTIMPL; }
  HRESULT DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) override { return E_NOTIMPL; }
  HRESULT DeletePatch(UINT) override { return E_NOTIMPL; }
};

}  // namespace zentu::test
