#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "memory/modOptimize.h"
#include "platform/fake/fake_platform.h"

namespace tarnwick {
namespace {

constexpr uint64_t MB = 1048576;

TEST(GetMemoryStatus, RoundsBytesToWholeMegabytesHalfToEven) {
  FakePlatform os;
  auto sample = [&](uint64_t total, uint64_t free) {
    os.memory = {total, free, free};
    return modOptimize::GetMemoryStatus(os);
  };
  EXPECT_EQ(sample(536870912, 0)[0], 512);
  EXPECT_EQ(sample(1572864, 0)[0], 2);  // 1.5 MB
  EXPECT_EQ(sample(2621440, 0)[0], 2);  // 2.5 MB
  EXPECT_EQ(sample(2621441, 0)[0], 3);
  EXPECT_EQ(sample(0, 524287)[1], 0);
  EXPECT_EQ(sample(0, 524288)[1], 0);  // exactly half
  EXPECT_EQ(sample(3221225472, 0)[0], 3072);
  EXPECT_EQ(sample(4294967295, 0)[0], 4096);
  // Above 4 GB the real figures, not a 32-bit wrap.
  EXPECT_EQ(sample(64 * 1024 * MB, 33 * 1024 * MB + MB / 2)[1], 33792);
  EXPECT_EQ(sample(64 * 1024 * MB, 0)[0], 65536);
}

TEST(GetMemoryStatus, EveryCallTakesAFreshSample) {
  FakePlatform os;
  os.memory = {512 * MB, 100 * MB, 0};
  EXPECT_EQ(modOptimize::GetMemoryStatus(os)[1], 100);
  os.memory.availPhys = 50 * MB;
  EXPECT_EQ(modOptimize::GetMemoryStatus(os)[1], 50);
  EXPECT_EQ(os.memoryCalls, 2);
}

class StatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    modOptimize::blnOptimizing = false;
    os.memory = {512 * MB, 100 * MB, 100 * MB};
  }
  void TearDown() override { modOptimize::blnOptimizing = false; }
  // Ticks until the refresh runs; returns the tick it ran on (1-based).
  int ticksUntilRefresh(int limit = 200) {
    const int before = os.memoryCalls;
    for (int tick = 1; tick <= limit; ++tick) {
      form.tmrGlobalTimer_Timer();
      if (os.memoryCalls != before) return tick;
    }
    return -1;
  }

  FakePlatform os;
  frmMain form{os};
};

TEST_F(StatusTest, TimerCodeStoresFiguresAndWritesTheLabels) {
  form.TimerCode();
  EXPECT_EQ(form.lngTotalRam, 512);
  EXPECT_EQ(form.lngFreeRam, 100);
  EXPECT_EQ(form.lngUsedRam, 412);
  EXPECT_EQ(form.lblTotalRam.caption(), "512 MB");
  EXPECT_EQ(form.lblFreeRam.caption(), "100 MB");
  os.memory = {70000 * MB, 0, 0};
  form.TimerCode();
  EXPECT_EQ(form.lblTotalRam.caption(), "70000 MB");
  EXPECT_EQ(form.lblFreeRam.caption(), "0 MB");
}

TEST_F(StatusTest, LabelsFreezeWhileOptimizingButFiguresRefresh) {
  form.TimerCode();
  modOptimize::blnOptimizing = true;
  os.memory.availPhys = 300 * MB;
  form.TimerCode();
  EXPECT_EQ(form.lngFreeRam, 300);
  EXPECT_EQ(form.lblFreeRam.caption(), "100 MB");
  modOptimize::blnOptimizing = false;
  form.TimerCode();
  EXPECT_EQ(form.lblFreeRam.caption(), "300 MB");
}

TEST_F(StatusTest, FiguresAreStoredBeforeThePumpAndLabelsAfter) {
  // A handler running inside the pump sees the new figures, the old labels.
  os.memory.availPhys = 200 * MB;
  std::string seenCaption;
  int32_t seenFree = -1;
  os.onPump = [&] {
    seenFree = form.lngFreeRam;
    seenCaption = form.lblFreeRam.caption();
    os.onPump = nullptr;
  };
  form.TimerCode();
  EXPECT_EQ(seenFree, 200);
  EXPECT_EQ(seenCaption, "0");
  EXPECT_EQ(form.lblFreeRam.caption(), "200 MB");
}

TEST_F(StatusTest, StartUpShowsFiguresAtOnceAndArmsTheTick) {
  form.Form_Load();
  EXPECT_EQ(form.lblTotalRam.caption(), "512 MB");
  EXPECT_EQ(form.intRefreshTicks, 10);
  EXPECT_EQ(form.intWatchTicks, 20);
  EXPECT_TRUE(form.blnRefreshOn && form.blnWatchOn && form.tmrGlobalTimer.enabled());
  EXPECT_TRUE(form.tmrTimer.enabled());
  EXPECT_FALSE(form.blnLoading);
}

TEST_F(StatusTest, RefreshRunsOnEveryLimitPlusOnethTick) {
  form.Form_Load();
  EXPECT_EQ(ticksUntilRefresh(), 11);
  EXPECT_EQ(ticksUntilRefresh(), 11);
  form.intRefreshTicks = 5;
  EXPECT_EQ(ticksUntilRefresh(), 6);
  form.intRefreshTicks = 60;
  EXPECT_EQ(ticksUntilRefresh(), 61);
  // Lowered below the count already reached: the refresh runs on the next tick.
  for (int i = 0; i < 30; ++i) form.tmrGlobalTimer_Timer();
  form.intRefreshTicks = 5;
  EXPECT_EQ(ticksUntilRefresh(), 1);
}

TEST_F(StatusTest, WatchCountsIndependentlyAndFirstRunsOnThe21stTick) {
  form.Form_Load();
  for (int tick = 1; tick <= 20; ++tick) form.tmrGlobalTimer_Timer();
  EXPECT_EQ(form.intWatchCount, 20);
  form.tmrGlobalTimer_Timer();
  EXPECT_EQ(form.intWatchCount, 0);
  EXPECT_EQ(form.intRefreshCount, 10);  // refreshed on tick 11, ten counted since
}

TEST_F(StatusTest, NothingRunsWhileAJobIsOff) {
  form.Form_Load();
  form.blnRefreshOn = false;
  form.intRefreshCount = 7;
  EXPECT_EQ(ticksUntilRefresh(500), -1);
  EXPECT_EQ(form.intRefreshCount, 0);
}

}  // namespace
}  // namespace tarnwick
