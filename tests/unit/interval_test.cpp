#include <gtest/gtest.h>

#include "test_support.h"

namespace tarnwick {
namespace {

using testing::MB;

class IntervalTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  IntervalTest() {
    // Each optimisation claims one block, so claims count the runs.
    form.chkAutoOptimize[1].setValue(0);
    form.lngFreeRam = 1;
    form.lngUsedRam = 0;
    form.intRamLevel = 0;
    os.memory.availPageFile = 4096 * MB;
  }
  void every(const std::string& interval) {
    form.txtInterval.setText(interval);
    form.chkAutoOptimize[0].setValue(1);
  }
  // Clock changes until the next optimisation, or -1 within `limit`.
  int secondsUntilRun(int limit) {
    const int before = os.claims;
    for (int s = 1; s <= limit; ++s) {
      tickClock();
      if (os.claims != before) return s;
    }
    return -1;
  }
  std::string counters() const { return form.txtMinutes.text() + ":" + form.txtSeconds.text(); }
};

TEST_F(IntervalTest, RunsAtTheSixtiethChangeOfTheClockForOneMinute) {
  every("1");
  std::string countersAtRun;
  os.onPump = [&] {
    if (modOptimize::blnOptimizing) countersAtRun = counters();
  };
  EXPECT_EQ(secondsUntilRun(200), 60);
  EXPECT_EQ(countersAtRun, "0:0") << "reset just before the run";
  EXPECT_EQ(counters(), "0:0");
  EXPECT_EQ(secondsUntilRun(200), 60);
}

TEST_F(IntervalTest, TheWholePartOfTheIntervalCounts) {
  every("2.9");
  EXPECT_EQ(secondsUntilRun(500), 120);
}

TEST_F(IntervalTest, IntervalsThatAreNotOneOrMoreNeverRun) {
  for (const char* interval : {"00", "0.0", "-1", "0.5", "abc", ""}) {
    SCOPED_TRACE(interval);
    every(interval);
    EXPECT_EQ(secondsUntilRun(200), -1);
    EXPECT_EQ(form.chkAutoOptimize[0].value(), 1) << "only the text \"0\" switches it off";
  }
}

TEST_F(IntervalTest, ZeroSwitchesTheSchedulerOffAndSavesTheFile) {
  every("5");
  for (int i = 0; i < 70; ++i) tickClock();
  form.txtInterval.setText("0");
  EXPECT_EQ(form.lstSettings.item(2), "0");
  const std::string path = os.folder + "\\Settings.qkv";
  os.files.erase(path);
  tickClock();
  EXPECT_EQ(form.chkAutoOptimize[0].value(), 0);
  EXPECT_EQ(form.lstSettings.item(1), "0");
  EXPECT_EQ(os.files[path].bytes, "1\r\n0\r\n0\r\n0\r\n2\r\n1\r\n0");
  EXPECT_EQ(counters(), "1:10") << "the counters keep their values";
}

TEST_F(IntervalTest, CountingPausesWhileUncheckedAndResumes) {
  every("2");
  for (int i = 0; i < 90; ++i) tickClock();
  form.chkAutoOptimize[0].setValue(0);
  for (int i = 0; i < 500; ++i) tickClock();
  EXPECT_EQ(counters(), "1:30");
  form.chkAutoOptimize[0].setValue(1);
  EXPECT_EQ(secondsUntilRun(200), 30);
}

TEST_F(IntervalTest, AChangedIntervalTakesEffectAtTheNextComparison) {
  every("5");
  for (int i = 0; i < 180; ++i) tickClock();
  form.txtInterval.setText("10");
  EXPECT_EQ(secondsUntilRun(1000), 7 * 60);
  // Lowered below the minutes already counted: the next minute runs it.
  for (int i = 0; i < 4 * 60; ++i) tickClock();
  form.txtInterval.setText("2");
  EXPECT_EQ(secondsUntilRun(1000), 60);
}

TEST_F(IntervalTest, OtherRunsLeaveTheCountersAndFreezeTheClock) {
  every("3");
  for (int i = 0; i < 75; ++i) tickClock();
  int frozenTicks = 0;
  os.onPump = [&] {
    if (!modOptimize::blnOptimizing || frozenTicks++) return;
    const std::string clock = form.txtTime.text();
    tickClock();
    tickClock();
    EXPECT_EQ(form.txtTime.text(), clock);
  };
  form.cmdOptimizeNow_Click();
  os.onPump = nullptr;
  EXPECT_EQ(counters(), "1:15");
}

TEST_F(IntervalTest, TheSameClockTextTwiceCountsOnce) {
  every("1");
  form.tmrTimer_Timer();
  form.tmrTimer_Timer();
  EXPECT_EQ(counters(), "0:1");
  EXPECT_EQ(form.txtTime.text(), "00:00:00");
}

TEST_F(IntervalTest, AWeekAtSevenMinutesRunsEverySevenMinutesExactly) {
  every("7");
  int runs = 0, maxMinutes = 0, maxSeconds = 0;
  const int week = 7 * 24 * 60 * 60;
  for (int s = 0; s < week; ++s) {
    const int before = os.claims;
    tickClock();
    runs += os.claims != before;
    maxMinutes = std::max(maxMinutes, std::stoi(form.txtMinutes.text()));
    maxSeconds = std::max(maxSeconds, std::stoi(form.txtSeconds.text()));
  }
  EXPECT_EQ(runs, week / (7 * 60));
  EXPECT_LE(maxMinutes, 6);
  EXPECT_LE(maxSeconds, 59);
}

TEST_F(IntervalTest, TheUpDownStepsBetweenZeroAndNinetyNine) {
  auto up = [&](const std::string& from) {
    form.txtInterval.setText(from);
    form.UpDown.UpClick();
    return form.txtInterval.text();
  };
  auto down = [&](const std::string& from) {
    form.txtInterval.setText(from);
    form.UpDown.DownClick();
    return form.txtInterval.text();
  };
  EXPECT_EQ(up("98"), "99");
  EXPECT_EQ(up("99"), "99");
  EXPECT_EQ(down("1"), "0");
  EXPECT_EQ(down("0"), "0");
  std::vector<std::string> line2;
  form.txtInterval.Change = [&] {
    form.txtInterval_Change();
    line2.push_back(form.lstSettings.item(2));
  };
  EXPECT_EQ(up("letters"), "1");
  EXPECT_EQ(line2, (std::vector<std::string>{"letters", "0", "1"}));
  EXPECT_EQ(down("x"), "0");
}

}  // namespace
}  // namespace tarnwick
