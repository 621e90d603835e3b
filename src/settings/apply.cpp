#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

// No error handling of its own: the first step that fails ends it, and the steps already
// taken stay applied.
void frmMain::ApplySettings() {
  const std::string separator = platform_.decimalSeparator();
  const auto number = [&](int line) { return floorToInt16(lstSettings.item(line), separator); };
  optRAMLevel.select(number(0));
  chkAutoOptimize[0].setValue(number(1));
  txtInterval.setText(lstSettings.item(2));  // cut to what the box takes; the store keeps it all
  chkAutoOptimize[1].setValue(number(3));
  cbbPercent.setListIndex(number(4));
  optActive.select(number(5));
  optNonActive.select(number(6));
}

}  // namespace tarnwick
