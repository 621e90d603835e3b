// The real main window: the skin and the controls, turning Windows messages into calls of the
// core's handlers. Made hidden; its controls, pictures and skin come when it is first shown, so
// that a start into the tray pays for none of them.
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

inline constexpr wchar_t kMainClass[] = L"TarnwickMain";

class MainWindow : public WindowBase<MainWindow> {
 public:
  MainWindow(Win32Platform& platform, frmMain& core) : platform_(platform), core_(core) {}

  // Creates the window hidden, at the design's size.
  bool create();
  // Runs the core's load handler, then shows the window centred on its monitor, or puts it into
  // the tray as it was started to.
  void loadAndShow();

 private:
  friend class WindowBase<MainWindow>;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  HCURSOR handCursor();
  void onCancel() { core_.Form_KeyDown(win::kVbKeyEscape, 0); }

  // The form's view: the window shown or hidden as the core says, its controls made the first
  // time it is shown and drawn with it in one step.
  void onView();
  void makeControls();
  void drawHotSpot(const DRAWITEMSTRUCT& item);
  // Fonts, controls, icons, cursor and skin for a new density.
  void applyDpi(UINT dpi);
  // The window's icon and the hot spots' cursor at the density the window is at.
  void loadIcons();
  // The skin at that density.
  void renderSkin();
  void onPaint();
  LRESULT onControlColour(HDC dc);
  void onMouseDown(UINT message);
  void onSize(WPARAM kind);
  void onMove();
  void onDpiChanged(UINT dpi, const RECT& suggested);
  void onColoursChanged();
  void onClose();
  void onEndSession(WPARAM ending);

  Win32Platform& platform_;
  frmMain& core_;
  UINT dpi_ = 96;
  std::vector<Placement> layout_;
  FontCache fonts_;
  Skin skin_;
  std::wstring title_, version_;
  Icon icon_;
  Cursor hand_;
};

}  // namespace tarnwick::win32
