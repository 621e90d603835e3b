#include <algorithm>

#include "app/choices.h"
#include "app/frmMain.h"

namespace tarnwick {

std::vector<Placement> frmMain::layout() {
  const FontSpec bold{"MS Sans Serif", 8, true};
  std::vector<Placement> placements = {
      {kIdAbout, {240, 600, 1575, 495}, kIdNone, HotSpot{&lblAbout}, {}, "&About"},
      {kIdCmdMinimize, {5650, 100, 255, 255}, kIdNone, HotSpot{&lblCmdMinimize}, {}, "Minimize"},
      {kIdCmdClose, {5920, 100, 255, 255}, kIdNone, HotSpot{&lblCmdClose}, {}, "Close"},
      {kIdPicture1, {480, 1850, 5295, 375}, kIdNone, Container{}, {}, "RAM level"},
      {kIdAutoOptimize0, {600, 2640, 1455, 255}, kIdNone, &chkAutoOptimize[0]},
      {kIdInterval,
       {2040, 2640, 1095, 288},
       kIdNone,
       &txtInterval,
       {},
       "Optimization interval in minutes"},
      {kIdUpDown, {3120, 2640, 240, 285}, kIdNone, &UpDown},
      {kIdLabel1, {3480, 2655, 735, 255}, kIdNone, &Label1},
      {kIdAutoOptimize1, {600, 3030, 3135, 255}, kIdNone, &chkAutoOptimize[1]},
      {kIdPercent, {3780, 3000, 1935, 315}, kIdNone, &cbbPercent, {}, "Free memory threshold"},
      {kIdLabel2, {480, 3510, 855, 255}, kIdNone, &Label2},
      {kIdTotalRam, {1440, 3510, 2775, 255}, kIdNone, &lblTotalRam, bold},
      {kIdLabel3, {480, 3750, 855, 255}, kIdNone, &Label3},
      {kIdFreeRam, {1440, 3750, 2775, 255}, kIdNone, &lblFreeRam, bold},
      {kIdOptimizeNow,
       {4250, 3540, 1650, 440},
       kIdNone,
       HotSpot{&cmdOptimizeNow},
       {},
       "&Optimize Now"},
      {kIdProgress, {440, 4080, 5415, 255}, kIdNone, &prgProgress, {}, "Optimization progress"},
      {kIdPicture2, {480, 5160, 2535, 375}, kIdNone, Container{}, {}, "Active application"},
      {kIdActive0, {240, 50, 1095, 255}, kIdPicture2, OptionButton{&optActive, 0}},
      {kIdActive1, {1440, 50, 1095, 255}, kIdPicture2, OptionButton{&optActive, 1}},
      {kIdPicture3, {3240, 5160, 2535, 375}, kIdNone, Container{}, {}, "Other applications"},
      {kIdNonActive0, {360, 50, 975, 255}, kIdPicture3, OptionButton{&optNonActive, 0}},
      {kIdNonActive1, {1560, 50, 975, 255}, kIdPicture3, OptionButton{&optNonActive, 1}},
      {kIdProcesses, {380, 5640, 5535, 255}, kIdNone, &lblProcesses, {"Tahoma", 8, true}},
      {kIdProcessList, {380, 5880, 5535, 1815}, kIdNone, &lstProcessList, {}, "Active processes"},
  };
  // The RAM levels' buttons right after their container, in tab order.
  const auto container = std::find_if(placements.begin(), placements.end(),
                                      [](const Placement& p) { return p.id == kIdPicture1; });
  std::vector<Placement> levels;
  levels.reserve(choices::kRamLevelCount);
  for (int i = 0; i < choices::kRamLevelCount; ++i)
    levels.push_back({kIdRamLevel0 + i, choices::kRamLevels[i].place, kIdPicture1,
                      OptionButton{&optRAMLevel, i}});
  placements.insert(container + 1, levels.begin(), levels.end());
  return placements;
}

}  // namespace tarnwick
