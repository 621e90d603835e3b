// The memory figures, the global tick, the optimiser, the command that starts it, and the
// optimisations that start by themselves: below a share of free memory, and every N minutes.
#include "base/runtime.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::LoadedWindow;
using testing::MB;

TEST(GetMemoryStatus, RoundsEachFreshSampleToWholeMegabytesHalfToEven) {
  FakePlatform os;
  const std::tuple<uint64_t, int, uint64_t, int> cases[] = {
      {536870912, 512, 524287, 0}, {1572864, 2, 524288, 0},  {2621440, 2, 2621441, 3},
      {3221225472, 3072, 0, 0},    {4294967295, 4096, 0, 0}, {64 * 1024 * MB, 65536, 0, 0}};
  for (const auto& [total, totalMb, free, freeMb] : cases) {
    os.memory = {total, free, free};
    EXPECT_EQ(modOptimize::GetMemoryStatus(os), (std::array<int32_t, 2>{totalMb, freeMb}));
  }
  const std::tuple<int32_t, int32_t, int16_t, int32_t> amounts[] = {
      {300, 200, 10, 230}, {300, 200, 15, 245}, {300, 200, 20, 260},          {300, 200, 0, 200},
      {5, 0, 10, 0},       {15, 0, 10, 2},      {INT32_MAX, INT32_MAX, 20, 0}};
  for (const auto& [used, free, level, amount] : amounts)
    EXPECT_EQ(modOptimize::CalculateOptimizeAmount(used, free, level), amount) << used << level;
}

class StatusTest : public ::testing::Test, protected LoadedWindow {
 protected:
  StatusTest() : LoadedWindow(512, 100) { form.chkAutoOptimize[1].setValue(0); }
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

TEST_F(StatusTest, RefreshesRewriteFiguresAndLabelsUnlessARunIsOnAndRunOnTheirTicks) {
  EXPECT_EQ(form.lblTotalRam.caption(), "512 MB");
  EXPECT_EQ(form.lblFreeRam.caption(), "100 MB");
  EXPECT_EQ(form.lngUsedRam, 412);
  // A handler running in the pump sees the new figures and the old labels.
  os.memory.availPhys = 300 * MB;
  int32_t seenFree = 0;
  std::string seenLabel;
  os.onPump = [&] { seenFree = form.lngFreeRam, seenLabel = form.lblFreeRam.caption(); };
  form.TimerCode();
  os.onPump = nullptr;
  EXPECT_EQ(seenFree, 300);
  EXPECT_EQ(seenLabel, "100 MB");
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
  // A run whose last step comes in the refresh's pump: the labels show figures from after it.
  form.lngFreeRam = 8, form.lngUsedRam = 0;
  form.cmdOptimizeNow_Click();
  os.ticks += 10, os.runDue();  // its blocks; what ends it comes next
  os.ticks += 10;
  os.onMemoryStatus = [&] { os.memory.availPhys = (modOptimize::blnOptimizing ? 40 : 300) * MB; };
  form.TimerCode();
  EXPECT_EQ(form.lblFreeRam.caption(), "300 MB");
  os.onMemoryStatus = nullptr;

  // Each job runs on every (limit + 1)-th tick.
  EXPECT_EQ(ticksUntilRefresh(), 11);
  EXPECT_EQ(form.intWatchCount, 11) << "the watch counts on its own";
  for (const auto& [limit, tick] : {std::pair{10, 11}, {5, 6}, {60, 61}}) {
    form.intRefreshTicks = static_cast<int16_t>(limit);
    EXPECT_EQ(ticksUntilRefresh(), tick);
  }
  for (int i = 0; i < 30; ++i) form.tmrGlobalTimer.fire();
  form.intRefreshTicks = 5;
  EXPECT_EQ(ticksUntilRefresh(), 1) << "lowered below the count: the next tick";
  form.intWatchCount = 19;
  form.tmrGlobalTimer.fire();
  EXPECT_EQ(form.intWatchCount, 20);
  form.tmrGlobalTimer.fire();
  EXPECT_EQ(form.intWatchCount, 0) << "the watch on every 21st tick";
  form.blnRefreshOn = false;
  form.intRefreshCount = 7;
  EXPECT_EQ(ticksUntilRefresh(500), -1);
  EXPECT_EQ(form.intRefreshCount, 0);
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
  form.optRAMLevel.select(0);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineRamLevel), "0");
  EXPECT_EQ(optimize(20, 1, form.intRamLevel), 3) << "1 + 10 % of 20: three blocks together";
  EXPECT_TRUE(fullBlocks);
  EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 0}));
  EXPECT_EQ(form.prgProgress.max(), 3);
  EXPECT_FALSE(modOptimize::blnOptimizing);
  EXPECT_EQ(form.varRamBlocks.capacity(), 0u);
  EXPECT_EQ(form.intRefreshTicks, 10);

  // Started and ended minimised: the period is left alone, then slowed down.
  form.form.setWindowState(forms::WindowState::Minimized);
  os.onMemoryStatus = [&] { EXPECT_EQ(form.intRefreshTicks, 10); };
  form.optRAMLevel.select(2);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineRamLevel), "2");
  EXPECT_EQ(optimize(5, 1, form.intRamLevel), 2);
  EXPECT_EQ(form.intRefreshTicks, 60);
  os.onMemoryStatus = nullptr;
  const int pumps = os.pumps;
  EXPECT_EQ(optimize(0, 0, 20), 0) << "nothing to claim: nothing starts";
  EXPECT_EQ(os.pumps, pumps);
  EXPECT_EQ(form.intRefreshTicks, 60);
  EXPECT_EQ(form.prgProgress.max(), 2);

  // A step claims for about 10 ms, and at most 16 blocks: input waits no longer.
  for (const auto& [msPerBlock, blocks] : {std::pair{0, 16}, {5, 2}, {20, 1}}) {
    os.onMemoryStatus = [&, ms = msPerBlock] { os.ticks += ms; };
    form.lngFreeRam = 40, form.lngUsedRam = 0;
    form.cmdOptimizeNow_Click();
    int first = -1;
    os.runLoop([&] { first = first < 0 ? form.intNextBlock : first; });
    EXPECT_EQ(first, blocks) << msPerBlock << " ms a block";
  }
  os.postFails = true;  // no room for the next step: the run ends rather than hang
  form.cmdOptimizeNow_Click();
  EXPECT_FALSE(modOptimize::blnOptimizing);
}

