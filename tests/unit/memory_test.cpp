// The memory figures, the global tick, the optimiser and the command that starts it.
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::LoadedWindow;
using testing::MB;

TEST(GetMemoryStatus, RoundsEachFreshSampleToWholeMegabytesHalfToEven) {
  FakePlatform os;
  const std::tuple<uint64_t, int, uint64_t, int> cases[] = {
      {536870912, 512, 524287, 0}, {1572864, 2, 524288, 0},  {2621440, 2, 2621441, 3},
      {3221225472, 3072, 0, 0},    {4294967295, 4096, 0, 0}, {64 * 1024 * MB, 65536, 0, 0},
  };
  for (const auto& [total, totalMb, free, freeMb] : cases) {
    os.memory = {total, free, free};
    EXPECT_EQ(modOptimize::GetMemoryStatus(os), (std::array<int32_t, 2>{totalMb, freeMb}));
  }
  EXPECT_EQ(os.memorySamples, 6);
}

class StatusTest : public ::testing::Test, protected LoadedWindow {
 protected:
  StatusTest() : LoadedWindow(512, 100) {}
  // Ticks until the next refresh; the tick it ran on (1-based), or -1.
  int ticksUntilRefresh(int limit = 200) {
    const int before = os.memorySamples;
    for (int tick = 1; tick <= limit; ++tick) {
      form.tmrGlobalTimer.fire();
      if (os.memorySamples != before) return tick;
    }
    return -1;
  }
};

TEST_F(StatusTest, StartUpShowsTheFiguresAndEachRefreshRewritesThemUnlessARunIsOn) {
  EXPECT_EQ(form.lblTotalRam.caption(), "512 MB");
  EXPECT_EQ(form.lblFreeRam.caption(), "100 MB");
  EXPECT_EQ(form.lngUsedRam, 412);
  // A handler running in the pump sees the new figures and the old labels.
  os.memory.availPhys = 300 * MB;
  std::string seen;
  os.onPump = [&] { seen = std::to_string(form.lngFreeRam) + " " + form.lblFreeRam.caption(); };
  form.TimerCode();
  EXPECT_EQ(seen, "300 100 MB");
  EXPECT_EQ(form.lblFreeRam.caption(), "300 MB");

  modOptimize::blnOptimizing = true;
  os.memory = {70000 * MB, 0, 0};
  form.TimerCode();
  EXPECT_EQ(form.lngTotalRam, 70000);
  EXPECT_EQ(form.lblTotalRam.caption(), "512 MB") << "frozen while a run is on";
  modOptimize::blnOptimizing = false;
  form.TimerCode();
  EXPECT_EQ(form.lblTotalRam.caption(), "70000 MB");
  EXPECT_EQ(form.lblFreeRam.caption(), "0 MB");
}

TEST_F(StatusTest, EachJobRunsOnEveryLimitPlusOnethTick) {
  EXPECT_EQ(ticksUntilRefresh(), 11);
  EXPECT_EQ(form.intWatchCount, 11) << "the watch counts on its own";
  EXPECT_EQ(ticksUntilRefresh(), 11);
  form.intRefreshTicks = 5;
  EXPECT_EQ(ticksUntilRefresh(), 6);
  form.intRefreshTicks = 60;
  EXPECT_EQ(ticksUntilRefresh(), 61);
  for (int i = 0; i < 30; ++i) form.tmrGlobalTimer.fire();
  form.intRefreshTicks = 5;
  EXPECT_EQ(ticksUntilRefresh(), 1) << "lowered below the count: the next tick";

  LoadedWindow fresh;
  for (int tick = 1; tick < 21; ++tick) fresh.form.tmrGlobalTimer.fire();
  EXPECT_EQ(fresh.form.intWatchCount, 20);
  fresh.form.tmrGlobalTimer.fire();
  EXPECT_EQ(fresh.form.intWatchCount, 0) << "the first watch on the 21st tick";

  form.blnRefreshOn = false;
  form.intRefreshCount = 7;
  EXPECT_EQ(ticksUntilRefresh(500), -1);
  EXPECT_EQ(form.intRefreshCount, 0);
}

TEST(CalculateOptimizeAmount, FreePlusTheLevelsShareOfUsed) {
  const std::tuple<int32_t, int32_t, int16_t, int32_t> cases[] = {
      {300, 200, 10, 230}, {300, 200, 15, 245}, {300, 200, 20, 260},           {300, 200, 0, 200},
      {5, 0, 10, 0},       {15, 0, 10, 2},      {INT32_MAX, INT32_MAX, 20, 0},
  };
  for (const auto& [used, free, level, amount] : cases)
    EXPECT_EQ(modOptimize::CalculateOptimizeAmount(used, free, level), amount) << used << level;
}

class OptimizeTest : public ::testing::Test, protected LoadedWindow {
 protected:
  // Records each new value the progress bar shows.
  void watchProgress() {
    progress.clear();
    form.prgProgress.view = [this] {
      const float value = form.prgProgress.value();
      if (progress.empty() ? value != 0 : value != progress.back()) progress.push_back(value);
    };
  }
  std::vector<float> progress;
};

