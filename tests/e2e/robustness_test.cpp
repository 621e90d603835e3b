// The real program under stress: another pixel density, many starts at once, many runs in a
// row, and a folder it may not write to.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <thread>
#include <vector>

#include "app/layout.h"
#include "platform/platform.h"
#include "harness.h"

namespace {

using namespace tarnwick;
using namespace std::chrono_literals;

void setLogPixels(DWORD dpi) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  RegCloseKey(key);
}

TEST(HighDpi, At144DpiEverythingScalesByHalfAgain) {
  setLogPixels(144);
  e2e::App app;
  e2e::writeFile(app.folder() / L"Settings.qkv", "");
  app.start();
  setLogPixels(96);
  const HWND w = app.mainWindow();
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 630);
  EXPECT_EQ(r.bottom - r.top, 802);
  // Ten twips to the pixel now.
  const struct {
    int id, left, top, width;
  } spots[] = {{kIdOptimizeNow, 425, 354, 165},
               {kIdProcessList, 38, 588, 553},
               {kIdFreeRam, 144, 375, 277},
               {kIdCmdClose, 592, 10, 25}};
  for (const auto& s : spots) {
    const RECT c = e2e::rectInParent(app.control(s.id));
    EXPECT_EQ(c.left, s.left) << s.id;
    EXPECT_EQ(c.top, s.top) << s.id;
    EXPECT_EQ(c.right - c.left, s.width) << s.id;
  }
  std::this_thread::sleep_for(800ms);
  EXPECT_TRUE(e2e::saveScreenshot(w, e2e::outputDir() / L"main-window-144dpi.bmp"));
}

