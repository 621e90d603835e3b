#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

// No error handling of its own: the first step that fails ends it, and the steps already
// taken stay applied.
void frmMain::ApplySettings() {
  const auto number = [this](int line) { return floorToInt16(lstSettings.item(line)); };
  optRAMLevel.select(number(0));
  chkAutoOptimize[0].setValue(number(1));
  txtInterval.setText(lstSettings.item(2));
  chkAutoOptimize[1].setValue(number(3));
  cbbPercent.setListIndex(number(4));
  optActive.select(number(5));
  optNonActive.select(number(6));
}

}  // namespace tarnwick