TEST_F(OptimizeTest, ClaimsStopWhileOneBlockAndTheReserveWouldNotBeLeft) {
  // 2048 MB: the reserve is 256 MB. Each block takes 2,000,000 bytes of either figure.
  for (const bool physical : {false, true}) {
    os.memory = {2048 * MB, 1024 * MB, 1024 * MB};
    os.onMemoryStatus = [&, physical] {
      uint64_t held = 0;
      for (const auto& block : form.varRamBlocks) held += block.empty() ? 0 : 2000000;
      (physical ? os.memory.availPhys : os.memory.availPageFile) = 256 * MB + 6000000 - held;
    };
    watchProgress();
    EXPECT_EQ(optimize(0, 6, 0), 3) << (physical ? "available memory" : "commit headroom");
    EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 4, 5, 6, 0})) << "every slot is counted";
  }
  // On a large machine the reserve is 5 % of physical memory; past 16 bits, the most there is.
  os.onMemoryStatus = nullptr;
  os.memory = {64 * 1024 * MB, 3276 * MB, 64 * 1024 * MB};
  EXPECT_EQ(optimize(0, 2, 0), 0);
  EXPECT_EQ(optimize(0, 100000, 0), 0);
  EXPECT_EQ(form.prgProgress.max(), 32767);
}

