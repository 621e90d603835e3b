// Starts the real Tarnwick.exe from a fresh folder and reads its window through ordinary
// window messages, as any other program could.
#pragma once

#include <windows.h>
// After <windows.h>.
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/layout.h"
#include "platform/platform.h"
#include "platform/win32/messages.h"

namespace e2e {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

inline fs::path fromEnv(const wchar_t* name, const fs::path& fallback) {
  return _wgetenv(name) ? fs::path(_wgetenv(name)) : fallback;
}
// The exe under test, from the environment the runner sets.
inline fs::path exePath() {
  return fromEnv(L"TARNWICK_EXE", L"Tarnwick.exe");
}

inline std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);  // to the end: files under /proc report no size
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}
inline void writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// Waits, handling this thread's messages meanwhile; false if `condition` never held.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s,
                    std::chrono::milliseconds poll = 50ms) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::this_thread::sleep_for(poll);
  }
  return true;
}

// The process's first window of that class on the screen, or its first one below `after`.
inline HWND findWindowOf(DWORD pid, const wchar_t* cls, HWND after = nullptr) {
  for (HWND w = after; (w = FindWindowExW(nullptr, w, cls, nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

inline std::wstring text(HWND window) {
  std::wstring s(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  s.resize(static_cast<size_t>(
      SendMessageW(window, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()))));
  return s;
}
// Real input, through the system's queue as a user's: a message posted to a control would skip
// the control's own handling of it, where re-entrancy faults live. Windows takes none where the
// session has no input desktop (locked, or a service's): said plainly, not left to time out.
inline void send(std::vector<INPUT> inputs) {
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    throw std::runtime_error("SendInput took no input (error " + std::to_string(GetLastError()) +
                             "): this session has no input desktop");
}
inline INPUT mouse(DWORD flags) {
  INPUT in{INPUT_MOUSE, {}};
  in.mi.dwFlags = flags;
  return in;
}
inline INPUT key(WORD vk, bool up = false) {
  INPUT in{INPUT_KEYBOARD, {}};
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}
// Presses and releases each key in turn; `held` stays down meanwhile (VK_MENU for Alt+...).
inline void keys(std::initializer_list<WORD> vks, WORD held = 0) {
  std::vector<INPUT> in;
  if (held) in.push_back(key(held));
  for (WORD vk : vks) in.insert(in.end(), {key(vk), key(vk, true)});
  if (held) in.push_back(key(held, true));
  send(in);
  std::this_thread::sleep_for(100ms);
}
// Moves the mouse to `at` pixels inside the control (its top left corner by default).
inline void pointAt(HWND control, POINT at = {4, 4}) {
  MapWindowPoints(control, nullptr, &at, 1);
  INPUT move = mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
  move.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  move.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  send({move});
  std::this_thread::sleep_for(50ms);
}
// A left click there: button down and up in one go, as a touchpad's tap gives them.
inline void click(HWND control, POINT at = {4, 4}) {
  pointAt(control, at);
  send({mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP)});
  std::this_thread::sleep_for(100ms);
}

// Windows lets a process bring a window forward only after the user's input went to it: as a
// user does, a click on the window (at a spot of its own background) makes it the active one.
inline void activate(HWND window, POINT at = {8, 300}) {
  click(window, at);
}
// What the shell does when the user clicks a program's icon: it lets the program come forward.
// The driver makes itself the foreground process first, with a click on a window of its own.
inline void allowForeground(HWND programWindow) {
  DWORD pid = 0, inFront = 0;
  GetWindowThreadProcessId(programWindow, &pid);
  GetWindowThreadProcessId(GetForegroundWindow(), &inFront);
  if (inFront == pid) return;  // in front already: it may bring up what it likes
  // A button: a static control lets clicks through to what lies under it.
  static HWND own = nullptr;
  if (!own)
    own = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Button", L"driver",
                          WS_POPUP | WS_VISIBLE, 0, 0, 24, 24, nullptr, nullptr, nullptr, nullptr);
  click(own);
  waitFor([] { return GetForegroundWindow() == own; }, 3s, 5ms);
  AllowSetForegroundWindow(pid);
}

// The control that has the keyboard focus in the program's window.
inline HWND focused(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// What a screen reader hears a control called, read as screen readers do (MinGW links the
// interface's name to a thunk, so its identifier is spelled out).
inline std::wstring accessibleName(HWND control) {
  static const GUID accessible{
      0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  CoInitialize(nullptr);
  IAccessible* object = nullptr;
  std::wstring name = L"<none>";
  if (SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, accessible,
                                           reinterpret_cast<void**>(&object)))) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK && text) name = text;
    SysFreeString(text);
    object->Release();
  }
  return name;
}

