#include "app/choices.h"
#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {
constexpr uint64_t kCoolDownMs = 5 * 60 * 1000;
}  // namespace

void frmMain::TestFreeMemory() {
  if (chkAutoOptimize[1].value() != 1 || lngTotalRam == 0) return;
  const auto ratio = static_cast<float>(static_cast<double>(lngFreeRam) / lngTotalRam);
  // Strictly below: a share equal to the threshold in single precision does not fire.
  if (!(ratio < sngFreeLimit)) return;
  // A run that did not lift free memory above the threshold will not do better seconds later:
  // none starts within five minutes of the end of the last, whatever started that one.
  if (lastRunEnded && platform_.tickCount() - *lastRunEnded < kCoolDownMs) return;
  skipOnErrorSteps([&] { cmdOptimizeNow_Click(); }, [&] { platform_.doEvents(); });
}

void frmMain::cbbPercent_Click() {
  if (blnLoading) return;
  const int index = cbbPercent.listIndex();
  if (const auto limit = choices::freeLimit(index)) sngFreeLimit = *limit;
  SetSettingsLine(kLinePercent, numberText(index));
}

void frmMain::chkAutoOptimize_Click(int16_t Index) {
  if (blnLoading) return;
  if (Index == 0) SetSettingsLine(kLineEveryOn, chkAutoOptimize[0].value() != 0 ? "1" : "0");
  if (Index == 1) SetSettingsLine(kLineLowMemoryOn, chkAutoOptimize[1].value() == 1 ? "1" : "0");
}

}  // namespace tarnwick
