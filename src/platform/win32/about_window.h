// The About box's real window, shown modally over its owner.
#pragma once

#include <windows.h>

#include "about/frmAbout.h"
#include "platform/win32/control_set.h"
#include "platform/win32/window_base.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kAboutClass[] = L"TarnwickAbout";

class AboutWindow : public WindowBase<AboutWindow> {
 public:
  AboutWindow(HINSTANCE instance, frmAbout& core, HICON icon);
  ~AboutWindow();
  AboutWindow(const AboutWindow&) = delete;
  AboutWindow& operator=(const AboutWindow&) = delete;

  // Loads the dialog, shows it centred over `owner` with the owner disabled, and returns
  // once the dialog has been unloaded.
  void runModal(HWND owner);

 private:
  friend class WindowBase<AboutWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  frmAbout& core_;
  HICON icon_;
  UINT dpi_ = 96;
  ControlSet controls_;
};

}  // namespace tarnwick::win32
