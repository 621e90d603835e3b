// The real program under Wine beside bare Win32 programs, measured in one run: an optimisation,
// start-up time, idle CPU, memory after start-up, a start straight into the tray; and one
// process-list pass over this machine's processes. Prints rows of the bench table; with an
// argument, only the rows whose name it is
// ("optimiser,idle" and so on).
#include <windows.h>
// After <windows.h>.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/frmMain.h"
#include "app/layout.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_platform.h"
#include "../tests/e2e/harness.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// What Wine leaves at zero, read from Linux instead: the /proc folder of the Linux process
// whose command line holds `needle`, and its anonymous memory in bytes.
std::wstring linuxProcessFolder(const std::wstring& needle) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + entry.cFileName;
    const std::string commandLine = e2e::readFile(dir + L"\\cmdline");
    if (std::wstring(commandLine.begin(), commandLine.end()).find(needle) != std::wstring::npos)
      found = dir;
  } while (found.empty() && FindNextFileW(find, &entry));
  FindClose(find);
  return found;
}

size_t linuxAnonymousBytes(const std::wstring& procFolder) {
  const std::string status = e2e::readFile(procFolder + L"\\status");
  const size_t at = status.find("RssAnon:");
  return at == std::string::npos ? 0 : std::stoull(status.substr(at + 8)) * 1024;
}

// A program started from a fresh folder of its own, stopped and removed afterwards.
class Started {
 public:
  // `show`: the show state it is started with (none: none); `arguments` after its name.
  Started(const fs::path& exe, const wchar_t* tag, const std::string& settings = "", int show = -1,
          const std::wstring& arguments = L"")
      : folder_(fs::temp_directory_path() / (std::wstring(L"tarnwick-bench-") + tag + L"-" +
                                             std::to_wstring(GetTickCount64()))) {
    fs::create_directories(folder_);
    exe_ = folder_ / exe.filename();
    fs::copy_file(exe, exe_);
    if (!settings.empty()) e2e::writeFile(folder_ / L"Settings.qkv", settings);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = show < 0 ? 0 : STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show < 0 ? 0 : show);
    std::wstring commandLine = L"\"" + exe_.wstring() + L"\" " + arguments;
    started_ = Clock::now();
    CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   folder_.c_str(), &startup, &process_);
  }
  ~Started() {
    close();
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    settle();
  }
  // Seconds from WM_CLOSE until the process is gone.
  double close() {
    const auto asked = Clock::now();
    if (const HWND w = window()) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
      TerminateProcess(process_.hProcess, 1);
    return std::chrono::duration<double>(Clock::now() - asked).count();
  }
  // Under Xvfb without a window manager, Wine's shell takes two seconds to hide its own tray
  // window once the last icon is gone, and the next program's windows wait for it: the next
  // measurement starts once the shell answers again.
  static void settle() {
    DWORD_PTR ignored = 0;
    for (const HWND shell : {FindWindowW(L"Shell_TrayWnd", nullptr), GetDesktopWindow()})
      if (shell) SendMessageTimeoutW(shell, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
  }
  HWND window() const {
    for (const wchar_t* cls : {L"TarnwickMain", L"BareTimers", L"BareWindow"})
      if (const HWND w = e2e::findWindowOf(process_.dwProcessId, cls)) return w;
    return nullptr;
  }
  // Seconds from the start until `ready` holds, looked at every 2 ms.
  double until(const std::function<bool()>& ready) const {
    const auto end = Clock::now() + std::chrono::minutes(1);
    while (!ready() && Clock::now() < end) Sleep(2);
    return std::chrono::duration<double>(Clock::now() - started_).count();
  }
  std::wstring linuxFolder() const { return linuxProcessFolder(folder_.filename().wstring()); }
  DWORD pid() const { return process_.dwProcessId; }

 private:
  fs::path folder_, exe_;
  PROCESS_INFORMATION process_{};
  Clock::time_point started_;
};

fs::path besideThis(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path() / name;
}

