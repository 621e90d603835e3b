// Optimisations that start by themselves: below a share of free memory, and every N minutes.
#include <malloc.h>

#include "test_support.h"

namespace tarnwick {
namespace {

using testing::MB;

class ThresholdTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  // Whether the next refresh with these figures, `minutes` after now, starts a run (which
  // claims nothing: no commit headroom).
  bool fires(uint64_t totalMb, uint64_t freeMb, int minutes = 5) {
    os.memory = {totalMb * MB, freeMb * MB, 0};
    os.ticks += minutes * 60000ull;
    const auto before = form.lastRunEnded;
    form.intRamLevel = 0;
    refresh();
    return form.lastRunEnded != before;
  }
};

TEST_F(ThresholdTest, FiresStrictlyBelowTheChosenShareWhenArmedAndWaitsAfterAnyRun) {
  form.cbbPercent.setListIndex(1);
  form.cbbPercent.setListIndex(2);
  EXPECT_EQ(form.lstSettings.item(4), "2");
  EXPECT_TRUE(fires(1000, 299));
  EXPECT_FALSE(fires(1000, 100, 0)) << "the next refresh, still below, waits";
  EXPECT_FALSE(fires(1000, 100, 4));
  EXPECT_TRUE(fires(1000, 100, 1)) << "five minutes after the last run ended";
  optimize(0, 1, 0);  // the user's own
  EXPECT_FALSE(fires(1000, 100, 4));
  EXPECT_FALSE(fires(1000, 300)) << "equal in single precision is not below";
  EXPECT_TRUE(fires(1024, 307));
  EXPECT_FALSE(fires(1024, 308));

  form.cbbPercent.setListIndex(0);
  EXPECT_EQ(form.lstSettings.item(4), "0");
  EXPECT_FALSE(fires(1000, 100)) << "10 % now";
  form.chkAutoOptimize[1].setValue(0);
  EXPECT_EQ(form.lstSettings.item(3), "0");
  EXPECT_FALSE(fires(1000, 50)) << "unchecked: never";
  form.chkAutoOptimize[1].setValue(1);
  EXPECT_EQ(form.lstSettings.item(3), "1");
  EXPECT_TRUE(fires(1000, 99));
  form.chkAutoOptimize[0].setValue(1);
  EXPECT_EQ(form.lstSettings.item(1), "1");

  // A refresh made during a run, still below, starts nothing.
  os.ticks += 3600000;
  int nested = 0;
  os.onPump = [&] {
    if (modOptimize::blnOptimizing && nested++ == 0) refresh();
  };
  EXPECT_TRUE(fires(1000, 10));
  EXPECT_EQ(form.prgProgress.max(), 10) << "one run of the free figure's blocks";
  EXPECT_GT(nested, 1);
}

class IntervalTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  IntervalTest() {
    form.chkAutoOptimize[1].setValue(0);
    form.lngFreeRam = 1;
    form.lngUsedRam = 0;
    form.intRamLevel = 0;
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
  os.onPump = [&] {
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
}

TEST_F(IntervalTest, OnlyTheTextZeroSwitchesItOffAndIntervalsBelowOneNeverRun) {
  every("5");
  for (int i = 0; i < 70; ++i) tickClock();
  form.txtInterval.setText("0");
  os.files.clear();
  tickClock();
  EXPECT_EQ(form.chkAutoOptimize[0].value(), 0);
  EXPECT_EQ(file(), "1\r\n0\r\n0\r\n0\r\n2\r\n1\r\n0") << "switched off and saved";
  EXPECT_EQ(counters(), "1:10") << "the counters keep their values";
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
  std::string clock;
  os.onPump = [&] {
    if (!modOptimize::blnOptimizing || !clock.empty()) return;
    clock = form.txtTime.text();
    tickClock();
  };
  form.cmdOptimizeNow_Click();
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
    line2.push_back(form.lstSettings.item(2));
  };
  const auto step = [&](const std::string& from, bool up) {
    form.txtInterval.setText(from);
    (up ? form.UpDown.UpClick : form.UpDown.DownClick)();
    return form.txtInterval.text();
  };
  EXPECT_EQ(
      step("98", true) + step("99", true) + step("1", false) + step("0", false) + step("x", false),
      "9999000");
  line2.clear();
  EXPECT_EQ(step("abc", true), "1");
  EXPECT_EQ(line2, (testing::Lines{"abc", "0", "1"}));
  os.separator = ",";
  EXPECT_EQ(step("2,5", true) + step("2,5", false) + step("2.5", true), "3,51,51")
      << "\"2.5\" is not a number where \",\" is the separator";
}

// A week of both timers on a fake clock: the scheduler runs every 7 minutes exactly, and
// nothing the program holds grows.
TEST(LongRun, AWeekOfTicksRunsExactlyByTheClockAndStaysBounded) {
  testing::LoadedWindow window;
  frmMain& form = window.form;
  window.os.memory.availPageFile = 0;  // runs that claim nothing
  form.txtInterval.setText("7");
  form.chkAutoOptimize[0].setValue(1);
  int runs = 0;
  size_t heapAfterADay = 0;
  for (int64_t now = 200, nextClock = 987; now <= 7LL * 24 * 3600 * 1000; now += 200) {
    for (; nextClock <= now; nextClock += 987) {
      const int64_t s = nextClock / 1000;
      window.os.time = {int(s / 3600 % 24), int(s / 60 % 60), int(s % 60)};
      const auto before = form.lastRunEnded;
      form.tmrTimer.fire();
      runs += form.lastRunEnded != before;
    }
    window.os.ticks = 1000000 + static_cast<uint64_t>(now);
    form.tmrGlobalTimer.fire();
    ASSERT_LE(std::stoi(form.txtSeconds.text()) + 100 * std::stoi(form.txtMinutes.text()), 659);
    if (now == 24LL * 3600 * 1000) heapAfterADay = mallinfo2().uordblks;
  }
  EXPECT_EQ(runs, 7 * 24 * 60 / 7);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LE(mallinfo2().uordblks, heapAfterADay + 4096) << "the core's memory grew";
#endif
  (void)heapAfterADay;
}

}  // namespace
}  // namespace tarnwick
