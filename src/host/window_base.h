// One window procedure for the shell's windows: it attaches the C++ object at WM_NCCREATE, hands
// every message to its handle(), and answers the messages both windows share (their controls'
// notices, drawing and cursors, the keyboard's focus, Esc and Enter). A failure inside is dropped
// by the program's one error policy, skipOnError, which leaves a trace for a debugger.
#pragma once

#include <windows.h>

#include "base/runtime.h"
#include "host/control_set.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

// Registers a window class once per process; a second registration fails harmlessly.
inline void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                UINT style = 0, HBRUSH background = nullptr) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = style;
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = background;
  cls.lpszClassName = name;
  RegisterClassExW(&cls);
}

// Derived provides handle(), which passes what is not its own to handleShared(); handCursor(),
// the cursor over hot spots and links; and onCancel(), for Esc.
template <class Derived>
class WindowBase {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  WindowBase() = default;
  // The window may outlive its object (the program ends without destroying it): a message that
  // comes late finds nothing rather than the freed object.
  ~WindowBase() {
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  }
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

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

  LRESULT handleShared(UINT message, WPARAM wParam, LPARAM lParam) {
    Derived& self = static_cast<Derived&>(*this);
    switch (message) {
      case WM_COMMAND:
        if (lParam)
          controls_.command(LOWORD(wParam), HIWORD(wParam));
        else if (LOWORD(wParam) == IDCANCEL)  // Esc, from the keyboard's navigation
          self.onCancel();
        else if (LOWORD(wParam) == IDOK)  // Enter
          controls_.pressFocused();
        return 0;
      case WM_NOTIFY:
        return controls_.notify(*reinterpret_cast<const NMHDR*>(lParam));
      case WM_DRAWITEM:
        controls_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_SETCURSOR:
        if (!controls_.wantsHand(reinterpret_cast<HWND>(wParam))) break;
        SetCursor(self.handCursor());
        return TRUE;
      case WM_ACTIVATE:
        // Made active while a modal box of its own is open (a second start's request, say): the
        // keys the user types next belong to the box, once this activation is over.
        if (LOWORD(wParam) != WA_INACTIVE && !IsWindowEnabled(hwnd_))
          controls_.later([window = hwnd_] { activateModalBoxOf(window); });
        if (takeFocus(wParam)) return 0;
        break;
      case WM_WINDOWPOSCHANGED:
        // Shown again (from the tray): the keyboard starts at the first control, wherever the
        // mouse left it; now, where the window never stopped being the active one.
        if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) {
          focus_ = nullptr;
          if (GetActiveWindow() == hwnd_) takeFocus(WA_ACTIVE);
        }
        break;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  ControlSet controls_;
  HWND hwnd_ = nullptr;

 private:
  // As dialog boxes do: the focus goes back to the control that had it when the window was last
  // active, or to the first that takes it; never to the window itself, where a key would do
  // nothing. False where the default handling of WM_ACTIVATE should run.
  bool takeFocus(WPARAM activation) {
    if (LOWORD(activation) == WA_INACTIVE) {
      if (const HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) focus_ = focus;
      return false;
    }
    if (HIWORD(activation)) return false;  // minimised
    if (!focus_ || !IsChild(hwnd_, focus_)) focus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (!focus_) return false;
    SetFocus(focus_);
    return true;
  }

  HWND focus_ = nullptr;
};

}  // namespace tarnwick::win32