// The program's own window for the shell's messages (the icon's events, its restart), hidden.
inline HWND eventsOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return window ? findWindowOf(pid, tarnwick::win32::kEventsClass) : nullptr;
}
// The program's tray icon as the shell holds it: NIM_MODIFY asks whether it is there, NIM_DELETE
// takes it away as a shell that ends does. `events`: the program's own window, eventsOf().
inline bool trayIcon(HWND events, DWORD message = NIM_MODIFY) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = events;
  icon.uID = 1;
  return events && Shell_NotifyIconW(message, &icon) != FALSE;
}
// The icon's event as the shell reports it (version 4: the event in the low word, where in
// wParam).
inline void trayEvent(HWND window, LPARAM event, WPARAM at = 0) {
  PostMessageW(eventsOf(window), tarnwick::win32::kTrayCallbackMessage, at, event);
}
// A click on the tray icon; true once the window is back.
inline bool restoreFromTray(HWND window) {
  allowForeground(window);
  trayEvent(window, WM_LBUTTONUP);
  return waitFor([&] { return IsWindowVisible(window) && !IsIconic(window); });
}
// The tray menu, opened as the shell asks for it: by a right click unless another `event` (and
// the icon's place, `at`) is given. Null if no menu shows.
inline HWND openTrayMenu(HWND window, LPARAM event = MAKELPARAM(WM_CONTEXTMENU, 1), WPARAM at = 0) {
  allowForeground(window);
  trayEvent(window, event, at);
  HWND menu = nullptr;
  waitFor([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }, 5s, 1ms);
  return IsWindowVisible(menu) ? menu : nullptr;
}
// A change of the window's pixel density as the system announces it, with the rectangle it
// suggests put where the program can read it: in its own memory.
inline void changeDpi(HWND window, UINT dpi, RECT suggested) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  void* there = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
  WriteProcessMemory(process, there, &suggested, sizeof suggested, nullptr);
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(there));
  VirtualFreeEx(process, there, 0, MEM_RELEASE);
  CloseHandle(process);
}
// The session's end as Windows announces it (with ENDSESSION_CLOSEAPP, an installer closing the
// program); whether both messages were answered within 10 s each.
inline bool endSession(HWND window, LPARAM how) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, how, SMTO_NORMAL, 10000, &answer) &&
         SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, how, SMTO_NORMAL, 10000, &answer);
}

// The faked small machine (scripts/small-machine), where the run made one. Elsewhere the memory
// is the machine's own, which no test may claim or read figures from: a test that needs it
// skips itself there, saying why.
#define E2E_NEEDS_SMALL_MACHINE()     \
  if (!_wgetenv(L"TARNWICK_MEMINFO")) \
  GTEST_SKIP() << "needs the faked small machine (TARNWICK_MEMINFO); this one's memory is real"

// The memory the small machine reports, for one scope; back to 2048 MB / 1024 MB afterwards.
struct SmallMachine {
  SmallMachine(unsigned totalMb, unsigned freeMb) { set(totalMb, freeMb); }
  ~SmallMachine() { set(2048, 1024); }
  static void set(unsigned totalMb, unsigned freeMb) {
    const auto kb = [](unsigned mb) { return std::to_string(mb * 1024ull) + " kB\n"; };
    writeFile(
        fromEnv(L"TARNWICK_MEMINFO", L"meminfo"),
        "MemTotal: " + kb(totalMb) + "MemFree: " + kb(freeMb) + "MemAvailable: " + kb(freeMb));
  }
};

// A registry value for one scope, what was there before put back afterwards: the session may be
// a real user's (a CI runner's) and not a fresh Wine prefix.
struct RegistryValue {
  RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                const void* data, DWORD size)
      : root(root), key(key), name(name) {
    had = RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY, &oldType, old, &oldSize) ==
          ERROR_SUCCESS;
    RegSetKeyValueW(root, key.c_str(), name.c_str(), type, data, size);
  }
  RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                const std::wstring& text)
      : RegistryValue(root, key, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) {}
  ~RegistryValue() {
    if (had)
      RegSetKeyValueW(root, key.c_str(), name.c_str(), oldType, old, oldSize);
    else
      RegDeleteKeyValueW(root, key.c_str(), name.c_str());
  }
  HKEY root;
  std::wstring key, name;
  BYTE old[512] = {};
  DWORD oldType = 0, oldSize = sizeof old;
  bool had = false;
};

// The user's decimal separator for one scope, through the call Windows documents for it (which
// also tells programs started later), the old one put back afterwards.
struct DecimalSeparator {
  explicit DecimalSeparator(const wchar_t* separator) {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old, 8);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator);
  }
  ~DecimalSeparator() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old); }
  wchar_t old[8] = {};
};

