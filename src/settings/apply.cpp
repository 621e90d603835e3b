#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

// No error handling of its own: the first step that fails ends it, and the steps already
// taken stay applied.
void frmMain::ApplySettings() {
  const std::string separator = platform_.decimalSeparator();
  const auto number = [&](SettingsLine line) {
    return floorToInt16(lstSettings.item(line), separator);
  };
  optRAMLevel.select(number(kLineRamLevel));
  chkAutoOptimize[0].setValue(number(kLineEveryOn));
  // Cut to what the box takes; the store keeps it all.
  txtInterval.setText(lstSettings.item(kLineInterval));
  chkAutoOptimize[1].setValue(number(kLineLowMemoryOn));
  cbbPercent.setListIndex(number(kLinePercent));
  optActive.select(number(kLineActive));
  optNonActive.select(number(kLineNonActive));
}

}  // namespace tarnwick
