#include <algorithm>

#include "app/choices.h"
#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

int32_t modOptimize::CalculateOptimizeAmount(const int32_t& used, const int32_t& free,
                                             const int16_t& level) {
  int32_t amount = 0;
  skipOnError([&] { amount = roundToInt32(level * 0.01 * used + free); });
  return amount;
}

void frmMain::cmdOptimizeNow_Click() {
  // Nothing starts once the program is ending.
  if (modOptimize::blnOptimizing || blnEnding) return;
  const int32_t amount = modOptimize::CalculateOptimizeAmount(lngUsedRam, lngFreeRam, intRamLevel);
  // More than 32,767 blocks do not fit the count; a large machine gets the most there is.
  const int16_t count = toInt16(std::min<int32_t>(amount, INT16_MAX));
  OptimizeRam(count);
}

void frmMain::mnuPopupOptimize_Click() {
  cmdOptimizeNow_Click();
  platform_.doEvents();
}

void frmMain::optRAMLevel_Click(int16_t Index) {
  if (blnLoading) return;
  if (const auto level = choices::ramLevel(Index)) intRamLevel = *level;
  SetSettingsLine(kLineRamLevel, numberText(Index));
  platform_.doEvents();
}

}  // namespace tarnwick
