#include <gtest/gtest.h>
#include <malloc.h>

#include <random>

#include "test_support.h"

namespace tarnwick {
namespace {

using testing::MB;

class FaultTest : public ::testing::Test, protected testing::LoadedWindow {};

TEST_F(FaultTest, AllocationFailingAtAnyBlockStillEndsTheRunIdleWithItsMemoryReleased) {
  constexpr int kBlocks = 6;
  for (int failing = -1; failing <= kBlocks; ++failing) {
    SCOPED_TRACE(failing);
    os.claims = 0;
    // -1: every block fails; kBlocks: none does.
    os.claimFails = [failing](int claim) { return failing < 0 || claim == failing; };
    form.lngFreeRam = kBlocks;
    form.lngUsedRam = 0;
    form.intRamLevel = 0;
    form.cmdOptimizeNow_Click();
    EXPECT_FALSE(modOptimize::blnOptimizing);
    EXPECT_EQ(form.varRamBlocks.capacity(), 0u);
    EXPECT_EQ(form.prgProgress.value(), 0);
    EXPECT_EQ(form.prgProgress.max(), kBlocks);
    EXPECT_EQ(form.intRefreshTicks, 10);
    EXPECT_EQ(os.claims, kBlocks);
  }
}

TEST_F(FaultTest, ProcessesThatRefuseOrVanishMidWalkChangeNothingElse) {
  os.processes = {{4, "C:\\a.exe", 0x20},
                  {8, "C:\\system.exe", 0x80, false},           // access denied
                  {12, "C:\\gone.exe", 0x20, true, false},      // exited after it was opened
                  {16, "C:\\b.exe", 0x40, true, true, false}};  // cannot be raised
  os.foreground = 0x99;
  os.windowOwners[0x99] = 16;
  form.lngActivePriority = 0x8000;
  form.lngNonActivePriority = 0x4000;
  // The first process listed has exited by the time it is opened.
  os.processes.insert(os.processes.begin(),
                      FakePlatform::Process{2, "C:\\exited.exe", 0x20, false});
  form.WatchForegroundWindow();
  EXPECT_EQ(form.lstProcessList.items(),
            (std::vector<std::string>{"C:\\a.exe\tBELOW NORMAL", "C:\\b.exe\tBELOW NORMAL"}));
  EXPECT_EQ(os.process(8)->priorityClass, 0x80u) << "refused: left alone";
  EXPECT_EQ(os.process(12)->priorityClass, 0x4000u) << "opened but unreadable: still lowered";
  EXPECT_EQ(os.process(16)->priorityClass, 0x4000u) << "could not be raised";
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 2");
  EXPECT_TRUE(os.openHandles.empty());
  EXPECT_EQ(form.lstSettings.listCount(), 7) << "the choices are untouched";
}

// A week of the two timers on a fake clock, with free memory wandering around the 30 % the
// default settings arm the trigger at, and the interval scheduler running every 7 minutes.
TEST(LongRun, AWeekOfTicksOptimisesExactlyByTheRulesAndStaysBounded) {
  testing::LoadedWindow window(1000, 500);
  frmMain& form = window.form;
  FakePlatform& os = window.os;
  form.txtInterval.setText("7");
  form.chkAutoOptimize[0].setValue(1);
  ASSERT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  os.memory.availPageFile = 4096 * MB;

  std::mt19937 random(7);
  int64_t freeMb = 300;
  int expectedLow = 0, expectedInterval = 0, runs = 0, clockChanges = 0;
  size_t heapAfterADay = 0;
  const int64_t weekMs = 7LL * 24 * 3600 * 1000;
  int64_t nextClockMs = 987, tick = 0;
  for (int64_t now = 200; now <= weekMs; now += 200) {
    // The clock ticks whenever its 987 ms have come round; its text changes once a second.
    for (; nextClockMs <= now; nextClockMs += 987) {
      const int64_t second = nextClockMs / 1000;
      os.time = {static_cast<int>(second / 3600 % 24), static_cast<int>(second / 60 % 60),
                 static_cast<int>(second % 60)};
      const std::string before = form.txtTime.text();
      const int claims = os.claims;
      form.tmrTimer_Timer();
      if (form.txtTime.text() != before && ++clockChanges % (7 * 60) == 0) ++expectedInterval;
      runs += os.claims != claims;
    }
    ++tick;
    if (tick % 11 == 0) {
      // Free memory wanders between 25 % and 35 %, and is sampled at this refresh.
      freeMb = std::clamp<int64_t>(freeMb + static_cast<int64_t>(random() % 11) - 5, 250, 350);
      os.memory.availPhys = static_cast<uint64_t>(freeMb) * MB;
      if (static_cast<float>(freeMb / 1000.0) < 0.3f) ++expectedLow;
    }
    const int claims = os.claims;
    form.tmrGlobalTimer_Timer();
    runs += os.claims != claims;
    ASSERT_LE(form.intRefreshCount, form.intRefreshTicks);
    ASSERT_LE(form.intWatchCount, form.intWatchTicks);
    if (now == 24LL * 3600 * 1000) heapAfterADay = mallinfo2().uordblks;
  }
  EXPECT_EQ(runs, expectedLow + expectedInterval);
  EXPECT_GT(expectedLow, 1000);
  EXPECT_EQ(expectedInterval, 7 * 24 * 60 / 7);
  EXPECT_LE(std::stoi(form.txtSeconds.text()), 59);
  EXPECT_LE(std::stoi(form.txtMinutes.text()), 6);
  EXPECT_EQ(form.lstSettings.listCount(), 7);
  EXPECT_EQ(form.varRamBlocks.capacity(), 0u);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LE(mallinfo2().uordblks, heapAfterADay + 4096) << "the core's memory grew";
#else
  (void)heapAfterADay;
#endif
}

}  // namespace
}  // namespace tarnwick
