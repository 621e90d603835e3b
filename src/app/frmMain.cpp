#include "app/frmMain.h"

namespace tarnwick {

frmMain::frmMain(Platform& platform) : platform_(platform) {
  tmrGlobalTimer.Tick = [this] { tmrGlobalTimer_Timer(); };
  tmrTimer.Tick = [this] { tmrTimer_Timer(); };
  cmdOptimizeNow.Click = [this] { cmdOptimizeNow_Click(); };
  optRAMLevel.Click = [this](int16_t index) { optRAMLevel_Click(index); };
  cbbPercent.Click = [this] { cbbPercent_Click(); };
  for (int16_t i = 0; i < 2; ++i)
    chkAutoOptimize[i].Click = [this, i] { chkAutoOptimize_Click(i); };
  txtTime.Change = [this] { txtTime_Change(); };
  txtSeconds.Change = [this] { txtSeconds_Change(); };
  txtMinutes.Change = [this] { txtMinutes_Change(); };
  txtInterval.Change = [this] { txtInterval_Change(); };
  UpDown.UpClick = [this] { UpDown_UpClick(); };
  UpDown.DownClick = [this] { UpDown_DownClick(); };
  optActive.Click = [this](int16_t index) { optActive_Click(index); };
  optNonActive.Click = [this](int16_t index) { optNonActive_Click(index); };
}

}  // namespace tarnwick
