// The notification-area icon as one object: it owns its record and its icon, adds, changes
// and removes it for the core, and sends it again at a new density.
#pragma once

#include <windows.h>
// After <windows.h>.
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class TrayIcon {
 public:
  explicit TrayIcon(HINSTANCE instance) : instance_(instance) {}
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // NIM_ADD, NIM_MODIFY or NIM_DELETE with the core's record. The picture is the program's
  // icon at the size the density asks for, whatever handle the record names.
  bool notify(uint32_t message, const NotifyIconData& data);
  // The icon at the density of the taskbar's monitor, which need not be the window's.
  void followTaskbar();

 private:
  void setDpi(UINT dpi);
  bool remove();
  static constexpr DWORD kRemoveWaitMs = 500;

  HINSTANCE instance_;
  UINT dpi_ = 0;
  NOTIFYICONDATAW nid_{};
  Icon icon_;
  bool shown_ = false;
};

}  // namespace tarnwick::win32
