// Libraries of the system's, from the system folder only, and calls found in them at run time.
#pragma once

#include <windows.h>

namespace tarnwick::win32 {

// A library of the system's, from the system folder by its full path, or as already loaded.
HMODULE loadSystemLibrary(const wchar_t* module);
// A call found at run time: one that newer systems have, or one of a library that only some
// actions need, so that start-up neither fails on older systems nor pays for the library.
FARPROC findCall(const wchar_t* module, const char* name);
template <class F>
F findCall(const wchar_t* module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(findCall(module, name)));
}

}  // namespace tarnwick::win32
