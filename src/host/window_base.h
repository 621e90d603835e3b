// One window procedure for the shell's windows: it attaches the C++ object at WM_NCCREATE and
// hands every message to its handle(). A failure inside is dropped by the program's one error
// policy, skipOnError, which leaves a trace for a debugger.
#pragma once

#include <windows.h>

#include "base/runtime.h"

namespace tarnwick::win32 {

// Registers a window class once per process; a second registration fails harmlessly.
inline void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                UINT style = 0, HBRUSH background = nullptr, HICON icon = nullptr,
                                HICON smallIcon = nullptr) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = style;
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hIcon = icon;
  cls.hIconSm = smallIcon;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = background;
  cls.lpszClassName = name;
  RegisterClassExW(&cls);
}

// Puts the keyboard focus back on the control that had it when the window was last active, as
// dialog boxes do; false where the default handling of WM_ACTIVATE should run.
inline bool restoreFocus(HWND window, WPARAM activation, HWND& remembered) {
  if (LOWORD(activation) == WA_INACTIVE) {
    if (const HWND focus = GetFocus(); focus && IsChild(window, focus)) remembered = focus;
    return false;
  }
  if (HIWORD(activation) || !remembered || !IsChild(window, remembered)) return false;
  SetFocus(remembered);
  return true;
}

template <class Derived>
class WindowBase {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self;
    if (message == WM_NCCREATE) {
      self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    skipOnError([&] { result = self->handle(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return result;
  }

  HWND hwnd_ = nullptr;
};

}  // namespace tarnwick::win32
