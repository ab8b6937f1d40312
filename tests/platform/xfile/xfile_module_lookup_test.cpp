// Module lookup: the built-in reader is found as "d3dxof.dll"; unknown names and entries fail; the
// test switch makes the reader unavailable.
#include "platform/system/module_lookup.h"

#include <gtest/gtest.h>

#include "platform/xfile/xfile_internal.h"
#include "zentu/dxfile.h"

namespace zentu {
namespace {

using CreateFn = HRESULT (*)(IDirectXFile**);

TEST(ModuleLookup, FindsTheBuiltInReader) {
  HMODULE module = LoadLibraryA("D3DXOF.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetModuleHandleA("d3dxof.dll"), module);
  FARPROC proc = GetProcAddress(module, "DirectXFileCreate");
  ASSERT_NE(proc, nullptr);
  IDirectXFile* reader = nullptr;
  ASSERT_EQ(reinterpret_cast<CreateFn>(proc)(&reader), S_OK);
  ASSERT_NE(reader, nullptr);
  reader->Release();
  EXPECT_EQ(xfile::liveObjects(), 0);
}

TEST(ModuleLookup, UnknownNamesFail) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetModuleHandleA(nullptr), nullptr);
  HMODULE module = LoadLibraryA("d3dxof.dll");
  ASSERT_NE(module, nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(module, "directxfilecreate"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(nullptr, "DirectXFileCreate"), nullptr);
}

TEST(ModuleLookup, TestSwitchMakesTheReaderUnavailable) {
  ASSERT_NE(LoadLibraryA("d3dxof.dll"), nullptr);
  setModuleUnavailable("d3dxof.dll", true);
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleA("d3dxof.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA("d3dxof.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  setModuleUnavailable("d3dxof.dll", false);
  EXPECT_NE(GetModuleHandleA("d3dxof.dll"), nullptr);
}

}  // namespace
}  // namespace zentu
