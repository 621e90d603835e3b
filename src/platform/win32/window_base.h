// One window procedure for the shell's windows: it attaches the C++ object at WM_NCCREATE,
// hands every message to its handle(), and never lets an exception out.
#pragma once

#include <windows.h>

namespace tarnwick::win32 {

// Runs a call into the core; a failing handler just ends where it failed.
template <class F>
void callCore(F&& f) noexcept {
  try {
    f();
  } catch (...) {
  }
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
    try {
      result = self->handle(message, wParam, lParam);
    } catch (...) {
    }
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return result;
  }

  HWND hwnd_ = nullptr;
};

}  // namespace tarnwick::win32
