#include <string>
#include <utility>

#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

namespace {
// Counts one tick towards a job; true when the job is due (on every (limit + 1)-th tick).
bool jobDue(bool on, int16_t& count, int16_t limit) {
  if (!on) {
    count = 0;
    return false;
  }
  if (count < limit) {
    count = addInt16(count, 1);
    return false;
  }
  count = 0;
  return true;
}
}  // namespace

void frmMain::TimerCode() {
  std::array<std::string, 2> text;
  const auto sample = [&] {
    std::array<int32_t, 2> figures{0, 0};
    skipOnErrorSteps(
        [&] { figures = modOptimize::GetMemoryStatus(platform_); },
        [&] { lngTotalRam = figures[0]; }, [&] { lngFreeRam = figures[1]; },
        [&] {
          text = {numberText(figures[0]), numberText(figures[1])};
        },
        [&] { lngUsedRam = toInt32(static_cast<long long>(figures[0]) - figures[1]); });
  };
  sample();
  const auto run = std::pair(lngRunNumber, modOptimize::blnOptimizing);
  skipOnError([&] { platform_.doEvents(); });
  // A run that ended (or began and ended) inside the pump left figures from its middle: the
  // labels and the trigger get figures from after it.
  if (std::pair(lngRunNumber, modOptimize::blnOptimizing) != run) sample();
  skipOnErrorSteps(
      [&] {
        // Frozen while an optimisation runs, so the user sees the figures it started from.
        if (modOptimize::blnOptimizing) return;
        lblTotalRam.setCaption(text[0] + " MB");
        lblFreeRam.setCaption(text[1] + " MB");
      },
      // Never inside start-up: the window shows first.
      [&] {
        if (!blnLoading) TestFreeMemory();
      });
}

void frmMain::RefreshStatus() {
  TimerCode();
  platform_.doEvents();
}

void frmMain::tmrGlobalTimer_Timer() {
  if (jobDue(blnRefreshOn, intRefreshCount, intRefreshTicks)) RefreshStatus();
  if (jobDue(blnWatchOn, intWatchCount, intWatchTicks)) WatchForegroundWindow();
}

}  // namespace tarnwick
