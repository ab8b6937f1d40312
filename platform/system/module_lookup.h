// Module lookup: the stand-in for finding a system library and one of its entry points by name.
// The libraries are built in; "loading" one only marks it loaded. Names of modules compare without
// regard to case, as on the system the names come from; entry names compare exactly.
#pragma once

#include "zentu/wintypes.h"

// A generic entry point; cast it to the entry's own type before calling.
typedef void (*FARPROC)();

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L

// The module if it has been loaded already, else null (last error ERROR_MOD_NOT_FOUND).
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
// Loads a built-in module; null for an unknown or unavailable one (last error ERROR_MOD_NOT_FOUND).
// Modules are never freed.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
// The entry point, or null (last error ERROR_PROC_NOT_FOUND).
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// The calling thread's last error.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

namespace zentu {

// Test switch: while set, the named module cannot be found or loaded, even if loaded before.
void setModuleUnavailable(const char* moduleName, bool unavailable);

}  // namespace zentu
