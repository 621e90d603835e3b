#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

void frmMain::Form_Load() {
  skipOnErrorSteps([&] { blnLoading = true; },
                   [&] {
                     CheckSettings();
                     platform_.doEvents();
                   },
                   [&] {
                     LoadFiles(strPath, strFileName, lstSettings);
                     platform_.doEvents();
                   },
                   [&] {
                     ApplySettings();
                     platform_.doEvents();
                   },
                   [&] { prgProgress.setValue(0); }, [&] { tmrGlobalTimer.setEnabled(true); },
                   [&] {
                     intRefreshTicks = 10;
                     blnRefreshOn = true;
                     intWatchTicks = 20;
                     blnWatchOn = true;
                   },
                   [&] {
                     TimerCode();
                     platform_.doEvents();
                   },
                   [&] { blnLoading = false; });
}

void frmMain::Form_Unload(int16_t& Cancel) {
  Cancel = 0;
  skipOnErrorSteps([&] { tmrGlobalTimer.setEnabled(false); }, [&] { tmrTimer.setEnabled(false); },
                   [&] {
                     SaveSettingsToFile(strPath, strFileName, lstSettings);
                     platform_.doEvents();
                   });
}

}  // namespace tarnwick
