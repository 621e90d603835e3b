// The notification-area icon as one object: it owns its record, its picture and whether it is
// shown; it adds, changes and removes it for the core, and answers by itself the messages that
// concern the icon alone: a new taskbar (Explorer restarted), a change of density or settings.
#pragma once

#include <windows.h>
// After <windows.h>.
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class TrayIcon {
 public:
  explicit TrayIcon(HINSTANCE instance);
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION or NIM_SETFOCUS with the core's record.
  bool notify(uint32_t message, const NotifyIconData& data);
  // Answers a message of the window's that concerns the icon; true when it was the icon's alone.
  bool answer(UINT message);
  UINT taskbarCreated() const { return taskbarCreated_; }

 private:
  // The picture at the density of the taskbar's monitor, which need not be the window's.
  void followTaskbar();
  bool remove();
  static constexpr DWORD kRemoveWaitMs = 500;

  HINSTANCE instance_;
  UINT taskbarCreated_, dpi_ = 0;
  NOTIFYICONDATAW nid_{};
  Icon icon_;
  bool shown_ = false;  // added, and not removed since
};

}  // namespace tarnwick::win32
