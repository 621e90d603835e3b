#include "platform/win32/dpi.h"

#include "platform/win32/system_library.h"

namespace tarnwick::win32 {
UINT dpiOf(HWND window) {
  static const auto forWindow = findCall<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  if (forWindow && window) {
    if (const UINT dpi = forWindow(window)) return dpi;
  }
  // Windows 8.1: per monitor, from the shell's scaling library.
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto forMonitor = findCall<ForMonitor>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (forMonitor && window &&
      SUCCEEDED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) && x)
    return x;
  WindowDC screen(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int metricFor(int index, UINT dpi) {
  static const auto forDpi =
      findCall<int(WINAPI*)(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi);
  WindowDC screen(nullptr);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), GetDeviceCaps(screen, LOGPIXELSY));
}

Icon loadIcon(HINSTANCE instance, int id, int size) {
  return Icon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

Cursor loadCursor(HINSTANCE instance, int id, UINT dpi) {
  const int size = metricFor(SM_CXCURSOR, dpi);
  return Cursor(static_cast<HCURSOR>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_CURSOR, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace tarnwick::win32
