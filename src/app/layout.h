// Child-window identifiers of the two windows; tools and tests find controls by them.
#pragma once

#include "forms/layout.h"
#include "platform/platform.h"

namespace tarnwick {

enum ControlId : int {
  kIdNone = 0,
  kIdAbout = 100,
  kIdCmdMinimize,
  kIdCmdClose,
  kIdPicture1,
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

  // One per RAM level, in the table's order: a level more renumbers nothing else.
  kIdRamLevel0 = 300,

  kIdAboutIcon = 200,
  kIdAboutTitle,
  kIdAboutVersion,
  kIdAboutDescription,
  kIdAboutSite,
  kIdAboutNotice,
  kIdAboutRuleDark,
  kIdAboutRuleLight,
  kIdAboutOK = win::kIdOk,  // Enter presses it
  kIdAboutSysInfo = 209,
};

inline constexpr TwipsRect kMainClientTwips{0, 0, 6300, 8025};

}  // namespace tarnwick
