// The built-in modules and their entry points.
#include "platform/system/module_lookup.h"

#include <strings.h>
#include <atomic>
#include <cstring>

#include "zentu/dxfile.h"

namespace zentu {
namespace {

struct Entry {
  const char* name;
  FARPROC address;
};

struct Module {
  const char* name;
  const Entry* entries;
  size_t entryCount;
  std::atomic<bool> loaded;
  std::atomic<bool> unavailable;
};

const Entry kXFileEntries[] = {
    {"DirectXFileCreate", reinterpret_cast<FARPROC>(&DirectXFileCreate)},
};

Module gModules[] = {
    {"d3dxof.dll", kXFileEntries, sizeof kXFileEntries / sizeof kXFileEntries[0], {false}, {false}},
};

thread_local DWORD tLastError = 0;

Module* findModule(const char* name) {
  if (!name) return nullptr;
  for (Module& m : gModules)
    if (strcasecmp(m.name, name) == 0) return &m;
  return nullptr;
}

Module* fromHandle(HMODULE handle) {
  for (Module& m : gModules)
    if (handle == static_cast<HMODULE>(&m)) return &m;
  return nullptr;
}

}  // namespace

void setModuleUnavailable(const char* moduleName, bool unavailable) {
  if (Module* m = findModule(moduleName)) m->unavailable = unavailable;
}

}  // namespace zentu

HMODULE GetModuleHandleA(LPCSTR name) {
  zentu::Module* m = zentu::findModule(name);
  if (!m || m->unavailable || !m->loaded) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return m;
}

HMODULE LoadLibraryA(LPCSTR name) {
  zentu::Module* m = zentu::findModule(name);
  if (!m || m->unavailable) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  m->loaded = true;
  return m;
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR name) {
  zentu::Module* m = zentu::fromHandle(handle);
  if (!m || !name) {
    SetLastError(m ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  for (size_t i = 0; i < m->entryCount; ++i)
    if (std::strcmp(m->entries[i].name, name) == 0) return m->entries[i].address;
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

DWORD GetLastError() {
  return zentu::tLastError;
}
void SetLastError(DWORD code) {
  zentu::tLastError = code;
}
