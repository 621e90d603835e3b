#include <gtest/gtest.h>

#include "test_support.h"

namespace tarnwick {
namespace {

using testing::LoadedWindow;
using testing::MB;

TEST(CalculateOptimizeAmount, FreePlusTheLevelsShareOfUsed) {
  auto amount = [](int32_t used, int32_t free, int16_t level) {
    return modOptimize::CalculateOptimizeAmount(used, free, level);
  };
  EXPECT_EQ(amount(300, 200, 10), 230);
  EXPECT_EQ(amount(300, 200, 15), 245);
  EXPECT_EQ(amount(300, 200, 20), 260);
  EXPECT_EQ(amount(300, 200, 0), 200);
  EXPECT_EQ(amount(5, 0, 10), 0);   // 0.5 goes to the even 0
  EXPECT_EQ(amount(15, 0, 10), 2);  // 1.5 goes to 2
  EXPECT_EQ(amount(INT32_MAX, INT32_MAX, 20), 0) << "an overflow gives 0";
}

class OptimizeTest : public ::testing::Test, protected LoadedWindow {
 protected:
  // Runs the command with the figures of a refresh and the RAM level given.
  void optimize(int32_t usedMb, int32_t freeMb, int16_t level) {
    form.lngUsedRam = usedMb;
    form.lngFreeRam = freeMb;
    form.intRamLevel = level;
    form.cmdOptimizeNow_Click();
  }
  // Records each new value the progress bar shows.
  void watchProgress() {
    form.prgProgress.view = [this] {
      const float value = form.prgProgress.value();
      if (progress.empty() ? value != 0 : value != progress.back()) progress.push_back(value);
    };
  }
  std::vector<float> progress;
};

TEST_F(OptimizeTest, TheChosenLevelSetsTheBlockCount) {
  form.optRAMLevel.select(0);
  form.optRAMLevel.select(1);
  EXPECT_EQ(form.intRamLevel, 15);
  EXPECT_EQ(form.lstSettings.item(0), "1");
  form.lngUsedRam = 300;
  form.lngFreeRam = 200;
  form.cmdOptimizeNow_Click();
  EXPECT_EQ(os.claims, 245);
  EXPECT_EQ(form.prgProgress.max(), 245);
  form.optRAMLevel.select(2);
  EXPECT_EQ(form.intRamLevel, 20);
  EXPECT_EQ(form.lstSettings.item(0), "2");
}

TEST_F(OptimizeTest, NothingToClaimStartsNothing) {
  const int pumps = os.pumps;
  optimize(0, 0, 20);
  EXPECT_EQ(os.claims, 0);
  EXPECT_EQ(os.pumps, pumps);
  EXPECT_EQ(form.intRefreshTicks, 10);
  EXPECT_EQ(form.prgProgress.max(), 100);
}

TEST_F(OptimizeTest, ARunOfThreeClimbsBlockByBlockThenReleasesEverything) {
  os.blockChars = modOptimize::kBlockChars;
  watchProgress();
  bool allThreeHeld = false;
  os.onPump = [&] {
    EXPECT_TRUE(modOptimize::blnOptimizing);
    EXPECT_EQ(form.intRefreshTicks, 5);
    if (form.prgProgress.value() == 3) {
      ASSERT_EQ(form.varRamBlocks.size(), 4u);
      allThreeHeld = true;
      for (int i = 0; i < 3; ++i)
        allThreeHeld &= form.varRamBlocks[i] == RamBlock(modOptimize::kBlockChars, u' ');
      EXPECT_TRUE(form.varRamBlocks[3].empty());
    }
  };
  optimize(0, 3, 0);
  EXPECT_TRUE(allThreeHeld) << "three blocks of 2,000,000 bytes of blanks exist together";
  EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 0}));
  EXPECT_EQ(form.prgProgress.max(), 3);
  EXPECT_FALSE(modOptimize::blnOptimizing);
  EXPECT_EQ(form.varRamBlocks.capacity(), 0u);
  EXPECT_EQ(form.intRefreshTicks, 10);
}

TEST_F(OptimizeTest, AMinimisedRunLeavesTheRefreshAloneThenSlowsItDown) {
  form.form.setWindowState(forms::WindowState::Minimized);
  form.intRefreshTicks = 10;
  os.onPump = [&] { EXPECT_EQ(form.intRefreshTicks, 10); };
  optimize(0, 3, 0);
  EXPECT_EQ(form.intRefreshTicks, 60);
  // Restored in the middle of a run: the normal period again afterwards.
  form.form.setWindowState(forms::WindowState::Normal);
  os.onPump = nullptr;
  optimize(0, 3, 0);
  EXPECT_EQ(form.intRefreshTicks, 10);
}

TEST_F(OptimizeTest, TheAmountIsCappedAt32767Blocks) {
  optimize(0, 100000, 0);
  EXPECT_EQ(form.prgProgress.max(), 32767);
  EXPECT_EQ(os.claims, 32767);
}

TEST_F(OptimizeTest, BlocksThatCannotBeMadeLeaveEmptySlotsAndTheRunGoesOn) {
  os.claimFails = [](int claim) { return claim == 1 || claim == 3; };
  size_t heldAtEnd = 0;
  os.onPump = [&] {
    if (form.prgProgress.value() != 5) return;
    for (const RamBlock& block : form.varRamBlocks) heldAtEnd += !block.empty();
  };
  watchProgress();
  optimize(0, 5, 0);
  EXPECT_EQ(heldAtEnd, 3u);
  EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 4, 5, 0}));
  EXPECT_FALSE(modOptimize::blnOptimizing);
}

