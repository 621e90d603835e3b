// A main window on the fake platform, loaded as at start-up, for the handler tests.
#pragma once

#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "fake/fake_platform.h"

namespace tarnwick::testing {

inline constexpr uint64_t MB = 1048576;
inline constexpr const char* kDefaultFile = "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0";
using Lines = std::vector<std::string>;

struct LoadedWindow {
  explicit LoadedWindow(uint64_t totalMb = 2048, uint64_t freeMb = 1024) {
    modOptimize::blnOptimizing = false;
    os.memory = {totalMb * MB, freeMb * MB, freeMb * MB};
    form.form.hWnd = 0x1234;
    form.lstProcessList.hWnd = 0x1235;
    form.Form_Load();
    form.ShowAfterLoad();
    os.runLoop();  // what comes after the first frame
  }
  ~LoadedWindow() { modOptimize::blnOptimizing = false; }

  // Runs the global tick until the next status refresh has run.
  void refresh() {
    const int before = os.memorySamples;
    for (int i = 0; i < 100 && os.memorySamples == before; ++i) form.tmrGlobalTimer.fire();
  }
  // One more second on the clock, then the clock timer's tick.
  void tickClock() {
    const int s = (os.time.hour * 60 + os.time.minute) * 60 + os.time.second + 1;
    os.time = {s / 3600 % 24, s / 60 % 60, s % 60};
    os.ticks += 1000;
    form.tmrTimer.fire();
    os.runLoop();
  }
  // Runs the command with these figures and level, and the message loop until the run is
  // over; the most blocks held at once.
  int optimize(int32_t usedMb, int32_t freeMb, int16_t level) {
    form.lngUsedRam = usedMb, form.lngFreeRam = freeMb, form.intRamLevel = level;
    form.cmdOptimizeNow_Click();
    int held = 0;
    os.runLoop([&] {
      int now = 0;
      for (const auto& block : form.varRamBlocks) now += !block.empty();
      held = std::max(held, now);
    });
    return held;
  }

  FakePlatform os;
  frmMain form{os};
};

}  // namespace tarnwick::testing
