#include "platform/win32/dpi.h"

#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

UINT dpiOf(HWND window) {
  // GetDpiForWindow exists from Windows 10 1607 on; older systems have one DPI for all.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  WindowDC screen(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace tarnwick::win32