TEST(SingleInstance, TwentySimultaneousStartsLeaveExactlyOne) {
  e2e::App app;  // the folder and the exe in it
  const auto exe = app.folder() / L"Tarnwick.exe";
  std::filesystem::copy_file(e2e::exePath(), exe);
  std::vector<PROCESS_INFORMATION> started(20);
  for (auto& process : started) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               app.folder().c_str(), &startup, &process));
  }
  auto alive = [&] {
    int n = 0;
    for (const auto& process : started)
      n += WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
    return n;
  };
  EXPECT_TRUE(e2e::waitFor([&] { return alive() == 1; }, 60s)) << alive() << " still running";
  std::this_thread::sleep_for(2s);
  EXPECT_EQ(alive(), 1);
  int windows = 0;
  for (const auto& process : started) {
    if (const HWND w = e2e::findWindowOf(process.dwProcessId, L"TarnwickMain")) {
      windows += IsWindowVisible(w) ? 1 : 0;
      PostMessageW(w, WM_CLOSE, 0, 0);
    }
  }
  EXPECT_EQ(windows, 1);
  for (auto& process : started) {
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
      TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

// What a process holds. Wine answers GetProcessHandleCount, GetGuiResources and the private
// bytes of GetProcessMemoryInfo with zeros, so where they say nothing the same things are
// counted another way: handles from the system's handle table, USER objects as the windows
// the process owns, private memory as the anonymous memory of the process under Wine.
struct Footprint {
  ULONG handles = 0, gdi = 0, user = 0;
  SIZE_T privateBytes = 0;
};

ULONG handlesInSystemTable(DWORD pid) {
  struct Entry {
    ULONG pid;
    BYTE type, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<char> buffer(1 << 22);
  ULONG length = 0;
  if (!query || query(16 /* SystemHandleInformation */, buffer.data(),
                      static_cast<ULONG>(buffer.size()), &length) != 0)
    return 0;
  const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  ULONG mine = 0;
  for (ULONG i = 0; i < count; ++i) mine += entries[i].pid == pid;
  return mine;
}

ULONG windowsOf(DWORD pid) {
  struct Count {
    DWORD pid;
    ULONG n;
  } count{pid, 0};
  EnumWindows(
      [](HWND top, LPARAM param) -> BOOL {
        auto& c = *reinterpret_cast<Count*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        if (owner != c.pid) return TRUE;
        ++c.n;
        EnumChildWindows(
            top,
            [](HWND, LPARAM p) -> BOOL {
              ++reinterpret_cast<Count*>(p)->n;
              return TRUE;
            },
            param);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.n;
}

Footprint footprintOf(const e2e::App& app) {
  Footprint f;
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.pid());
  if (!process) return f;
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  f.handles = handles ? handles : handlesInSystemTable(app.pid());
  f.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  f.user = GetGuiResources(process, GR_USEROBJECTS);
  if (!f.user) f.user = windowsOf(app.pid());
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  f.privateBytes = counters.PrivateUsage;
  if (!f.privateBytes)
    f.privateBytes =
        e2e::linuxAnonymousBytes(e2e::linuxProcessFolder(app.folder().filename().wstring()));
  CloseHandle(process);
  return f;
}

TEST(Resources, FiftyOptimisationsInARowLeaveNothingBehind) {
  e2e::SmallMachine machine(1024, 200);
  e2e::App app;
  e2e::writeFile(app.folder() / L"Settings.qkv", "");
  app.start();
  const HWND w = app.mainWindow();
  const HWND spot = app.control(kIdOptimizeNow);
  // Sent, not posted: the whole run happens inside the call.
  auto optimise = [&] {
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(kIdOptimizeNow, STN_CLICKED),
                 reinterpret_cast<LPARAM>(spot));
  };
  // Three runs that really claim memory (300 MB free clears the reserve), then the rest
  // with the reserve declining every block, so the run is all progress and pumping.
  e2e::SmallMachine::set(1024, 300);
  std::this_thread::sleep_for(3s);  // a refresh takes the new figures
  optimise();
  const Footprint before = footprintOf(app);
  ASSERT_GT(before.handles, 0u);
  ASSERT_GT(before.user, 0u);
  ASSERT_GT(before.privateBytes, 0u);
  for (int i = 0; i < 2; ++i) optimise();
  e2e::SmallMachine::set(1024, 200);
  std::this_thread::sleep_for(3s);
  for (int i = 0; i < 48; ++i) optimise();
  EXPECT_EQ(SendMessageW(app.control(kIdProgress), PBM_GETPOS, 0, 0), 0);
  const Footprint after = footprintOf(app);
  EXPECT_EQ(after.handles, before.handles);
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
  EXPECT_LE(after.privateBytes, before.privateBytes + (1u << 20))
      << before.privateBytes << " -> " << after.privateBytes;
  std::printf("footprint after 50 runs: %lu handles, %lu GDI, %lu USER, %zu private bytes\n",
              after.handles, after.gdi, after.user, after.privateBytes);
  EXPECT_TRUE(app.close());
}

TEST(ReadOnlyFolder, TheProgramRunsOnWithItsChoicesInMemory) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"TARNWICK_RO_FOLDER", folder, MAX_PATH), 0u);
  const std::filesystem::path exe = std::filesystem::path(folder) / L"Tarnwick.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder, &startup, &process));
  HWND w = nullptr;
  ASSERT_TRUE(e2e::waitFor([&] {
    w = e2e::findWindowOf(process.dwProcessId, L"TarnwickMain");
    return w && IsWindowVisible(w);
  }));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder) / L"Settings.qkv"));
  EXPECT_EQ(e2e::text(GetDlgItem(w, kIdTotalRam)), L"2048 MB");

  // A choice, then minimising (which saves, and cannot): still running, choice still shown.
  const HWND low = GetDlgItem(GetDlgItem(w, kIdPicture1), kIdRamLevel0);
  e2e::click(low);
  EXPECT_TRUE(e2e::waitFor([&] { return SendMessageW(low, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  e2e::click(GetDlgItem(w, kIdCmdMinimize));
  EXPECT_TRUE(e2e::waitFor([&] { return !IsWindowVisible(w); }));
  PostMessageW(w, win::kTrayCallbackMessage, 1, WM_LBUTTONUP);
  EXPECT_TRUE(e2e::waitFor([&] { return IsWindowVisible(w) != FALSE; }));
  EXPECT_EQ(SendMessageW(low, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

}  // namespace
