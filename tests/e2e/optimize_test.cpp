// An optimisation in the real program, on the small machine only: never this machine's memory.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <thread>

#include "app/layout.h"
#include "harness.h"

namespace {

using namespace tarnwick;

// Picks an item of a drop-down list as the user would: the list changes its selection and
// tells its parent.
void pick(HWND main, HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

TEST(Optimize, TheHotSpotRunsAnOptimisationWithAMovingProgressBar) {
  // 300 MB free and an empty settings file, so the design's "High": 300 + 20 % of 724 blocks.
  e2e::SmallMachine machine(1024, 300);
  e2e::App app;
  e2e::writeFile(app.folder() / L"Settings.qkv", "");
  app.start();
  const HWND progress = app.control(kIdProgress);
  ASSERT_EQ(e2e::text(app.control(kIdFreeRam)), L"300 MB");

  e2e::click(app.control(kIdOptimizeNow));
  std::set<LRESULT> positions;
  bool shot = false;
  const bool ended = e2e::waitFor(
      [&] {
        const LRESULT pos = SendMessageW(progress, PBM_GETPOS, 0, 0);
        positions.insert(pos);
        if (!shot && pos > 100) {
          shot = e2e::saveScreenshot(app.mainWindow(), e2e::outputDir() / L"optimizing.bmp");
        }
        return pos == 0 && positions.size() > 2;
      },
      std::chrono::seconds(60));
  ASSERT_TRUE(ended) << "the bar never returned to 0";
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 445);
  EXPECT_GT(positions.size(), 5u) << "the bar moved block by block";
  EXPECT_TRUE(shot);

  // The figures refresh afterwards.
  e2e::SmallMachine::set(1024, 700);
  EXPECT_TRUE(e2e::waitFor([&] { return e2e::text(app.control(kIdFreeRam)) == L"700 MB"; }));
  EXPECT_TRUE(app.close());
}

TEST(Optimize, TheFreeMemoryTriggerFiresBelowItsShare) {
  // Armed by default; the user picks "20%", then "30%". 280 of 1024 MB free is below it.
  e2e::SmallMachine machine(1024, 600);
  e2e::App app;
  app.start();
  pick(app.mainWindow(), app.control(kIdPercent), 1);
  pick(app.mainWindow(), app.control(kIdPercent), 2);
  const HWND progress = app.control(kIdProgress);
  e2e::SmallMachine::set(1024, 280);
  EXPECT_TRUE(e2e::waitFor([&] { return SendMessageW(progress, PBM_GETRANGE, FALSE, 0) != 100; },
                           std::chrono::seconds(10)))
      << "no optimisation started";
  e2e::SmallMachine::set(1024, 600);
  EXPECT_TRUE(e2e::waitFor([&] { return SendMessageW(progress, PBM_GETPOS, 0, 0) == 0; }));
  EXPECT_TRUE(app.close());
}

}  // namespace

namespace {

TEST(Interval, IsSteppedTypedAndSaved) {
  e2e::App app;
  app.start();
  const HWND interval = app.control(kIdInterval);
  const HWND upDown = app.control(kIdUpDown);
  RECT r;
  GetClientRect(upDown, &r);
  const auto press = [&](int y) {
    PostMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, y));
    PostMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, y));
  };
  press(2);  // the up arrow
  EXPECT_TRUE(e2e::waitFor([&] { return e2e::text(interval) == L"21"; })) << e2e::text(interval);
  press(r.bottom - 2);  // the down arrow, twice
  press(r.bottom - 2);
  EXPECT_TRUE(e2e::waitFor([&] { return e2e::text(interval) == L"19"; })) << e2e::text(interval);

  SendMessageW(interval, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"45"));
  EXPECT_EQ(SendMessageW(interval, EM_GETLIMITTEXT, 0, 0), 5);
  EXPECT_TRUE(app.close());
  EXPECT_EQ(e2e::readFile(app.folder() / L"Settings.qkv"), "1\r\n0\r\n45\r\n1\r\n2\r\n1\r\n0");
}

}  // namespace
