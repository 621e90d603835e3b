// The real child controls of one window, built from the core's placements and bound to its
// models: model changes are mirrored onto the controls, user input is fed back to the models.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "forms/layout.h"
#include "host/fonts.h"
#include "platform/win32/dpi.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

// A child control's notification, posted back to its window: wParam the control's id, lParam
// the notification code (for the up-down control, 1 up and 0 down).
inline constexpr UINT kControlNotice = WM_APP + 4;

class ControlSet {
 public:
  struct Child {
    Placement placement;
    HWND hwnd = nullptr;
  };

  // Creates one hidden child per placement, containers before their contents, placed and
  // dressed for `dpi`.
  void create(HWND parent, HINSTANCE instance, std::vector<Placement> placements, UINT dpi,
              FontCache& fonts);
  // Places and sizes every control, and gives it its font and picture, for a new `dpi`.
  void applyDpi(UINT dpi, FontCache& fonts);
  // Shows every control, once the window is on the screen.
  void show();
  // Mirrors each model onto its control from now on, starting with its current state.
  void bind();

  Child* byId(int id);
  Child* byHwnd(HWND hwnd);
  // Hot spots and links show the hand; links are drawn in the link colour.
  bool wantsHand(HWND hwnd);
  bool isLink(HWND hwnd);
  // A control's notification, from inside the control's own handling of the input: posted
  // to the window (kControlNotice), so that no handler runs before the control has finished.
  void command(int id, int code);
  LRESULT notify(const NMHDR& header);
  // Feeds a posted notification to its model.
  void apply(int id, int code);
  // Enter: presses the hot spot that has the keyboard focus, if one has.
  bool pressFocused();
  // Draws an owner-drawn control: a rule itself, a hot spot through `drawHotSpot`.
  void draw(const DRAWITEMSTRUCT& item) const;
  std::function<void(const DRAWITEMSTRUCT&)> drawHotSpot;

 private:
  // Its font and picture at `dpi`.
  void dress(const Child& child, UINT dpi, FontCache& fonts);

  std::vector<Child> children_;
  bool shown_ = false;
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  Icon programIcon_;
};

}  // namespace tarnwick::win32
