#include "host/dialog_window.h"

#include "host/skin.h"
#include "platform/win32/text.h"
#include "platform/win32/system_library.h"

namespace tarnwick::win32 {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

POINT centreOf(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Hot-tracking colour is a theme's choice and some themes make it near the face colour, so links
// keep a blue of their own that reads on the face, except under high contrast.
COLORREF linkColour() {
  if (highContrast()) return GetSysColor(COLOR_HOTLIGHT);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int light = GetRValue(face) * 299 + GetGValue(face) * 587 + GetBValue(face) * 114;
  return light < 128 * 1000 ? RGB(128, 184, 255) : RGB(0, 82, 164);
}

}  // namespace

void DialogWindow::applyDpi(UINT dpi, POINT centre) {
  const TwipsRect client = dialog_.clientTwips();
  RECT frame{0, 0, twipsToPixels(client.width, dpi), twipsToPixels(client.height, dpi)};
  // The caption's height at this density, where the system can tell it.
  using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = findCall<ForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&frame, kStyle, FALSE, kExStyle, dpi))
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(hwnd_, nullptr, centre.x - width / 2, centre.y - height / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::runModal(HWND owner) {
  registerWindowClass(instance_, kDialogClass, windowProc, 0,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  skipOnError([&] { dialog_.Form_Load(); });
  CreateWindowExW(kExStyle, kDialogClass, widen(dialog_.form.caption).c_str(), kStyle, 0, 0, 0, 0,
                  owner, nullptr, instance_, this);
  if (!hwnd_) return;
  dialog_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);
  dialog_.form.view = [this] {
    if (dialog_.form.unloaded()) PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop below
  };
  const UINT dpi = dpiOf(owner);
  controls_.create(hwnd_, instance_, platform_, dialog_.layout(), dpi, fonts_);
  controls_.bind();
  RECT over;
  GetWindowRect(owner, &over);
  applyDpi(dpi, centreOf(over));

  // Another box may hold the owner disabled already (the refusal to close): it stays so.
  const bool ownerWasDisabled = EnableWindow(owner, FALSE);
  // Not ShowWindow, which the first time would show it as whoever started the program asked.
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  controls_.show();
  SetFocus(GetDlgItem(hwnd_, IDOK));
  runMessageLoop(hwnd_, [this] { return dialog_.form.unloaded(); });
  // Ending, the box goes with the process; this object lets go of it first (~WindowBase).
  if (programEnding()) return;
  // The owner first, so that activation returns to it and not to another application.
  if (!ownerWasDisabled) EnableWindow(owner, TRUE);
  SetActiveWindow(owner);
  DestroyWindow(hwnd_);
}

LRESULT DialogWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, controls_.isLink(reinterpret_cast<HWND>(lParam))
                           ? linkColour()
                           : GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      dialog_.Cancel();
      return 0;
    case WM_DPICHANGED: {
      // Sized from the design, not from the suggestion, which scales a size already scaled.
      applyDpi(HIWORD(wParam), centreOf(*reinterpret_cast<const RECT*>(lParam)));
      controls_.applyDpi(HIWORD(wParam), fonts_);
      return 0;
    }
    default:
      break;
  }
  return handleShared(message, wParam, lParam);
}

}  // namespace tarnwick::win32
