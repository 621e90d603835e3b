#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

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
                     modOptimize::SetListTabStops(platform_, lstProcessList);
                     platform_.doEvents();
                   },
                   [&] {
                     ListProcesses(true);
                     platform_.doEvents();
                   },
                   [&] {
                     TimerCode();
                     platform_.doEvents();
                   },
                   [&] { blnLoading = false; });
}

void frmMain::Form_Unload(int16_t& Cancel) {
  if (modOptimize::blnOptimizing) {
    skipOnErrorSteps(
        [&] {
          platform_.messageBox(
              "Optimization in progress. Please wait for optimization\r\n"
              "to finish before exiting Tarnwick Demo.",
              kAppTitle, MessageBoxApi::kInformation);
        },
        [&] { Cancel = 1; });
    return;
  }
  skipOnErrorSteps([&] { tmrGlobalTimer.setEnabled(false); }, [&] { tmrTimer.setEnabled(false); },
                   [&] {
                     SaveSettingsToFile(strPath, strFileName, lstSettings);
                     platform_.doEvents();
                   });
}

}  // namespace tarnwick
