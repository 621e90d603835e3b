#include "app/frmMain.h"

namespace tarnwick {

frmMain::frmMain(Platform& platform) : platform_(platform) {
  tmrGlobalTimer.Tick = [this] { tmrGlobalTimer_Timer(); };
}

}  // namespace tarnwick
