// The real child controls of one window, built from the core's placements and bound to its
// models: model changes are mirrored onto the controls, user input is fed back to the models.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "forms/layout.h"
#include "platform/platform.h"
#include "host/fonts.h"
#include "platform/win32/dpi.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class ControlSet {
 public:
  struct Child {
    Placement placement;
    HWND hwnd = nullptr;
  };

  // Creates one hidden child per placement, containers before their contents, placed and
  // dressed for `dpi`; their notifications go through `pump`'s scheduler.
  void create(HWND parent, HINSTANCE instance, PumpApi& pump, std::vector<Placement> placements,
              UINT dpi, FontCache& fonts);
  bool made() const { return !children_.empty(); }
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
  // A control's notification, from inside the control's own handling of the input: posted, so
  // that no handler runs before the control has finished (for the up-down control, code 1 is
  // up and 0 down).
  void command(int id, int code);
  // Runs `work` later through the scheduler, unless the controls are gone by then.
  void later(std::function<void()> work);
  LRESULT notify(const NMHDR& header);

  // Enter: presses the hot spot that has the keyboard focus, if one has.
  bool pressFocused();
  // Draws an owner-drawn control: a rule itself, a hot spot through `drawHotSpot`.
  void draw(const DRAWITEMSTRUCT& item) const;
  std::function<void(const DRAWITEMSTRUCT&)> drawHotSpot;

 private:
  // Its font and picture at `dpi`.
  void dress(const Child& child, UINT dpi, FontCache& fonts);
  // Mirrors its model onto the control; brings it to the model's state.
  void bind(Child& child);
  void bindOptions(forms::OptionGroup* group);
  void refresh(const Child& child, const forms::OptionGroup*& group);
  // Feeds a posted notification to its model.
  void apply(int id, int code);

  std::vector<Child> children_;
  bool shown_ = false;
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  PumpApi* pump_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  Icon programIcon_;
};

}  // namespace tarnwick::win32
