// The real main window: one child control per placed model, the skin, the timers, and the
// translation of Windows messages into calls of the core's handlers.
#pragma once

#include <windows.h>

#include <map>
#include <tuple>
#include <vector>

#include "app/frmMain.h"
#include "platform/win32/scoped.h"
#include "platform/win32/skin.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kMainClass[] = L"TarnwickMain";

class MainWindow {
 public:
  MainWindow(HINSTANCE instance, frmMain& core);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, with its controls bound to the core's models.
  bool create();
  HWND hwnd() const { return hwnd_; }
  // Runs the core's load handler, then shows the window centred on its monitor.
  void loadAndShow();

 private:
  struct Child {
    Placement placement;
    HWND hwnd = nullptr;
  };

  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK panelProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  void createChildren();
  void applyDpi(UINT dpi);
  void bindModels();
  void bindTimer(UINT_PTR id, forms::Timer& timer);
  Child* childById(int id);
  Child* childByHwnd(HWND hwnd);
  HFONT font(const FontSpec& wanted);

  void onCommand(int id, int code);
  LRESULT onNotify(const NMHDR& header);
  void onDrawItem(const DRAWITEMSTRUCT& item);
  void onSize(WPARAM kind);
  void onMove();

  HINSTANCE instance_;
  frmMain& core_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  std::vector<Child> children_;
  std::map<UINT_PTR, forms::Timer*> timers_;
  std::map<std::tuple<std::string, int, bool, UINT>, Font> fonts_;
  Skin skin_;
  Icon icon_, smallIcon_;
  HCURSOR hotSpotCursor_ = nullptr;
};

}  // namespace tarnwick::win32
