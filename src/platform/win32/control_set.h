// The real child controls of one window, built from the core's placements and bound to its
// models: model changes are mirrored onto the controls, user input is fed back to the models.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/layout.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class ControlSet {
 public:
  struct Child {
    Placement placement;
    HWND hwnd = nullptr;
  };

  // Creates one child per placement, containers before their contents.
  void create(HWND parent, HINSTANCE instance, std::vector<Placement> placements, HICON icon);
  // Places and sizes every control and sets its font for `dpi`.
  void applyDpi(UINT dpi);
  // Mirrors each model onto its control from now on, starting with its current state.
  void bind();

  Child* byId(int id);
  Child* byHwnd(HWND hwnd);
  const std::vector<Child>& children() const { return children_; }
  // Whether the mouse over this control shows the hand: hot spots and links.
  bool wantsHand(HWND hwnd);
  // Feeds a control's notification to its model; false if it is not one of ours.
  bool command(int id, int code);
  HFONT font(const FontSpec& wanted);

  // Draws an owner-drawn hot spot; the window supplies what lies under it.
  std::function<void(const DRAWITEMSTRUCT&)> drawHotSpot;

 private:
  std::vector<Child> children_;
  std::map<std::tuple<std::string, int, bool, bool, UINT>, Font> fonts_;
  UINT dpi_ = 96;
  HICON icon_ = nullptr;
  HWND parent_ = nullptr;
};

}  // namespace tarnwick::win32
