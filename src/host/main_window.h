// The real main window: the skin, the controls, the timers and the tray callback, turning
// Windows messages into calls of the core's handlers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/frmMain.h"
#include "host/fonts.h"
#include "host/skin.h"
#include "host/window_base.h"
#include "platform/win32/dpi.h"
#include "platform/win32/scoped.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

class MainWindow : public WindowBase<MainWindow> {
 public:
  MainWindow(Win32Platform& platform, frmMain& core) : platform_(platform), core_(core) {}

  // Creates the window hidden, with its controls bound to the core's models.
  bool create();
  // Runs the core's load handler, then shows the window centred on its monitor, or puts it into
  // the tray as it was started to.
  void loadAndShow();

 private:
  friend class WindowBase<MainWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  HCURSOR handCursor();
  void onCancel() { core_.Form_KeyDown(win::kVbKeyEscape, 0); }

  // Fonts, controls, icons, cursor and skin for a new density.
  void applyDpi(UINT dpi);
  // The window's icon and the hot spots' cursor at the density the window is at.
  void loadIcons();
  // The skin at that density.
  void renderSkin();
  void bindForm();
  void bindTimer(forms::Timer& timer);
  void onSize(WPARAM kind);
  void onMove();
  void onDpiChanged(UINT dpi, const RECT& suggested);

  Win32Platform& platform_;
  frmMain& core_;
  UINT dpi_ = 96;
  UINT showWindow_ = 0;
  std::vector<Placement> layout_;
  FontCache fonts_;
  std::vector<forms::Timer*> timers_;  // timer id i + 1
  Skin skin_;
  std::wstring title_, version_;
  Icon icon_;
  Cursor hand_;
};

}  // namespace tarnwick::win32
