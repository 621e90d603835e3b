// Window services the core calls: drawing held off, the drag, raising, the popup menu, the
// screen's extent.
#include "forms/layout.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

bool Win32Platform::setRedraw(OsHandle window, bool redraw) {
  const HWND target = as<HWND>(window);
  if (!IsWindow(target)) return false;
  SendMessageW(target, WM_SETREDRAW, redraw, 0);
  if (redraw) RedrawWindow(target, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
  return true;
}

bool Win32Platform::releaseCapture() {
  return ReleaseCapture();
}

intptr_t Win32Platform::sendMessage(OsHandle target, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  return SendMessageW(as<HWND>(target), message, wParam, lParam);
}

bool Win32Platform::setWindowPos(OsHandle target, OsHandle insertAfter, int x, int y, int cx,
                                 int cy, uint32_t flags) {
  return SetWindowPos(as<HWND>(target), as<HWND>(insertAfter), x, y, cx, cy, flags);
}

void Win32Platform::activateWindow(OsHandle target) {
  SetForegroundWindow(as<HWND>(target));
  SetFocus(as<HWND>(target));
}

int Win32Platform::popupMenu(OsHandle owner, const std::vector<std::string>& captions) {
  const Menu menu(CreatePopupMenu());
  if (!menu) return -1;
  for (size_t i = 0; i < captions.size(); ++i) {
    if (captions[i] == "-")
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu.get(), MF_STRING, i + 1, widen(captions[i]).c_str());
  }
  POINT at;
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(as<HWND>(owner));
  const int chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0,
                                    as<HWND>(owner), nullptr);
  PostMessageW(as<HWND>(owner), WM_NULL, 0, 0);
  return chosen - 1;
}

ScreenRect Win32Platform::virtualScreen() {
  const UINT dpi = dpiOf(main_);
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {positionToTwips(left, dpi), positionToTwips(top, dpi),
          positionToTwips(left + GetSystemMetrics(SM_CXVIRTUALSCREEN), dpi),
          positionToTwips(top + GetSystemMetrics(SM_CYVIRTUALSCREEN), dpi)};
}

}  // namespace tarnwick::win32
