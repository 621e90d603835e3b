// The real main window: the skin, the controls, the timers and the tray callback, turning
// Windows messages into calls of the core's handlers.
#pragma once

#include <windows.h>

#include <map>

#include "app/frmMain.h"
#include "platform/win32/control_set.h"
#include "platform/win32/scoped.h"
#include "platform/win32/skin.h"
#include "platform/win32/window_base.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kMainClass[] = L"TarnwickMain";

class MainWindow : public WindowBase<MainWindow> {
 public:
  MainWindow(HINSTANCE instance, frmMain& core);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, with its controls bound to the core's models.
  bool create();
  HICON icon() const { return icon_.get(); }
  // Runs the core's load handler, then shows the window centred on its monitor.
  void loadAndShow();

 private:
  friend class WindowBase<MainWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  void applyDpi(UINT dpi);
  void bindForm();
  void bindTimer(UINT_PTR id, forms::Timer& timer);
  LRESULT onNotify(const NMHDR& header);
  void onSize(WPARAM kind);
  void onMove();

  HINSTANCE instance_;
  frmMain& core_;
  UINT dpi_ = 96;
  UINT taskbarCreated_ = 0;
  ControlSet controls_;
  std::map<UINT_PTR, forms::Timer*> timers_;
  Skin skin_;
  Icon icon_, smallIcon_;
  HCURSOR hand_ = nullptr;
};

}  // namespace tarnwick::win32
