// The shell's notification area as the platform reaches it: the core's icon record made a
// Windows one, on the platform's window, with the program's picture at the taskbar's density;
// a removal that waits for the shell a moment at most.
#pragma once

#include <windows.h>
// After <windows.h>.
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class NotifyArea {
 public:
  explicit NotifyArea(HINSTANCE instance) : instance_(instance) {}
  NotifyArea(const NotifyArea&) = delete;
  NotifyArea& operator=(const NotifyArea&) = delete;

  // The window the icon's events go to.
  void attach(HWND window) { window_ = window; }
  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION or NIM_SETFOCUS with the core's record.
  bool notify(uint32_t message, const NotifyIconData& data);
  // The picture at the density of the taskbar's monitor, which need not be the window's: after
  // a new taskbar, a change of density, settings or displays.
  void followTaskbar();

 private:
  bool remove(const NOTIFYICONDATAW& nid);
  static constexpr DWORD kRemoveWaitMs = 500;

  HINSTANCE instance_;
  HWND window_ = nullptr;
  UINT dpi_ = 0, id_ = 0;
  Icon icon_;
};

}  // namespace tarnwick::win32
