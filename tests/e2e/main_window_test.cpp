// The real window under Wine: its class, size, place and every visible control, and the
// memory figures of the small machine the runner fakes (2048 MB total, 1024 MB free).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "app/layout.h"
#include "harness.h"

namespace {

using namespace tarnwick;

struct Expected {
  int id;
  const wchar_t* cls;
  int left, top, width, height;  // twips, relative to the container
  const wchar_t* text;
  int container = kIdNone;
};

// The window's design, written out independently of the program's own layout table.
const Expected kDesign[] = {
    {kIdAbout, L"Static", 240, 600, 1575, 495, L""},
    {kIdCmdMinimize, L"Static", 5650, 100, 255, 255, L""},
    {kIdCmdClose, L"Static", 5920, 100, 255, 255, L""},
    {kIdPicture1, L"TarnwickPanel", 480, 1850, 5295, 375, L""},
    {kIdRamLevel0, L"Button", 480, 50, 1335, 255, L"Low", kIdPicture1},
    {kIdRamLevel1, L"Button", 2280, 50, 1335, 255, L"Moderate", kIdPicture1},
    {kIdRamLevel2, L"Button", 4080, 50, 1215, 255, L"High", kIdPicture1},
    {kIdAutoOptimize0, L"Button", 600, 2640, 1455, 255, L"Optimize every"},
    {kIdInterval, L"Edit", 2040, 2640, 1095, 288, L"0"},
    {kIdUpDown, L"msctls_updown32", 3120, 2640, 240, 285, L""},
    {kIdLabel1, L"Static", 3480, 2655, 735, 255, L"minutes."},
    {kIdAutoOptimize1, L"Button", 600, 3030, 3135, 255, L"When Free Memory Level Drops Below"},
    {kIdPercent, L"ComboBox", 3780, 3000, 1935, -1, L""},
    {kIdLabel2, L"Static", 480, 3510, 855, 255, L"Total Ram :"},
    {kIdTotalRam, L"Static", 1440, 3510, 2775, 255, nullptr},
    {kIdLabel3, L"Static", 480, 3750, 855, 255, L"Free Ram :"},
    {kIdFreeRam, L"Static", 1440, 3750, 2775, 255, nullptr},
    {kIdOptimizeNow, L"Static", 4250, 3540, 1650, 440, L""},
    {kIdProgress, L"msctls_progress32", 440, 4080, 5415, 255, L""},
    {kIdPicture2, L"TarnwickPanel", 480, 5160, 2535, 375, L""},
    {kIdActive0, L"Button", 240, 50, 1095, 255, L"High", kIdPicture2},
    {kIdActive1, L"Button", 1440, 50, 1095, 255, L"Normal", kIdPicture2},
    {kIdPicture3, L"TarnwickPanel", 3240, 5160, 2535, 375, L""},
    {kIdNonActive0, L"Button", 360, 50, 975, 255, L"Normal", kIdPicture3},
    {kIdNonActive1, L"Button", 1560, 50, 975, 255, L"Low", kIdPicture3},
    {kIdProcesses, L"Static", 380, 5640, 5535, 255, nullptr},
    {kIdProcessList, L"ListBox", 380, 5880, 5535, 1815, nullptr},
};

HWND control(HWND main, int id, int container) {
  const HWND parent = container == kIdNone ? main : GetDlgItem(main, container);
  return GetDlgItem(parent, id);
}

class MainWindow : public ::testing::Test {
 protected:
  // An empty settings file applies nothing, so the controls keep their design-time state.
  void SetUp() override {
    e2e::writeFile(app.folder() / L"Settings.qkv", "");
    app.start();
  }
  e2e::App app;
};

TEST_F(MainWindow, IsABorderlessCentredWindowOf420By535Pixels) {
  const HWND w = app.mainWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(e2e::className(w), L"TarnwickMain");
  EXPECT_EQ(e2e::text(w), L"");

  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(r.bottom - r.top, 535);
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 420);
  EXPECT_EQ(client.bottom, 535);

  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(r.left, work.left + (work.right - work.left - 420) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 535) / 2);

  const LONG style = GetWindowLongW(w, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_MAXIMIZEBOX), 0);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "must stay out of the taskbar";
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
}

TEST_F(MainWindow, EveryVisibleControlSitsAtItsPlaceWithItsDesignTimeContents) {
  const HWND w = app.mainWindow();
  for (const Expected& e : kDesign) {
    SCOPED_TRACE(e.id);
    const HWND c = control(w, e.id, e.container);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(_wcsicmp(e2e::className(c).c_str(), e.cls), 0) << e2e::className(c);
    EXPECT_TRUE(IsWindowVisible(c));
    const RECT r = e2e::rectInParent(c);
    EXPECT_EQ(r.left, e.left / 15);
    EXPECT_EQ(r.top, e.top / 15);
    EXPECT_EQ(r.right - r.left, e.width / 15);
    if (e.height > 0) {
      EXPECT_EQ(r.bottom - r.top, e.height / 15);
    }
    if (e.text) {
      EXPECT_EQ(e2e::text(c), e.text);
    }
  }
}

TEST_F(MainWindow, ChoicesShowTheirDesignTimeState) {
  const HWND w = app.mainWindow();
  auto checked = [&](int id, int container = kIdNone) {
    return SendMessageW(control(w, id, container), BM_GETCHECK, 0, 0);
  };
  EXPECT_EQ(checked(kIdRamLevel0, kIdPicture1), BST_UNCHECKED);
  EXPECT_EQ(checked(kIdRamLevel1, kIdPicture1), BST_UNCHECKED);
  EXPECT_EQ(checked(kIdRamLevel2, kIdPicture1), BST_CHECKED);
  EXPECT_EQ(checked(kIdActive1, kIdPicture2), BST_CHECKED);
  EXPECT_EQ(checked(kIdActive0, kIdPicture2), BST_UNCHECKED);
  EXPECT_EQ(checked(kIdNonActive0, kIdPicture3), BST_CHECKED);
  EXPECT_EQ(checked(kIdNonActive1, kIdPicture3), BST_UNCHECKED);
  EXPECT_EQ(checked(kIdAutoOptimize0), BST_UNCHECKED);
  EXPECT_EQ(checked(kIdAutoOptimize1), BST_UNCHECKED);

  const HWND percent = GetDlgItem(w, kIdPercent);
  ASSERT_EQ(SendMessageW(percent, CB_GETCOUNT, 0, 0), 3);
  const wchar_t* items[] = {L"10%", L"20%", L"30%"};
  for (int i = 0; i < 3; ++i) {
    wchar_t item[16] = {};
    SendMessageW(percent, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, items[i]);
  }
  EXPECT_EQ(SendMessageW(percent, CB_GETCURSEL, 0, 0), CB_ERR);

  const HWND progress = GetDlgItem(w, kIdProgress);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 100);
}

TEST_F(MainWindow, ShowsTheSmallMachinesMemoryInMegabytes) {
  const HWND w = app.mainWindow();
  EXPECT_EQ(e2e::text(GetDlgItem(w, kIdTotalRam)), L"2048 MB");
  EXPECT_EQ(e2e::text(GetDlgItem(w, kIdFreeRam)), L"1024 MB");
}

TEST_F(MainWindow, ScreenshotForALookAtTheSkin) {
  const HWND w = app.mainWindow();
  std::this_thread::sleep_for(std::chrono::milliseconds(800));  // let every control paint
  EXPECT_TRUE(e2e::saveScreenshot(w, e2e::outputDir() / L"main-window.bmp"));
  EXPECT_TRUE(app.close());
}

}  // namespace
