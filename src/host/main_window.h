// The real main window: the skin, the controls, the timers and the tray callback, turning
// Windows messages into calls of the core's handlers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/frmMain.h"
#include "host/control_set.h"
#include "host/fonts.h"
#include "platform/win32/dpi.h"
#include "platform/win32/scoped.h"
#include "host/skin.h"
#include "platform/win32/win32_platform.h"
#include "host/window_base.h"

namespace tarnwick::win32 {

class MainWindow : public WindowBase<MainWindow> {
 public:
  MainWindow(Win32Platform& platform, frmMain& core) : platform_(platform), core_(core) {}
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, with its controls bound to the core's models.
  bool create();
  // Runs the core's load handler, then shows the window centred on its monitor.
  void loadAndShow();

 private:
  friend class WindowBase<MainWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  // Fonts, controls, icons, cursor and skin for a new density.
  void applyDpi(UINT dpi);
  // The window's icons and the hot spots' cursor at the density the window is at.
  void loadIcons();
  // The skin at that density while the window is shown; let go while it is put away.
  void renderSkin();
  void bindForm();
  void bindTimer(forms::Timer& timer);
  void onSize(WPARAM kind);
  void onMove();

  Win32Platform& platform_;
  frmMain& core_;
  UINT dpi_ = 96;
  UINT taskbarCreated_ = 0, showWindow_ = 0;
  HWND focus_ = nullptr;  // the control that had the focus when the window was last active
  std::vector<Placement> layout_;
  ControlSet controls_;
  FontCache fonts_;
  // Whether one of the core's timers is due to tick.
  bool timerDue() const;

  struct Bound {
    forms::Timer* timer;
    uint64_t ticked;  // when it last ticked or was set
  };
  std::vector<Bound> timers_;  // timer id i + 1
  Skin skin_;
  std::wstring title_, version_;
  Icon icon_;
  Cursor hand_;
};

}  // namespace tarnwick::win32
