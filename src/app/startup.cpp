#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

void frmMain::Form_Load() {
  skipOnErrorSteps([&] { blnLoading = true; }, [&] { prgProgress.setValue(0); },
                   [&] { tmrGlobalTimer.setEnabled(true); },
                   [&] {
                     intRefreshTicks = 10;
                     blnRefreshOn = true;
                     intWatchTicks = 20;
                     blnWatchOn = true;
                   },
                   [&] { TimerCode(); }, [&] { platform_.doEvents(); },
                   [&] { blnLoading = false; });
}

}  // namespace tarnwick
