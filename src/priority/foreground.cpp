#include "app/frmMain.h"

namespace tarnwick {

void frmMain::WatchForegroundWindow() {}

}  // namespace tarnwick
