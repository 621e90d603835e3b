#include "platform/win32/about_window.h"

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/scoped.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {
AboutWindow::AboutWindow(HINSTANCE instance, frmAbout& core, HICON icon)
    : instance_(instance), core_(core), icon_(icon) {}

AboutWindow::~AboutWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void AboutWindow::runModal(HWND owner) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = windowProc;
  cls.hInstance = instance_;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kAboutClass;
  RegisterClassExW(&cls);

  callCore([&] { core_.Form_Load(); });
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  CreateWindowExW(exStyle, kAboutClass, widen(core_.form.caption).c_str(), style, 0, 0, 0, 0, owner,
                  nullptr, instance_, this);
  if (!hwnd_) return;
  core_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);
  core_.form.view = [this] {
    if (core_.form.unloaded()) PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop below
  };

  dpi_ = dpiOf(owner);
  controls_.create(hwnd_, instance_, core_.layout(), icon_);
  controls_.applyDpi(dpi_);
  controls_.bind();
  if (ControlSet::Child* site = controls_.byId(kIdAboutSite)) {
    FontSpec link = site->placement.font;
    link.underline = true;
    SendMessageW(site->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(controls_.font(link)), TRUE);
  }

  // The client area of the design, centred over the owner.
  RECT frame{0, 0, twipsToPixels(kAboutWidthTwips, dpi_), twipsToPixels(kAboutHeightTwips, dpi_)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  RECT over;
  GetWindowRect(owner, &over);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(hwnd_, nullptr, (over.left + over.right - width) / 2,
               (over.top + over.bottom - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  if (ControlSet::Child* ok = controls_.byId(kIdAboutOK)) SetFocus(ok->hwnd);
  MSG msg;
  while (!core_.form.unloaded()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      break;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The owner first, so that activation returns to it and not to another application.
  EnableWindow(owner, TRUE);
  SetActiveWindow(owner);
  DestroyWindow(hwnd_);
}

LRESULT AboutWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      // The separator: a grey line over a white one.
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(hwnd_, &ps);
      const int right = twipsToPixels(5654, dpi_);
      Pen grey(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
      Pen white(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
      {
        Selected pen(dc, white.get());
        const int y = twipsToPixels(1980, dpi_);
        MoveToEx(dc, twipsToPixels(105, dpi_), y, nullptr);
        LineTo(dc, right, y);
      }
      {
        Selected pen(dc, grey.get());
        const int y = twipsToPixels(1965, dpi_);
        MoveToEx(dc, twipsToPixels(90, dpi_), y, nullptr);
        LineTo(dc, right, y);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      const ControlSet::Child* child = controls_.byHwnd(control);
      if (child && std::holds_alternative<Link>(child->placement.model))
        SetTextColor(dc, RGB(0, 82, 164));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (controls_.wantsHand(reinterpret_cast<HWND>(wParam))) {
        SetCursor(LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_HOTSPOT)));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      // Esc and the close box act as OK does.
      if (LOWORD(wParam) == IDCANCEL) {
        callCore([&] { core_.cmdOK_Click(); });
        return 0;
      }
      if (lParam) callCore([&] { controls_.command(LOWORD(wParam), HIWORD(wParam)); });
      return 0;
    case WM_CLOSE:
      callCore([&] { core_.cmdOK_Click(); });
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tarnwick::win32
