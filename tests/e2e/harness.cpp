#include "harness.h"

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace e2e {
namespace fs = std::filesystem;

namespace {
fs::path fromEnv(const wchar_t* name, const fs::path& fallback) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? fs::path(buffer) : fallback;
}
}  // namespace

fs::path exePath() {
  return fromEnv(L"TARNWICK_EXE", L"Tarnwick.exe");
}
fs::path outputDir() {
  return fromEnv(L"TARNWICK_E2E_OUT", fs::temp_directory_path());
}

App::App(const std::wstring& suffix) {
  static std::atomic<int> counter{0};
  folder_ = fs::temp_directory_path() / (L"tarnwick-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(counter++) + suffix);
  fs::remove_all(folder_);
  fs::create_directories(folder_);
}

App::~App() {
  if (process_.hProcess) {
    if (running()) close(std::chrono::seconds(5));
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

void App::launch() {
  const fs::path exe = folder_ / L"Tarnwick.exe";
  fs::copy_file(exePath(), exe, fs::copy_options::overwrite_existing);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &process_))
    throw std::runtime_error("cannot start Tarnwick.exe");
}

void App::start() {
  launch();
  waitFor([&] {
    window_ = findWindowOf(process_.dwProcessId, L"TarnwickMain");
    return window_ && IsWindowVisible(window_);
  });
}

bool App::startAndWaitForExit(std::chrono::milliseconds timeout) {
  launch();
  return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) ==
         WAIT_OBJECT_0;
}

HWND App::control(int id) const {
  if (const HWND direct = GetDlgItem(window_, id)) return direct;
  for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (const HWND inner = GetDlgItem(child, id)) return inner;
  return nullptr;
}

void SmallMachine::set(unsigned totalMb, unsigned freeMb) {
  const fs::path file = fromEnv(L"TARNWICK_MEMINFO", L"");
  if (file.empty()) throw std::runtime_error("TARNWICK_MEMINFO is not set");
  const auto kb = [](unsigned mb) { return std::to_string(mb * 1024ull); };
  writeFile(file, "MemTotal:       " + kb(totalMb) + " kB\nMemFree:        " + kb(freeMb) +
                      " kB\nMemAvailable:   " + kb(freeMb) +
                      " kB\nBuffers:               0 kB\nCached:                0 kB\n"
                      "SwapCached:            0 kB\nSwapTotal:             0 kB\n"
                      "SwapFree:              0 kB\n");
}

bool App::running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::close(std::chrono::milliseconds timeout) {
  if (!running()) return true;
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0)
    return true;
  TerminateProcess(process_.hProcess, 1);
  WaitForSingleObject(process_.hProcess, 5000);
  return false;
}

Helper::Helper() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --helper";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_))
    throw std::runtime_error("cannot start the helper");
  waitFor([&] { return (window_ = findWindowOf(process_.dwProcessId, L"TarnwickE2EHelper")); });
}

Helper::~Helper() {
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
    TerminateProcess(process_.hProcess, 1);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

DWORD priorityClassOf(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return 0;
  const DWORD priority = GetPriorityClass(process);
  CloseHandle(process);
  return priority;
}

DWORD foregroundProcess() {
  DWORD pid = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &pid);
  return pid;
}

HWND findWindowOf(DWORD pid, const wchar_t* cls) {
  struct Search {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
  } search{pid, cls, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s.pid && className(window) == s.cls) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

std::string readFile(const fs::path& file) {
  const HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return "<missing>";
  // To the end, not to the reported size: files under /proc report none.
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(in, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(in);
  return bytes;
}

void writeFile(const fs::path& file, const std::string& bytes) {
  const HANDLE out =
      CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a test file");
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(out);
}

std::wstring linuxProcessFolder(const std::wstring& needle) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + entry.cFileName;
    const std::string commandLine = readFile(dir + L"\\cmdline");
    const std::wstring wide(commandLine.begin(), commandLine.end());
    if (wide.find(needle) != std::wstring::npos) found = dir;
  } while (found.empty() && FindNextFileW(find, &entry));
  FindClose(find);
  return found;
}

size_t linuxAnonymousBytes(const std::wstring& procFolder) {
  const std::string status = readFile(procFolder + L"\\status");
  const size_t at = status.find("RssAnon:");
  return at == std::string::npos ? 0 : std::stoull(status.substr(at + 8)) * 1024;
}

double linuxCpuSeconds(const std::wstring& procFolder) {
  const std::string stat = readFile(procFolder + L"\\stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  // After the command's name: state, then fields 4 to 13, then utime and stime in ticks.
  size_t at = close + 2;
  for (int field = 3; field < 14; ++field) at = stat.find(' ', at) + 1;
  const unsigned long long user = std::stoull(stat.substr(at));
  const unsigned long long system = std::stoull(stat.substr(stat.find(' ', at) + 1));
  return static_cast<double>(user + system) / 100.0;  // USER_HZ
}

std::wstring text(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring s(static_cast<size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(copied));
  return s;
}

std::wstring childTexts(HWND window) {
  std::wstring all;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto& out = *reinterpret_cast<std::wstring*>(param);
        out += text(child) + L"\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

void click(HWND control) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

std::wstring className(HWND window) {
  wchar_t buffer[256];
  const int n = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

RECT rectInParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool saveScreenshot(HWND window, const fs::path& file) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = ((width * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
  fs::create_directories(file.parent_path());
  const HANDLE out =
      CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written;
  const bool ok =
      WriteFile(out, &header, sizeof header, &written, nullptr) &&
      WriteFile(out, &info, sizeof info, &written, nullptr) &&
      WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  CloseHandle(out);
  return ok;
}

}  // namespace e2e
