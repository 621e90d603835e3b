// The shell of the real program: one instance, closing, the tray, and the About box.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
// After <windows.h>.
#include <tlhelp32.h>
#include <shellapi.h>

#include <thread>

#include "app/layout.h"
#include "platform/platform.h"
#include "harness.h"

namespace {

using namespace tarnwick;
using namespace std::chrono_literals;

TEST(SingleInstance, ASecondStartEndsAtOnceWithoutTouchingAnything) {
  e2e::App first;
  first.start();
  e2e::App second;
  EXPECT_TRUE(second.startAndWaitForExit(10s)) << "the second instance kept running";
  EXPECT_EQ(e2e::findWindowOf(second.pid(), L"TarnwickMain"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(second.folder() / L"Settings.qkv")) << "no file access";
  EXPECT_TRUE(first.running());
  EXPECT_TRUE(IsWindowVisible(first.mainWindow()));
}

TEST(Closing, IsRefusedDuringAnOptimisationAndWorksAfterIt) {
  e2e::SmallMachine machine(1024, 420);  // "High": 420 + 20 % of 604 blocks, a few seconds
  e2e::App app;
  e2e::writeFile(app.folder() / L"Settings.qkv", "");
  app.start();
  const HWND progress = app.control(kIdProgress);
  e2e::click(app.control(kIdOptimizeNow));
  ASSERT_TRUE(e2e::waitFor([&] { return SendMessageW(progress, PBM_GETPOS, 0, 0) > 0; }));

  PostMessageW(app.mainWindow(), WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(e2e::waitFor([&] { return (box = e2e::findWindowOf(app.pid(), L"#32770")); }));
  EXPECT_EQ(e2e::text(box), L"Tarnwick Demo");
  EXPECT_NE(e2e::childTexts(box).find(L"Optimization in progress. Please wait for optimization\r\n"
                                      L"to finish before exiting Tarnwick Demo."),
            std::wstring::npos)
      << e2e::childTexts(box);
  e2e::saveScreenshot(box, e2e::outputDir() / L"refusal.bmp");
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  ASSERT_TRUE(e2e::waitFor([&] { return SendMessageW(progress, PBM_GETPOS, 0, 0) == 0; }, 60s));
  EXPECT_TRUE(app.running()) << "the refusal kept the program";
  std::filesystem::remove(app.folder() / L"Settings.qkv");
  EXPECT_TRUE(app.close());
  EXPECT_TRUE(std::filesystem::exists(app.folder() / L"Settings.qkv")) << "written at exit";
}

TEST(Tray, MinimisingHidesAndSavesAndTheIconBringsTheWindowBackWhereItWas) {
  e2e::App app;
  app.start();
  const HWND w = app.mainWindow();
  SetWindowPos(w, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  std::filesystem::remove(app.folder() / L"Settings.qkv");

  e2e::click(app.control(kIdCmdMinimize));
  EXPECT_TRUE(e2e::waitFor([&] { return !IsWindowVisible(w); }));
  EXPECT_TRUE(
      e2e::waitFor([&] { return std::filesystem::exists(app.folder() / L"Settings.qkv"); }));

  PostMessageW(w, win::kTrayCallbackMessage, 1, WM_MOUSEMOVE);  // a mere move over the icon
  std::this_thread::sleep_for(500ms);
  EXPECT_FALSE(IsWindowVisible(w));
  PostMessageW(w, win::kTrayCallbackMessage, 1, WM_LBUTTONUP);
  ASSERT_TRUE(e2e::waitFor([&] { return IsWindowVisible(w) && !IsIconic(w); }));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 80);
  EXPECT_TRUE(app.close());
}

TEST(Tray, TheIconIsThereAndComesBackAfterTheTaskbarRestarts) {
  e2e::App app;
  app.start();
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = app.mainWindow();
  nid.uID = 1;
  nid.uFlags = NIF_TIP;
  lstrcpyW(nid.szTip, L"probe");
  // Modifying works only on an icon that exists.
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &nid));
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &nid));
  PostMessageW(app.mainWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(e2e::waitFor([&] { return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE; }));
  EXPECT_TRUE(app.close());
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &nid)) << "removed at exit";
}

bool processRunning(const wchar_t* exeName) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry))
    found = _wcsicmp(entry.szExeFile, exeName) == 0;
  CloseHandle(snapshot);
  return found;
}

TEST(About, ShowsTitleAndVersionAndStartsSystemInformation) {
  e2e::App app;
  app.start();
  e2e::click(app.control(kIdAbout));
  HWND about = nullptr;
  ASSERT_TRUE(
      e2e::waitFor([&] { return (about = e2e::findWindowOf(app.pid(), L"TarnwickAbout")); }));
  EXPECT_EQ(e2e::text(about), L"About Tarnwick Demo");
  EXPECT_EQ(e2e::text(GetDlgItem(about, kIdAboutTitle)), L"Tarnwick Demo");
  EXPECT_EQ(e2e::text(GetDlgItem(about, kIdAboutVersion)), L"Version 1.0.0");
  EXPECT_EQ(e2e::text(GetDlgItem(about, kIdAboutSysInfo)), L"&System Info...");
  EXPECT_EQ(GetWindow(about, GW_OWNER), app.mainWindow());
  EXPECT_FALSE(IsWindowEnabled(app.mainWindow())) << "modal";
  std::this_thread::sleep_for(500ms);
  e2e::saveScreenshot(about, e2e::outputDir() / L"about.bmp");

  // The registry names no System Information tool: the message.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location");
  PostMessageW(GetDlgItem(about, kIdAboutSysInfo), BM_CLICK, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(e2e::waitFor([&] {
    box = e2e::findWindowOf(app.pid(), L"#32770");
    return box && IsWindowVisible(box);
  }));
  EXPECT_NE(e2e::childTexts(box).find(L"System Information Is Unavailable At This Time"),
            std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(e2e::waitFor([&] { return !IsWindow(box); }));

  // It names Wine's own tool: that starts.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0,
                            nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t path[] = L"C:\\windows\\system32\\msinfo32.exe";
  RegSetValueExW(key, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
  RegCloseKey(key);
  PostMessageW(GetDlgItem(about, kIdAboutSysInfo), BM_CLICK, 0, 0);
  EXPECT_TRUE(e2e::waitFor([] { return processRunning(L"msinfo32.exe"); }));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");

  PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(e2e::waitFor([&] { return !IsWindow(about); }));
  EXPECT_TRUE(IsWindowEnabled(app.mainWindow()));
  EXPECT_TRUE(app.close());
}

}  // namespace