TEST_F(OptimizeTest, ARunClimbsBlockByBlockHoldsEveryBlockThenReleasesThemAll) {
  watchProgress();
  bool fullBlocks = true;
  os.onMemoryStatus = [&] {
    EXPECT_TRUE(modOptimize::blnOptimizing);
    EXPECT_EQ(form.intRefreshTicks, 5);
    for (const auto& block : form.varRamBlocks)
      fullBlocks &= block.empty() || block == modOptimize::RamBlock(1000000, u' ');
  };
  EXPECT_EQ(optimize(0, 3, 0), 3) << "three blocks of 2,000,000 bytes exist together";
  EXPECT_TRUE(fullBlocks);
  EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 0}));
  EXPECT_EQ(form.prgProgress.max(), 3);
  EXPECT_FALSE(modOptimize::blnOptimizing);
  EXPECT_EQ(form.varRamBlocks.capacity(), 0u);
  EXPECT_EQ(form.intRefreshTicks, 10);

  // Started and ended minimised: the period is left alone, then slowed down.
  form.form.setWindowState(forms::WindowState::Minimized);
  os.onMemoryStatus = [&] { EXPECT_EQ(form.intRefreshTicks, 10); };
  optimize(0, 2, 0);
  EXPECT_EQ(form.intRefreshTicks, 60);

  // Nothing to claim: nothing starts.
  os.onMemoryStatus = nullptr;
  const int pumps = os.pumps;
  EXPECT_EQ(optimize(0, 0, 20), 0);
  EXPECT_EQ(os.pumps, pumps);
  EXPECT_EQ(form.intRefreshTicks, 60);
  EXPECT_EQ(form.prgProgress.max(), 2);
}

TEST_F(OptimizeTest, ClaimsStopWhileOneBlockAndTheReserveWouldNotBeLeft) {
  // 2048 MB: the reserve is 256 MB. Each block takes 2,000,000 bytes of both figures.
  const auto shrinking = [&](bool physical) {
    return [&, physical] {
      uint64_t held = 0;
      for (const auto& block : form.varRamBlocks) held += block.empty() ? 0 : 2000000;
      const uint64_t left = 256 * MB + 3 * 2000000 - held;
      (physical ? os.memory.availPhys : os.memory.availPageFile) = left;
    };
  };
  for (const bool physical : {false, true}) {
    os.memory = {2048 * MB, 1024 * MB, 1024 * MB};
    os.onMemoryStatus = shrinking(physical);
    watchProgress();
    EXPECT_EQ(optimize(0, 6, 0), 3) << (physical ? "available memory" : "commit headroom");
    EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 4, 5, 6, 0})) << "every slot is counted";
  }
  // On a large machine the reserve is 5 % of physical memory; past the 16-bit count, the most.
  os.onMemoryStatus = nullptr;
  os.memory = {64 * 1024 * MB, 3276 * MB, 64 * 1024 * MB};
  EXPECT_EQ(optimize(0, 2, 0), 0);
  EXPECT_EQ(optimize(0, 100000, 0), 0);
  EXPECT_EQ(form.prgProgress.max(), 32767);
}

TEST_F(OptimizeTest, TheChosenLevelSetsTheNextRunsSize) {
  form.optRAMLevel.select(0);
  EXPECT_EQ(form.intRamLevel, 10);
  EXPECT_EQ(form.lstSettings.item(0), "0");
  form.optRAMLevel.select(2);
  EXPECT_EQ(form.intRamLevel, 20);
  EXPECT_EQ(form.lstSettings.item(0), "2");
  form.lngUsedRam = 15;
  form.lngFreeRam = 1;
  form.cmdOptimizeNow_Click();
  EXPECT_EQ(form.prgProgress.max(), 4);
}

TEST_F(OptimizeTest, DuringARunEventsAreServedButNothingElseStarts) {
  form.TimerCode();
  int pump = 0;
  os.onPump = [&] {
    if (!modOptimize::blnOptimizing) return;
    switch (pump++) {
      case 1:  // clicks on the hot spot and the tray item
        form.cmdOptimizeNow.Click();
        form.mnuPopupOptimize_Click();
        break;
      case 2:  // two close requests
      case 3: {
        int16_t cancel = 0;
        form.Form_Unload(cancel);
        EXPECT_EQ(cancel, 1);
        break;
      }
      case 4:  // ticks: the figures refresh, the labels and the clock stay as they were
        os.memory.availPhys = 600 * MB;
        for (int i = 0; i < 12; ++i) form.tmrGlobalTimer.fire();
        form.tmrTimer.fire();
        break;
      case 5:
        form.optRAMLevel.select(0);
        break;
    }
  };
  form.lngFreeRam = 8;
  form.lngUsedRam = 0;
  form.intRamLevel = 0;
  form.cmdOptimizeNow_Click();
  EXPECT_EQ(form.prgProgress.max(), 8) << "the first run's count stands";
  ASSERT_EQ(os.boxes.size(), 1u) << "one refusal for two requests";
  EXPECT_EQ(os.boxes[0].owner, 0x1234);
  EXPECT_EQ(os.boxes[0].title + "|" + os.boxes[0].text + "|" + std::to_string(os.boxes[0].icon),
            "Tarnwick Demo|Optimization in progress. Please wait for optimization\r\nto finish "
            "before exiting Tarnwick Demo.|64");
  EXPECT_EQ(os.openBoxes(), 1) << "the run ended with the box still up";
  EXPECT_TRUE(form.tmrGlobalTimer.enabled() && !os.ended) << "the refused close stopped nothing";
  EXPECT_EQ(form.lngFreeRam, 600);
  EXPECT_EQ(form.lblFreeRam.caption(), "1024 MB");
  EXPECT_EQ(form.txtTime.text(), "");
  EXPECT_EQ(form.intRamLevel, 10);

  os.closeBoxes();
  modOptimize::blnOptimizing = true;
  int16_t cancel = 0;
  form.Form_Unload(cancel);
  EXPECT_EQ(os.boxes.size(), 2u) << "once closed, the next request shows it again";
}

}  // namespace
}  // namespace tarnwick
