// A dialog of the core (the About box) as a real window, shown modally over its owner.
#pragma once

#include <windows.h>

#include "forms/layout.h"
#include "host/control_set.h"
#include "host/fonts.h"
#include "platform/win32/dpi.h"
#include "host/window_base.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kDialogClass[] = L"TarnwickDialog";

class DialogWindow : public WindowBase<DialogWindow> {
 public:
  DialogWindow(HINSTANCE instance, Dialog& dialog) : instance_(instance), dialog_(dialog) {}
  ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Loads the dialog, shows it centred over `owner` with the owner disabled, and returns once
  // the dialog has been unloaded.
  void runModal(HWND owner);

 private:
  friend class WindowBase<DialogWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  // Sizes the window for the design's client area at `dpi`, centred on `centre`; the controls
  // follow the density apart.
  void applyDpi(UINT dpi, POINT centre);

  HINSTANCE instance_;
  Dialog& dialog_;
  ControlSet controls_;
  FontCache fonts_;
  HWND focus_ = nullptr;  // the control that had the focus when the dialog was last active
};

}  // namespace tarnwick::win32
