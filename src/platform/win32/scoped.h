// RAII owners for the handles and GDI objects the shell creates.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace tarnwick::win32 {

struct GdiDeleter {
  void operator()(void* object) const noexcept {
    if (object) DeleteObject(static_cast<HGDIOBJ>(object));
  }
};
template <class H>
using Gdi = std::unique_ptr<std::remove_pointer_t<H>, GdiDeleter>;
using Font = Gdi<HFONT>;
using Brush = Gdi<HBRUSH>;
using Pen = Gdi<HPEN>;

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct IconDestroyer {
  void operator()(HICON icon) const noexcept {
    if (icon) DestroyIcon(icon);
  }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct CursorDestroyer {
  void operator()(HCURSOR cursor) const noexcept {
    if (cursor) DestroyCursor(cursor);
  }
};
using Cursor = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDestroyer>;

struct MenuDestroyer {
  void operator()(HMENU menu) const noexcept {
    if (menu) DestroyMenu(menu);
  }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A window's painting, BeginPaint to EndPaint, whatever happens between.
class Painting {
 public:
  explicit Painting(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~Painting() { EndPaint(window_, &paint_); }
  Painting(const Painting&) = delete;
  Painting& operator=(const Painting&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

// Selects an object into a DC for one scope and puts the previous one back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, previous_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace tarnwick::win32
