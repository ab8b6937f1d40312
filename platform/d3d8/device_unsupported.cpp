// What the fixed-function device does not offer: programmable shaders, state blocks, patches
// and vertex processing into buffers. Each says so and fails cleanly.
#include "platform/d3d8/device.h"

namespace zentu {
namespace {
HRESULT notOffered(Device& d, const char* method) {
  setFailureReason("not offered by this device");
  return d.finish(method, E_NOTIMPL);
}
}  // namespace

HRESULT Device::BeginStateBlock() {
  return notOffered(*this, "BeginStateBlock");
}
HRESULT Device::EndStateBlock(DWORD*) {
  return notOffered(*this, "EndStateBlock");
}
HRESULT Device::ApplyStateBlock(DWORD) {
  return notOffered(*this, "ApplyStateBlock");
}
HRESULT Device::CaptureStateBlock(DWORD) {
  return notOffered(*this, "CaptureStateBlock");
}
HRESULT Device::DeleteStateBlock(DWORD) {
  return notOffered(*this, "DeleteStateBlock");
}
HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD*) {
  return notOffered(*this, "CreateStateBlock");
}
HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) {
  return notOffered(*this, "ProcessVertices");
}
HRESULT Device::CreateVertexShader(const DWORD*, const DWORD*, DWORD*, DWORD) {
  return notOffered(*this, "CreateVertexShader");
}
HRESULT Device::DeleteVertexShader(DWORD) {
  return notOffered(*this, "DeleteVertexShader");
}
HRESULT Device::SetVertexShaderConstant(DWORD, const void*, DWORD) {
  return notOffered(*this, "SetVertexShaderConstant");
}
HRESULT Device::GetVertexShaderConstant(DWORD, void*, DWORD) {
  return notOffered(*this, "GetVertexShaderConstant");
}
HRESULT Device::GetVertexShaderDeclaration(DWORD, void*, DWORD*) {
  return notOffered(*this, "GetVertexShaderDeclaration");
}
HRESULT Device::GetVertexShaderFunction(DWORD, void*, DWORD*) {
  return notOffered(*this, "GetVertexShaderFunction");
}
HRESULT Device::CreatePixelShader(const DWORD*, DWORD*) {
  return notOffered(*this, "CreatePixelShader");
}
HRESULT Device::SetPixelShader(DWORD Handle) {
  // 0 selects the fixed-function pixel pipeline, which is always in use.
  if (Handle == 0) return finish("SetPixelShader", D3D_OK, TraceArgs() << Handle);
  return notOffered(*this, "SetPixelShader");
}
HRESULT Device::GetPixelShader(DWORD* pHandle) {
  if (!pHandle) return finish("GetPixelShader", invalidCall("null handle"));
  *pHandle = 0;
  return finish("GetPixelShader", D3D_OK);
}
HRESULT Device::DeletePixelShader(DWORD) {
  return notOffered(*this, "DeletePixelShader");
}
HRESULT Device::SetPixelShaderConstant(DWORD, const void*, DWORD) {
  return notOffered(*this, "SetPixelShaderConstant");
}
HRESULT Device::GetPixelShaderConstant(DWORD, void*, DWORD) {
  return notOffered(*this, "GetPixelShaderConstant");
}
HRESULT Device::GetPixelShaderFunction(DWORD, void*, DWORD*) {
  return notOffered(*this, "GetPixelShaderFunction");
}
HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
  return notOffered(*this, "DrawRectPatch");
}
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) {
  return notOffered(*this, "DrawTriPatch");
}
HRESULT Device::DeletePatch(UINT) {
  return notOffered(*this, "DeletePatch");
}

}  // namespace zentu