TEST_F(OptimizeTest, BlocksStopBeforeTheCommitHeadroomRunsOut) {
  // 2048 MB machine: the reserve is 256 MB; each claimed block takes 2 MB of headroom.
  os.memory.availPageFile = 256 * MB + 3 * 2000000;
  os.onMemoryStatus = [&] { os.memory.availPageFile = 256 * MB + (3 - os.claims) * 2000000; };
  watchProgress();
  optimize(0, 6, 0);
  EXPECT_EQ(os.claims, 3);
  EXPECT_EQ(progress, (std::vector<float>{1, 2, 3, 4, 5, 6, 0}))
      << "the bar advances for the blocks not made too";

  // On a large machine the reserve is 5 % of physical memory.
  os.claims = 0;
  os.memory = {64 * 1024 * MB, 0, 3276 * MB};
  os.onMemoryStatus = nullptr;
  optimize(0, 2, 0);
  EXPECT_EQ(os.claims, 0);
}

TEST_F(OptimizeTest, EventsDuringARunAreServedButCannotStartAnother) {
  form.TimerCode();
  const std::string frozenFree = form.lblFreeRam.caption();
  int pump = 0;
  os.onPump = [&] {
    if (!modOptimize::blnOptimizing) return;
    switch (pump++) {
      case 1:  // a click on the hot spot and on the tray item
        form.cmdOptimizeNow.Click();
        form.mnuPopupOptimize_Click();
        break;
      case 2: {  // a close request
        int16_t cancel = 0;
        form.Form_Unload(cancel);
        EXPECT_EQ(cancel, 1);
        break;
      }
      case 3:  // ticks: the figures refresh, the labels and the clock stay as they were
        os.memory.availPhys = 10 * MB;
        for (int i = 0; i < 12; ++i) form.tmrGlobalTimer_Timer();
        form.tmrTimer_Timer();
        break;
      case 4:  // a new RAM level takes effect for the next run only
        form.optRAMLevel.select(0);
        break;
    }
  };
  optimize(0, 8, 0);
  EXPECT_EQ(os.claims, 8);
  EXPECT_EQ(form.prgProgress.max(), 8);
  EXPECT_EQ(os.messageBoxes, (std::vector<std::string>{
                                 "Tarnwick Demo|Optimization in progress. Please wait for "
                                 "optimization\r\nto finish before exiting Tarnwick Demo.|64"}));
  EXPECT_TRUE(form.tmrGlobalTimer.enabled()) << "the refused close stopped nothing";
  EXPECT_EQ(form.lngFreeRam, 10);
  EXPECT_EQ(form.lblFreeRam.caption(), frozenFree);
  EXPECT_EQ(form.txtTime.text(), "");
  EXPECT_EQ(form.intRamLevel, 10);
  form.TimerCode();
  EXPECT_EQ(form.lblFreeRam.caption(), "10 MB");
}

TEST_F(OptimizeTest, ChoicesMadeWhileLoadingChangeNothing) {
  ASSERT_EQ(form.intRamLevel, 15);  // from the restored "Moderate"
  ASSERT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  form.blnLoading = true;
  form.optRAMLevel.select(0);
  form.cbbPercent.setListIndex(0);
  form.chkAutoOptimize[0].setValue(1);
  form.txtInterval.setText("9");
  EXPECT_EQ(form.intRamLevel, 15);
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  EXPECT_EQ(form.lstSettings.items(),
            (std::vector<std::string>{"1", "0", "20", "1", "2", "1", "0"}));
}

class ThresholdTest : public ::testing::Test, protected LoadedWindow {
 protected:
  // Whether one refresh with these figures starts an optimisation.
  bool fires(uint64_t totalMb, uint64_t freeMb) {
    os.memory = {totalMb * MB, freeMb * MB, 4096 * MB};
    os.claims = 0;
    form.intRamLevel = 0;
    refresh();
    return os.claims > 0;
  }
};

TEST_F(ThresholdTest, FiresStrictlyBelowTheChosenShare) {
  form.cbbPercent.setListIndex(1);
  form.cbbPercent.setListIndex(2);
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  EXPECT_EQ(form.lstSettings.item(4), "2");
  ASSERT_EQ(form.chkAutoOptimize[1].value(), 1);
  EXPECT_TRUE(fires(1000, 299));
  EXPECT_FALSE(fires(1000, 300)) << "equal in single precision is not below";
  EXPECT_TRUE(fires(1024, 307));
  EXPECT_FALSE(fires(1024, 308));
  EXPECT_TRUE(fires(1000, 299)) << "still below after a run: the next refresh runs again";
}

TEST_F(ThresholdTest, TheCheckBoxArmsItAtTheNextRefresh) {
  form.cbbPercent.setListIndex(0);
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.1f);
  EXPECT_EQ(form.lstSettings.item(4), "0");
  form.chkAutoOptimize[1].setValue(0);
  EXPECT_EQ(form.lstSettings.item(3), "0");
  EXPECT_FALSE(fires(1000, 0));
  form.chkAutoOptimize[1].setValue(1);
  EXPECT_EQ(form.lstSettings.item(3), "1");
  EXPECT_TRUE(fires(1000, 99));
  form.chkAutoOptimize[0].setValue(1);
  EXPECT_EQ(form.lstSettings.item(1), "1");
}

TEST_F(ThresholdTest, ARefreshDuringARunStartsNothing) {
  form.cbbPercent.setListIndex(0);
  os.memory = {1000 * MB, 10 * MB, 4096 * MB};
  int nested = 0;
  os.onPump = [&] {
    if (modOptimize::blnOptimizing && nested++ == 0) refresh();
  };
  form.intRamLevel = 0;
  refresh();
  EXPECT_EQ(os.claims, 10) << "one run of the free figure's 10 blocks";
}

}  // namespace
}  // namespace tarnwick
