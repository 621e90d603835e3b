#include "platform/win32/system_library.h"

namespace tarnwick::win32 {

HMODULE loadSystemLibrary(const wchar_t* module) {
  if (const HMODULE loaded = GetModuleHandleW(module)) return loaded;
  // From the system folder only, never from beside the exe or the current folder.
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (!length || length + lstrlenW(module) + 2 > MAX_PATH) return nullptr;
  lstrcatW(lstrcatW(path, L"\\"), module);
  return LoadLibraryW(path);
}

FARPROC findCall(const wchar_t* module, const char* name) {
  const HMODULE loaded = loadSystemLibrary(module);
  return loaded ? GetProcAddress(loaded, name) : nullptr;
}

}  // namespace tarnwick::win32
