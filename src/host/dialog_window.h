// A dialog of the core (the About box) as a real window, shown modally over its owner.
#pragma once

#include <windows.h>

#include "forms/layout.h"
#include "host/fonts.h"
#include "host/window_base.h"
#include "platform/win32/dpi.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kDialogClass[] = L"TarnwickDialog";

class DialogWindow : public WindowBase<DialogWindow> {
 public:
  DialogWindow(Win32Platform& platform, Dialog& dialog)
      : platform_(platform), instance_(platform.instance()), dialog_(dialog) {}

  // Loads the dialog, shows it centred over `owner` with the owner disabled, and returns once
  // the dialog has been unloaded, or the program ends.
  void runModal(HWND owner);

 private:
  friend class WindowBase<DialogWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  HCURSOR handCursor() const { return LoadCursorW(nullptr, IDC_HAND); }
  void onCancel() { dialog_.Cancel(); }  // Esc and the close box
  // Sizes the window for the design's client area at `dpi`, centred on `centre`; the controls
  // follow the density apart.
  void applyDpi(UINT dpi, POINT centre);

  Win32Platform& platform_;
  HINSTANCE instance_;
  Dialog& dialog_;
  FontCache fonts_;
};

}  // namespace tarnwick::win32
