// The operating-system services of the core, on the real Win32 API.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace tarnwick::win32 {

class Win32Platform final : public Platform {
 public:
  MemoryStatus globalMemoryStatus() override;
  TimeOfDay localTime() override;
  void doEvents() override;

  // The window whose keyboard navigation the pump handles (Tab between controls).
  void setDialogWindow(HWND window) { dialog_ = window; }
  // The program's main loop; returns the exit code of WM_QUIT.
  int runMessageLoop();

 private:
  void dispatch(MSG& msg);
  HWND dialog_ = nullptr;
};

}  // namespace tarnwick::win32
