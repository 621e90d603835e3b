// Optimisations in the real program, on the small machine only: never this machine's memory.
#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>.
#include <commctrl.h>

#include <set>
#include <thread>

#include "app/layout.h"
#include "harness.h"

namespace {

using namespace tarnwick;
using namespace e2e;

LRESULT progress(const App& app) {
  return SendMessageW(app.control(kIdProgress), PBM_GETPOS, 0, 0);
}

TEST(Optimize, ARunClimbsEndsUnderOneRefusalAndTheFiguresRefreshAfterIt) {
  // 300 MB free and an empty settings file, so the design's "High": 300 + 20 % of 724 blocks.
  const SmallMachine machine(1024, 300);
  App app;
  writeFile(app.settings(), "");
  ASSERT_TRUE(app.start());
  ASSERT_EQ(text(app.control(kIdFreeRam)), L"300 MB");
  click(app.control(kIdOptimizeNow));
  ASSERT_TRUE(waitFor([&] { return progress(app) > 50; }));
  saveScreenshot(app.window(), L"optimizing");

  // Two close requests: one box, and the run goes on underneath it to its end.
  PostMessageW(app.window(), WM_CLOSE, 0, 0);
  PostMessageW(app.window(), WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = findWindowOf(app.pid(), L"#32770")) != nullptr; }));
  EXPECT_EQ(text(box), L"Tarnwick Demo");
  EXPECT_NE(boxText(box).find(L"Optimization in progress. Please wait for optimization\r\n"
                              L"to finish before exiting Tarnwick Demo."),
            std::wstring::npos);
  std::set<LRESULT> positions;
  EXPECT_TRUE(waitFor([&] { return positions.insert(progress(app)), progress(app) == 0; }, 60s))
      << "the run did not end while the box was open";
  EXPECT_GT(positions.size(), 3u) << "the bar moved block by block";
  EXPECT_EQ(SendMessageW(app.control(kIdProgress), PBM_GETRANGE, FALSE, 0), 445);
  int boxes = 0;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
       w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    boxes += owner == app.pid();
  }
  EXPECT_EQ(boxes, 1);
  saveScreenshot(box, L"refusal");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));

  SmallMachine::set(1024, 700);
  EXPECT_TRUE(waitFor([&] { return text(app.control(kIdFreeRam)) == L"700 MB"; }));
  std::filesystem::remove(app.settings());
  EXPECT_TRUE(app.close());
  EXPECT_EQ(readFile(app.settings()), "") << "written at exit";
}

TEST(Optimize, TheTriggerRunsOnceAndThenWaits) {
  // 200 of 1024 MB free is below the default 30 %; runs claim nothing above the reserve.
  const SmallMachine machine(1024, 200);
  App app;
  ASSERT_TRUE(app.start());
  int runs = 0;
  bool running = false;
  const auto end = std::chrono::steady_clock::now() + 12s;
  while (std::chrono::steady_clock::now() < end) {
    const bool now = progress(app) > 0;
    runs += now && !running;
    running = now;
  }
  EXPECT_LE(runs, 1) << "the refresh runs every 2.2 s; the trigger must wait five minutes";
  EXPECT_TRUE(app.close());
}

}  // namespace
