#include "app/choices.h"
#include "app/frmMain.h"

namespace tarnwick {

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
  if (!window) return;
  OsHandle owner = window;
  // A Store app's frame belongs to ApplicationFrameHost; the app's own process owns the core
  // window inside it.
  if (platform_.getClassName(window) == "ApplicationFrameWindow") {
    if (const OsHandle app = platform_.findChildWindow(window, "Windows.UI.Core.CoreWindow"))
      owner = app;
  }
  uint32_t pid = 0;
  platform_.getWindowThreadProcessId(owner, &pid);
  const OsHandle process = pid ? platform_.openProcess(win::kProcessSetInformation, false, pid) : 0;
  if (!process) return;
  platform_.setPriorityClass(process, lngActivePriority);
  platform_.closeHandle(process);
}

// A new class applies at once, even with the same window in front, and is recorded in the
// group's settings line.
void frmMain::PriorityChosen(uint32_t& priority, uint32_t value, SettingsLine line,
                             const forms::OptionGroup& group) {
  if (blnLoading) return;
  priority = value;
  lngLastForeground = -1;
  WatchForegroundWindow();
  SetSettingsLine(line, group.value(0) ? "0" : "1");
  platform_.doEvents();
}

void frmMain::optActive_Click(int16_t Index) {
  PriorityChosen(lngActivePriority, choices::activeClass(Index), kLineActive, optActive);
}

void frmMain::optNonActive_Click(int16_t Index) {
  PriorityChosen(lngNonActivePriority, choices::nonActiveClass(Index), kLineNonActive,
                 optNonActive);
}

}  // namespace tarnwick
