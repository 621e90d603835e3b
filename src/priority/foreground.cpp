#include "app/choices.h"
#include "app/frmMain.h"

namespace tarnwick {

namespace {
constexpr uint32_t kSetInformation = 0x200;
}  // namespace

void frmMain::WatchForegroundWindow() {
  const OsHandle window = platform_.getForegroundWindow();
  if (window == lngLastForeground) return;
  lngLastForeground = window;
  // Everything down first, so the application that lost the foreground drops back; then the
  // new one up; then the list once more, now showing the classes as they are.
  ListProcesses(false);
  BoostForegroundProcess(window);
  ListProcesses(true);
}

void frmMain::BoostForegroundProcess(const OsHandle& window) {
  uint32_t pid = 0;
  platform_.getWindowThreadProcessId(window, &pid);
  const OsHandle process = platform_.openProcess(kSetInformation, false, pid);
  platform_.setPriorityClass(process, lngActivePriority);
  if (process) platform_.closeHandle(process);
}

void frmMain::optActive_Click(int16_t Index) {
  if (blnLoading) return;
  lngActivePriority = choices::activeClass(Index);
  lngLastForeground = -1;
  WatchForegroundWindow();
  SetSettingsLine(5, optActive.value(0) ? "0" : "1");
  platform_.doEvents();
}

void frmMain::optNonActive_Click(int16_t Index) {
  if (blnLoading) return;
  lngNonActivePriority = choices::nonActiveClass(Index);
  lngLastForeground = -1;
  WatchForegroundWindow();
  SetSettingsLine(6, optNonActive.value(0) ? "0" : "1");
  platform_.doEvents();
}

}  // namespace tarnwick
