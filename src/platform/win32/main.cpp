#include <windows.h>
#include <commctrl.h>

#include "app/frmMain.h"
#include "platform/win32/main_window.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  tarnwick::win32::Win32Platform platform;
  tarnwick::frmMain core(platform);
  tarnwick::win32::MainWindow window(instance, core);
  if (!window.create()) return 1;
  platform.setDialogWindow(window.hwnd());
  platform.setResources(instance, window.icon());
  window.loadAndShow();
  return platform.runMessageLoop();
}