TEST_F(OptimizeTest, ARunGoesOnUnderAnyLoopWhileEventsAreServedButNothingElseStarts) {
  form.lngFreeRam = 160, form.lngUsedRam = 0, form.intRamLevel = 0;
  form.cmdOptimizeNow_Click();
  EXPECT_TRUE(modOptimize::blnOptimizing && form.prgProgress.value() == 0)
      << "the click only starts it; the loop claims the blocks";
  // The About box's own loop carries the run to its end while the box is open.
  bool endedUnderTheBox = false;
  os.whileModal = [&](Dialog& about) {
    os.runLoop();
    endedUnderTheBox = !modOptimize::blnOptimizing && form.prgProgress.value() == 0;
    about.Cancel();
  };
  int step = 0;
  os.runLoop([&] {
    int16_t cancel = 0;
    if (step++ == 1) {  // a click on the hot spot and two close requests, then the About box
      form.cmdOptimizeNow.Click();
      form.Form_Unload(cancel);
      form.Form_Unload(cancel);
      EXPECT_EQ(cancel, 1);
      form.lblAbout.Click();
    }
  });
  EXPECT_TRUE(endedUnderTheBox);
  EXPECT_EQ(form.prgProgress.max(), 160) << "the first run's count stands";
  ASSERT_EQ(os.boxes.size(), 1u) << "one refusal for two requests";
  const auto& box = os.boxes[0];
  EXPECT_EQ(box.owner, 0x1234);
  EXPECT_EQ(box.title, "Tarnwick Demo");
  EXPECT_EQ(box.text,
            "Optimization in progress. Please wait for optimization\r\nto finish before exiting "
            "Tarnwick Demo.");
  EXPECT_EQ(box.icon, win::kMbIconInformation);
  EXPECT_EQ(os.openBoxes(), 1) << "the run ended with the box still up";
  EXPECT_TRUE(form.tmrGlobalTimer.enabled()) << "the refused close stopped nothing";
  EXPECT_EQ(os.ends, 0);
  os.closeBoxes();
  modOptimize::blnOptimizing = true;
  form.lblCmdClose_Click();
  EXPECT_EQ(os.boxes.size(), 2u) << "once closed, the next request shows it again";
  modOptimize::blnOptimizing = false;
  form.lblCmdClose_Click();
  EXPECT_EQ(os.ends, 1) << "closing again once the run has ended exits";
}

TEST_F(OptimizeTest, TheTriggerFiresStrictlyBelowTheChosenShareWhenArmedAndWaitsAfterAnyRun) {
  // Whether the next refresh with these figures, `minutes` after now, starts a run (which
  // claims nothing: no commit headroom).
  const auto fires = [&](uint64_t totalMb, uint64_t freeMb, int minutes = 5) {
    os.memory = {totalMb * MB, freeMb * MB, 0};
    os.ticks += minutes * 60000ull;
    const auto before = form.lastRunEnded;
    form.intRamLevel = 0;
    refresh();
    os.runLoop();
    return form.lastRunEnded != before;
  };
  form.cbbPercent.setListIndex(1);
  form.cbbPercent.setListIndex(2);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLinePercent), "2");
  EXPECT_TRUE(fires(1000, 299));
  EXPECT_FALSE(fires(1000, 100, 0)) << "the next refresh, still below, waits";
  EXPECT_FALSE(fires(1000, 100, 4));
  EXPECT_TRUE(fires(1000, 100, 1)) << "five minutes after the last run ended";
  optimize(0, 1, 0);  // the user's own
  EXPECT_FALSE(fires(1000, 100, 4));
  EXPECT_FALSE(fires(1000, 300)) << "equal in single precision is not below";
  EXPECT_TRUE(fires(1024, 307));
  EXPECT_FALSE(fires(1024, 308));

  form.cbbPercent.setListIndex(-1);
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.3f) << "no choice keeps the share in force";
  form.cbbPercent.setListIndex(0);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLinePercent), "0");
  EXPECT_FALSE(fires(1000, 100)) << "10 % now";
  form.chkAutoOptimize[1].setValue(0);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineLowMemoryOn), "0");
  EXPECT_FALSE(fires(1000, 50)) << "unchecked: never";
  form.chkAutoOptimize[1].setValue(1);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineLowMemoryOn), "1");
  EXPECT_TRUE(fires(1000, 99));
  form.chkAutoOptimize[0].setValue(1);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineEveryOn), "1");
}

class IntervalTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  IntervalTest() {
    os.memory.availPageFile = 0;  // runs claim nothing, whatever the refresh finds
    form.chkAutoOptimize[1].setValue(0);
    form.lngFreeRam = 1, form.lngUsedRam = 0, form.intRamLevel = 0;
  }
  void every(const std::string& interval) {
    form.txtInterval.setText(interval);
    form.chkAutoOptimize[0].setValue(1);
  }
  // Clock changes until the next run, or -1 within `limit`.
  int secondsUntilRun(int limit) {
    for (int s = 1; s <= limit; ++s) {
      const auto before = form.lastRunEnded;
      tickClock();
      if (form.lastRunEnded != before) return s;
    }
    return -1;
  }
  std::string counters() const { return form.txtMinutes.text() + ":" + form.txtSeconds.text(); }
};

