// Where each visible control sits and how it looks: the data the Win32 shell builds the real
// window from. Positions are twips, relative to the window or to the control's container.
#pragma once

#include <cstdint>
#include <variant>

#include "forms/controls.h"

namespace tarnwick {

// Child-window identifiers of the main window; tools and tests find controls by them.
enum ControlId : int {
  kIdNone = 0,
  kIdAbout = 100,
  kIdCmdMinimize,
  kIdCmdClose,
  kIdPicture1,
  kIdRamLevel0,
  kIdRamLevel1,
  kIdRamLevel2,
  kIdAutoOptimize0,
  kIdInterval,
  kIdUpDown,
  kIdLabel1,
  kIdAutoOptimize1,
  kIdPercent,
  kIdLabel2,
  kIdTotalRam,
  kIdLabel3,
  kIdFreeRam,
  kIdOptimizeNow,
  kIdProgress,
  kIdPicture2,
  kIdActive0,
  kIdActive1,
  kIdPicture3,
  kIdNonActive0,
  kIdNonActive1,
  kIdProcesses,
  kIdProcessList,

  // The About box.
  kIdAboutIcon = 200,
  kIdAboutTitle,
  kIdAboutVersion,
  kIdAboutDescription,
  kIdAboutSite,
  kIdAboutNotice,
  kIdAboutOK = 1,  // IDOK: Enter presses it
  kIdAboutSysInfo = 207,
};

// The private message the tray icon's mouse events arrive in (WM_APP + 1).
inline constexpr uint32_t kTrayCallbackMessage = 0x8001;

inline constexpr int kMainWidthTwips = 6300;
inline constexpr int kMainHeightTwips = 8025;
inline constexpr int kTwipsPerInch = 1440;

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
struct OptionButton {
  forms::OptionGroup* group;
  int index;
};
using ControlModel =
    std::variant<HotSpot, Link, forms::Label*, Container, ProgramIcon, OptionButton,
                 forms::CheckBox*, forms::TextBox*, forms::UpDown*, forms::ComboBox*,
                 forms::ProgressBar*, forms::ListBox*, forms::CommandButton*>;

struct Placement {
  ControlId id;
  const char* name;
  TwipsRect twips;
  ControlId container;  // kIdNone: the window itself
  ControlModel model;
  FontSpec font{};
};

}  // namespace tarnwick