class App {
 public:
  // The exe as it lies in `folder`, which stays as it is; not yet started.
  struct InPlace {};
  App(InPlace, const fs::path& folder) : folder_(folder), own_(false) {}
  // A fresh folder holding the exe, its name ending in `suffix`; not yet started.
  explicit App(const std::wstring& suffix = L"")
      : folder_(fs::temp_directory_path() /
                (L"tarnwick-e2e-" + std::to_wstring(counter++) + suffix)) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(exePath(), folder_ / L"Tarnwick.exe");
  }
  ~App() {
    close();
    std::error_code ignored;
    if (own_) fs::remove_all(folder_, ignored);
  }
  const fs::path& folder() const { return folder_; }
  fs::path settings() const { return folder_ / L"Settings.qkv"; }
  // Starts it, with the show state a shortcut or a scheduled task would ask for (none: none).
  void launch(int show = -1) {
    const fs::path exe = folder_ / L"Tarnwick.exe";
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = show < 0 ? 0 : STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show < 0 ? 0 : show);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder_.c_str(), &startup, &process_))
      throw std::runtime_error("cannot start Tarnwick.exe");
  }
  // Starts it and waits until its window shows; false if it never does within `timeout`.
  // Its icon, which comes right after the window, is awaited a moment too, so that Minimize finds
  // it there (a system without a notification area has none).
  bool start(std::chrono::milliseconds timeout = 10s) {
    launch();
    if (!waitFor([&] { return IsWindowVisible(window_ = findWindowOf(pid(), L"TarnwickMain")); },
                 timeout))
      return false;
    waitFor([&] { return trayIcon(eventsOf(window_)); }, 3s);
    activate(window_);  // in front, with the keyboard, as the user's click makes it
    return waitFor([&] { return GetForegroundWindow() == window_; }, 3s);
  }
  // Whether it ends by itself, and well, within `timeout`.
  bool exits(std::chrono::milliseconds timeout) const {
    DWORD code = 1;
    return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) == 0 &&
           GetExitCodeProcess(process_.hProcess, &code) && code == 0;
  }
  HWND window() const { return window_; }
  // How long after `from` (GetSystemTimeAsFileTime) the process ended, as the system recorded it.
  std::chrono::milliseconds endedAfter(const FILETIME& from) const {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process_.hProcess, &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {  // 100 ns each
      return static_cast<long long>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                    t.dwLowDateTime);
    };
    return std::chrono::milliseconds((ticks(ended) - ticks(from)) / 10000);
  }
  // A control of the main window, in a container or not.
  HWND control(int id) const {
    if (const HWND direct = GetDlgItem(window_, id)) return direct;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (const HWND inner = GetDlgItem(child, id)) return inner;
    return nullptr;
  }
  std::wstring text(int id) const { return e2e::text(control(id)); }
  bool checked(int id) const { return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // Presses the minimise hot spot; true once the window has gone into the tray.
  bool minimise() const {
    click(control(tarnwick::kIdCmdMinimize));
    return waitFor([&] { return !IsWindowVisible(window_); });
  }
  DWORD pid() const { return process_.dwProcessId; }
  DWORD priorityClass() const { return GetPriorityClass(process_.hProcess); }
  // Its first window of that class once there is one; null if none comes within 10 s.
  HWND await(const wchar_t* cls) const {
    HWND w = nullptr;
    waitFor([&] { return (w = findWindowOf(pid(), cls)) != nullptr; }, 10s, 1ms);
    return w;
  }
  bool running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
  }
  // Asks the window to close and waits for the process to end; false if it had to be killed
  // or did not end well.
  bool close() {
    if (!process_.hProcess) return false;
    const bool wasRunning = running();
    if (wasRunning) PostMessageW(findWindowOf(pid(), L"TarnwickMain"), WM_CLOSE, 0, 0);
    const bool endedWell = exits(10s) && wasRunning;
    TerminateProcess(process_.hProcess, 1);  // nothing once it has ended
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
    return endedWell;
  }

 private:
  static inline std::atomic<int> counter{0};
  fs::path folder_;
  bool own_ = true;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// What the screen shows of the window: width, height and rows of blue, green, red bytes.
struct Pixels {
  int width = 0, height = 0, stride = 0;
  std::vector<BYTE> bgr;
  BITMAPINFOHEADER info{sizeof info, 0, 0, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  explicit Pixels(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    width = r.right - r.left, height = r.bottom - r.top, stride = (width * 3 + 3) / 4 * 4;
    bgr.resize(static_cast<size_t>(stride) * height);
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    info.biWidth = width, info.biHeight = height;
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgr.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }
  // The largest difference in brightness (0..255) between two of its pixels.
  int contrast() const {
    int darkest = 255 * 3, brightest = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width * 3; x += 3) {
        const BYTE* px = &bgr[static_cast<size_t>(y) * stride + x];
        darkest = std::min(darkest, px[0] + px[1] + px[2]);
        brightest = std::max(brightest, px[0] + px[1] + px[2]);
      }
    return (brightest - darkest) / 3;
  }
  // Saved as a BMP file among the screenshots.
  void save(const std::wstring& name) const {
    BITMAPFILEHEADER header{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof info};
    header.bfSize = header.bfOffBits + static_cast<DWORD>(bgr.size());
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    const fs::path folder = fromEnv(L"TARNWICK_E2E_OUT", fs::temp_directory_path());
    fs::create_directories(folder);
    writeFile(folder / (name + L".bmp"), bytes.append(bgr.begin(), bgr.end()));
  }
};

}  // namespace e2e
