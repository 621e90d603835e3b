// A main window on the fake platform, loaded as at start-up, for the handler tests.
#pragma once

#include "app/frmMain.h"
#include "memory/modOptimize.h"
#include "platform/fake/fake_platform.h"

namespace tarnwick::testing {

inline constexpr uint64_t MB = 1048576;

class LoadedWindow {
 public:
  explicit LoadedWindow(uint64_t totalMb = 2048, uint64_t freeMb = 1024) {
    modOptimize::blnOptimizing = false;
    os.memory = {totalMb * MB, freeMb * MB, freeMb * MB};
    form.Form_Load();
  }
  ~LoadedWindow() { modOptimize::blnOptimizing = false; }

  // Runs the global tick until the next status refresh has run.
  void refresh() {
    const int before = os.memoryCalls;
    for (int i = 0; i < 100 && os.memoryCalls == before; ++i) form.tmrGlobalTimer_Timer();
  }
  // One more second on the clock, then the clock timer's tick.
  void tickClock() {
    if (++os.time.second == 60) os.time.second = 0, ++os.time.minute;
    if (os.time.minute == 60) os.time.minute = 0, ++os.time.hour;
    if (os.time.hour == 24) os.time.hour = 0;
    form.tmrTimer_Timer();
  }

  FakePlatform os;
  frmMain form{os};
};

}  // namespace tarnwick::testing
