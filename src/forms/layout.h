// Where each control of a window sits and how it looks: the data the Win32 shell builds a real
// window from. Positions are twips, relative to the window or to the control's container.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "forms/controls.h"

namespace tarnwick {

inline constexpr int kTwipsPerInch = 1440;

// Sizes and places of controls: each value scaled on its own and rounded down, so 15 twips make
// one pixel at 96 DPI.
inline int twipsToPixels(int twips, unsigned dpi) {
  return static_cast<int>(static_cast<long long>(twips) * dpi / kTwipsPerInch);
}

// A window's position: to the nearest whole twip and back to the nearest pixel, so that a
// position read and written back is the same pixel at every density.
inline double positionToTwips(int pixels, unsigned dpi) {
  return std::round(static_cast<double>(pixels) * kTwipsPerInch / dpi);
}
inline int positionToPixels(double twips, unsigned dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

struct TwipsRect {
  int left, top, width, height;
};

struct FontSpec {
  const char* face = "MS Sans Serif";
  int points = 8;
  bool bold = false;
  bool underline = false;
};

// What a placed control shows; the alternative decides which real control the shell creates.
struct HotSpot {
  forms::Label* model;
};
// A label with a caption that acts as a link: hand cursor, click.
struct Link {
  forms::Label* model;
};
struct Container {};
struct ProgramIcon {};
// A horizontal line from the placement's left to left + width; `light` is the white one of an
// etched pair.
struct Rule {
  bool light;
};
struct OptionButton {
  forms::OptionGroup* group;
  int index;
};
using ControlModel =
    std::variant<HotSpot, Link, forms::Label*, Container, ProgramIcon, Rule, OptionButton,
                 forms::CheckBox*, forms::TextBox*, forms::UpDown*, forms::ComboBox*,
                 forms::ProgressBar*, forms::ListBox*, forms::CommandButton*>;

struct Placement {
  int id;
  TwipsRect twips;
  int container;  // 0: the window itself
  ControlModel model;
  FontSpec font{};
  // What a screen reader calls a control whose caption does not say it. The skin paints a hot
  // spot's or a container's name, without the "&" that marks the access key.
  const char* name = nullptr;
};

// A window that the toolkit shows modally over another: its model, its design and its size.
class Dialog {
 public:
  forms::Form form;
  virtual std::vector<Placement> layout() = 0;
  virtual void Form_Load() = 0;
  // Esc or the close box.
  virtual void Cancel() = 0;
  virtual TwipsRect clientTwips() const = 0;

 protected:
  ~Dialog() = default;
};

}  // namespace tarnwick