// User plus system CPU seconds of a Linux process, which Wine does not report.
double linuxCpuSeconds(const std::wstring& procFolder) {
  const std::string stat = e2e::readFile(procFolder + L"\\stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  // After the command's name: state, then fields 4 to 13, then utime and stime in ticks.
  size_t at = close + 2;
  for (int field = 3; field < 14; ++field) at = stat.find(' ', at) + 1;
  const unsigned long long user = std::stoull(stat.substr(at));
  const unsigned long long system = std::stoull(stat.substr(stat.find(' ', at) + 1));
  return static_cast<double>(user + system) / 100.0;  // USER_HZ
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Rounds of start-up and exit, the programs taking turns so that whatever else the machine does
// falls on all of them alike.
constexpr int kRounds = 21;

struct StartAndExit {
  double start, exit;
};

// Seconds from the process start until the window shows (with `ready`, until that holds too),
// looked at without asking the program anything before: a message to a window of its own would
// wait for its next pump and hold it up meanwhile. Then from WM_CLOSE until the process is gone.
StartAndExit startAndExit(const fs::path& exe, const std::function<bool(HWND)>& ready = nullptr) {
  Started app(exe, L"start");
  StartAndExit times{};
  times.start = app.until([&] {
    const HWND w = app.window();
    return w && IsWindowVisible(w) && (!ready || ready(w));
  });
  times.exit = app.close();
  return times;
}

void startUpAndExit(const fs::path& tarnwick, const fs::path& sameWay) {
  std::vector<double> start, exit, floorStart, floorExit;
  for (int i = 0; i < kRounds; ++i) {
    const StartAndExit program = startAndExit(tarnwick, [](HWND w) {
      return e2e::text(GetDlgItem(w, tarnwick::kIdFreeRam)).find(L" MB") != std::wstring::npos;
    });
    const StartAndExit floor = startAndExit(sameWay);
    start.push_back(program.start), exit.push_back(program.exit);
    floorStart.push_back(floor.start), floorExit.push_back(floor.exit);
  }
  std::printf(
      "| Start-up under Wine, process start until the window shows with figures in its labels "
      "(median of %d) | %.0f ms | bare window made the same way (manifest, class, styles), "
      "until shown: %.0f ms | %.2f |\n",
      kRounds, median(start) * 1000, median(floorStart) * 1000, median(start) / median(floorStart));
  std::printf(
      "| Exit under Wine, WM_CLOSE until the process is gone (median of %d) | %.0f ms | the same "
      "bare window, which Wine holds 2 s in DestroyWindow without a window manager: %.0f ms | "
      "%.2f |\n",
      kRounds, median(exit) * 1000, median(floorExit) * 1000, median(exit) / median(floorExit));
}

void idleAndFootprint(const fs::path& tarnwick, const fs::path& timers, const fs::path& sameWay) {
  Started app(tarnwick, L"idle");
  Started floor(timers, L"idle-bare");
  Started shape(sameWay, L"idle-same");
  for (Started* started : {&app, &floor, &shape})
    started->until([&] { return started->window() && IsWindowVisible(started->window()); });
  // Idle as on a desk: the mouse away from the windows. Under Wine, a mouse resting on any button
  // costs its program time: Wine polls to see it leave.
  SetCursorPos(0, 0);
  std::this_thread::sleep_for(std::chrono::seconds(5));  // past start-up
  const std::wstring appProc = app.linuxFolder(), floorProc = floor.linuxFolder();
  const size_t appBytes = linuxAnonymousBytes(appProc);
  const size_t shapeBytes = linuxAnonymousBytes(shape.linuxFolder());
  const double appStart = linuxCpuSeconds(appProc), floorStart = linuxCpuSeconds(floorProc);
  std::this_thread::sleep_for(std::chrono::seconds(60));
  const double appCpu = linuxCpuSeconds(appProc) - appStart;
  const double floorCpu = linuxCpuSeconds(floorProc) - floorStart;
  // Put away into the tray, however a window gets minimised.
  ShowWindow(app.window(), SW_MINIMIZE);
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const size_t hiddenBytes = linuxAnonymousBytes(appProc);
  std::printf(
      "| Idle under Wine: CPU seconds over 60 s, window shown | %.2f s | bare Win32 window "
      "with the same two timers: %.2f s | %.2f |\n",
      appCpu, floorCpu, floorCpu > 0 ? appCpu / floorCpu : 0.0);
  const auto mb = [](size_t bytes) { return static_cast<double>(bytes) / 1048576.0; };
  std::printf(
      "| Private (anonymous) memory under Wine, 5 s after start-up | %.1f MB | bare window made "
      "the same way: %.1f MB | %+.1f MB |\n",
      mb(appBytes), mb(shapeBytes), mb(appBytes) - mb(shapeBytes));
  std::printf(
      "| The same, 5 s after the window is put away into the tray | %.1f MB | the same bare "
      "window, shown: %.1f MB | %+.1f MB |\n",
      mb(hiddenBytes), mb(shapeBytes), mb(hiddenBytes) - mb(shapeBytes));
}

// A start straight into the tray, as at logon: until its icon is there, against the bare window's
// time to its first frame; its memory once settled, against the bare window made the same way
// and never shown; and the first restore, from the icon's click until the window is shown with
// its figures and painted.
void trayStart(const fs::path& tarnwick, const fs::path& sameWay) {
  std::vector<double> icon, floor, restore;
  size_t bytes = 0, floorBytes = 0;
  for (int i = 0; i < kRounds; ++i) {
    {
      Started app(tarnwick, L"tray", "", SW_SHOWMINNOACTIVE);
      HWND events = nullptr;
      icon.push_back(app.until([&] {
        events = e2e::findWindowOf(app.pid(), tarnwick::win32::kEventsClass);
        return events && e2e::trayIcon(events);
      }));
      if (i == 0) {
        std::this_thread::sleep_for(std::chrono::seconds(5));
        bytes = linuxAnonymousBytes(app.linuxFolder());
      }
      const HWND window = e2e::findWindowOf(app.pid(), L"TarnwickMain");
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const auto clicked = Clock::now();
      PostMessageW(events, tarnwick::win32::kTrayCallbackMessage, 0, WM_LBUTTONUP);
      const auto shown = [&] {
        return IsWindowVisible(window) &&
               e2e::text(GetDlgItem(window, tarnwick::kIdFreeRam)).find(L" MB") !=
                   std::wstring::npos &&
               !GetUpdateRect(window, nullptr, FALSE);
      };
      while (!shown() && Clock::now() - clicked < std::chrono::seconds(10)) Sleep(1);
      restore.push_back(std::chrono::duration<double>(Clock::now() - clicked).count());
    }
    floor.push_back(startAndExit(sameWay).start);
  }
  {
    Started hidden(sameWay, L"tray-bare", "", -1, L"hidden");
    hidden.until([&] { return hidden.window() != nullptr; });
    std::this_thread::sleep_for(std::chrono::seconds(5));
    floorBytes = linuxAnonymousBytes(hidden.linuxFolder());
  }
  std::printf(
      "| Start straight into the tray under Wine (SW_SHOWMINNOACTIVE), process start until its "
      "icon is there (median of %d) | %.0f ms | bare window made the same way, until shown: "
      "%.0f ms | %.2f |\n",
      kRounds, median(icon) * 1000, median(floor) * 1000, median(icon) / median(floor));
  const auto mb = [](size_t n) { return static_cast<double>(n) / 1048576.0; };
  std::printf(
      "| Private memory under Wine of a start straight into the tray, 5 s after its start | "
      "%.1f MB | the same bare window, never shown: %.1f MB | %+.1f MB |\n",
      mb(bytes), mb(floorBytes), mb(bytes) - mb(floorBytes));
  std::printf(
      "| First restore from a start into the tray, the icon's click until the window is shown, "
      "with its figures, and painted (median of %d) | %.0f ms | | |\n",
      kRounds, median(restore) * 1000);
}

// One optimisation of 2,575 blocks on a faked 3000 MB machine with 2500 MB free at "Moderate",
// from the click until the bar is back at 0, against bare loops in this process claiming the
// same blocks: one that makes the run's calls per block (the memory status, the bar's position
// and a pass of the message pump), and one that only claims them. Seconds for each.
constexpr int kRunBlocks = 2575;

double exeRun(const fs::path& tarnwick) {
  e2e::SmallMachine machine(3000, 2500);
  Started app(tarnwick, L"run", "1\r\n0\r\n20\r\n0\r\n2\r\n1\r\n0");
  const auto control = [&](int id) { return GetDlgItem(app.window(), id); };
  app.until([&] { return e2e::text(control(tarnwick::kIdFreeRam)) == L"2500 MB"; });
  e2e::activate(app.window());
  const HWND bar = control(tarnwick::kIdProgress);
  const auto position = [&] { return SendMessageW(bar, PBM_GETPOS, 0, 0); };
  const auto start = Clock::now();
  e2e::click(control(tarnwick::kIdOptimizeNow));
  e2e::waitFor([&] { return position() > 0; }, std::chrono::seconds(60));
  while (position() != 0) Sleep(20);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double bareRun(bool sameCalls) {
  const HWND window = CreateWindowExW(0, L"Static", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 420, 60,
                                      nullptr, nullptr, nullptr, nullptr);
  const HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 6, 20, 400, 17,
                                   window, nullptr, nullptr, nullptr);
  SendMessageW(bar, PBM_SETRANGE32, 0, kRunBlocks);
  const auto start = Clock::now();
  {
    std::vector<std::u16string> blocks(kRunBlocks + 1);
    for (int i = 0; i < kRunBlocks; ++i) {
      blocks[i] = std::u16string(1000000, u' ');
      if (!sameCalls) continue;
      MEMORYSTATUSEX status{};
      status.dwLength = sizeof status;
      GlobalMemoryStatusEx(&status);
      SendMessageW(bar, PBM_SETPOS, i + 1, 0);
      UpdateWindow(bar);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  DestroyWindow(window);
  return seconds;
}

void optimiserRun(const fs::path& tarnwick) {
  std::vector<double> exe, same, bare;
  for (int i = 0; i < 3; ++i) {
    exe.push_back(exeRun(tarnwick));
    same.push_back(bareRun(true));
    bare.push_back(bareRun(false));
  }
  const double ms = median(exe) * 1000 / kRunBlocks;
  std::printf(
      "| Optimisation under Wine, 2,575 blocks, click until the bar is back at 0 (median of "
      "3) | %.2f ms per block | bare Win32 loop making the same calls per block: %.2f ms "
      "| %.2f |\n",
      ms, median(same) * 1000 / kRunBlocks, median(exe) / median(same));
  std::printf(
      "| The same optimisation | %.2f ms per block | bare loop claiming the same blocks: "
      "%.2f ms | %.2f |\n",
      ms, median(bare) * 1000 / kRunBlocks, median(exe) / median(bare));
}

void listPass() {
  tarnwick::win32::Win32Platform platform(GetModuleHandleW(nullptr));
  tarnwick::frmMain form(platform);
  form.ListProcesses(true);  // warm up
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  constexpr int kPasses = 100;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kPasses; ++i) form.ListProcesses(true);
  QueryPerformanceCounter(&end);
  const int processes = form.lstProcessList.listCount();
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
  std::printf(
      "| One process-list pass, Win32 under Wine, %d processes | %.1f us per process | | |\n",
      processes, processes ? seconds / kPasses / processes * 1e6 : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path tarnwick = e2e::exePath(), timers = besideThis(L"bare_timers.exe"),
                 sameWay = besideThis(L"bare_window.exe");
  const auto wanted = [&](const char* name) { return argc < 2 || std::strstr(argv[1], name); };
  if (wanted("list")) listPass();
  if (wanted("optimiser")) optimiserRun(tarnwick);
  if (wanted("start-up")) startUpAndExit(tarnwick, sameWay);
  if (wanted("idle")) idleAndFootprint(tarnwick, timers, sameWay);
  if (wanted("tray")) trayStart(tarnwick, sameWay);
  return 0;
}