TEST_F(IntervalTest, RunsAtTheSixtiethChangeOfTheClockPerMinuteOfTheWholeInterval) {
  every("1");
  std::string atRun;
  os.onMemoryStatus = [&] {
    if (modOptimize::blnOptimizing) atRun = counters();
  };
  EXPECT_EQ(secondsUntilRun(200), 60);
  EXPECT_EQ(atRun, "0:0") << "reset just before the run";
  EXPECT_EQ(secondsUntilRun(200), 60);
  form.txtInterval.setText("2.9");
  EXPECT_EQ(secondsUntilRun(500), 120);
  os.separator = ",";
  form.txtInterval.setText("2,9");
  EXPECT_EQ(secondsUntilRun(500), 120) << "in the user's locale";
  os.separator = ".";

  // Only the text "0" switches it off; intervals below one never run.
  // "0" while the user types "30" over "20" is not the switch; "0" left in the box is.
  form.txtInterval.setText("20");
  for (int i = 0; i < 70; ++i) tickClock();
  form.txtInterval.setFocused(true);
  form.txtInterval.setText("0");
  tickClock();
  form.txtInterval.setText("30");
  EXPECT_EQ(form.chkAutoOptimize[0].value(), 1);
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineInterval), "30");
  form.txtInterval.setText("0");
  form.txtInterval.setFocused(false);
  os.files.clear();
  tickClock();
  EXPECT_EQ(form.chkAutoOptimize[0].value(), 0);
  EXPECT_EQ(os.settingsFile(), "1\r\n0\r\n0\r\n0\r\n2\r\n1\r\n0") << "switched off and saved";
  EXPECT_EQ(counters(), "1:11") << "the counters keep their values";
  for (const char* interval : {"00", "0.0", "-1", "0.5", "abc", ""}) {
    every(interval);
    EXPECT_EQ(secondsUntilRun(200), -1) << interval;
    EXPECT_EQ(form.chkAutoOptimize[0].value(), 1) << interval;
  }
}

TEST_F(IntervalTest, CountingPausesFollowsAChangedIntervalAndIgnoresOtherRuns) {
  every("2");
  for (int i = 0; i < 90; ++i) tickClock();
  form.chkAutoOptimize[0].setValue(0);
  for (int i = 0; i < 500; ++i) tickClock();
  EXPECT_EQ(counters(), "1:30");
  form.chkAutoOptimize[0].setValue(1);
  EXPECT_EQ(secondsUntilRun(200), 30);
  form.txtInterval.setText("5");
  for (int i = 0; i < 180; ++i) tickClock();
  form.txtInterval.setText("10");
  EXPECT_EQ(secondsUntilRun(1000), 7 * 60);
  for (int i = 0; i < 4 * 60; ++i) tickClock();
  form.txtInterval.setText("2");
  EXPECT_EQ(secondsUntilRun(1000), 60) << "lowered below the minutes counted: the next minute";

  for (int i = 0; i < 75; ++i) tickClock();
  const std::string clock = form.txtTime.text();
  form.cmdOptimizeNow_Click();
  tickClock();
  EXPECT_EQ(form.txtTime.text(), clock) << "the clock stands still during a run";
  EXPECT_EQ(counters(), "1:15");
  form.tmrTimer.fire();
  form.tmrTimer.fire();
  EXPECT_EQ(counters(), "1:16") << "the same clock text twice counts once";
}

TEST_F(IntervalTest, TheUpDownStepsBetweenZeroAndNinetyNineInTheUsersLocale) {
  testing::Lines line2;
  form.txtInterval.Change = [&] {
    form.txtInterval_Change();
    line2.push_back(form.lstSettings.item(frmMain::kLineInterval));
  };
  const auto step = [&](const std::string& from, bool up) {
    form.txtInterval.setText(from);
    (up ? form.UpDown.UpClick : form.UpDown.DownClick)();
    return form.txtInterval.text();
  };
  // (separator, from, up, to); "2.5" is not a number where "," is the separator.
  const std::tuple<const char*, const char*, bool, const char*> steps[] = {
      {".", "98", true, "99"},    {".", "99", true, "99"}, {".", "1", false, "0"},
      {".", "0", false, "0"},     {".", "x", false, "0"},  {",", "2,5", true, "3,5"},
      {",", "2,5", false, "1,5"}, {",", "2.5", true, "1"}};
  for (const auto& [separator, from, up, to] : steps) {
    os.separator = separator;
    EXPECT_EQ(step(from, up), to) << from << (up ? " up" : " down");
  }
  os.separator = ".";
  line2.clear();
  EXPECT_EQ(step("abc", true), "1");
  EXPECT_EQ(line2, (testing::Lines{"abc", "0", "1"}));
}

}  // namespace
}  // namespace tarnwick
