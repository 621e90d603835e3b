#include "harness.h"

#include "app/layout.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace e2e {
namespace fs = std::filesystem;

constexpr int kMinimizeId = tarnwick::kIdCmdMinimize;

namespace {

fs::path fromEnv(const wchar_t* name, const fs::path& fallback) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? fs::path(buffer) : fallback;
}

// What the screen shows of the window: width, height and rows of blue, green, red bytes.
struct Pixels {
  int width = 0, height = 0, stride = 0;
  std::vector<BYTE> bgr;
};
Pixels grab(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  Pixels p{r.right - r.left, r.bottom - r.top, ((r.right - r.left) * 3 + 3) / 4 * 4, {}};
  p.bgr.resize(static_cast<size_t>(p.stride) * p.height);
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, p.width, p.height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, p.width, p.height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{sizeof info, p.width, p.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(p.height), p.bgr.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return p;
}

}  // namespace

fs::path exePath() {
  return fromEnv(L"TARNWICK_EXE", L"Tarnwick.exe");
}
fs::path outputDir() {
  return fromEnv(L"TARNWICK_E2E_OUT", fs::temp_directory_path());
}

void SmallMachine::set(unsigned totalMb, unsigned freeMb) {
  const fs::path file = fromEnv(L"TARNWICK_MEMINFO", L"");
  if (file.empty()) throw std::runtime_error("TARNWICK_MEMINFO is not set");
  const auto kb = [](unsigned mb) { return std::to_string(mb * 1024ull) + " kB\n"; };
  writeFile(file, "MemTotal: " + kb(totalMb) + "MemFree: " + kb(freeMb) +
                      "MemAvailable: " + kb(freeMb) + "SwapTotal: 0 kB\nSwapFree: 0 kB\n");
}

RegistryValue::RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                             DWORD type, const void* data, DWORD size)
    : root_(root), key_(key), name_(name) {
  HKEY opened;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot open a registry key");
  DWORD oldType = 0, oldSize = 0;
  if (RegQueryValueExW(opened, name.c_str(), nullptr, &oldType, nullptr, &oldSize) ==
      ERROR_SUCCESS) {
    std::string old(oldSize, '\0');
    RegQueryValueExW(opened, name.c_str(), nullptr, &oldType, reinterpret_cast<BYTE*>(old.data()),
                     &oldSize);
    before_.emplace(oldType, old);
  }
  RegSetValueExW(opened, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(opened);
}

RegistryValue::RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                             const std::wstring& text)
    : RegistryValue(root, key, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) {}

RegistryValue::~RegistryValue() {
  if (before_)
    RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), before_->first, before_->second.data(),
                    static_cast<DWORD>(before_->second.size()));
  else
    RegDeleteKeyValueW(root_, key_.c_str(), name_.c_str());
}

App::App(const std::wstring& suffix) {
  static std::atomic<int> counter{0};
  folder_ = fs::temp_directory_path() / (L"tarnwick-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(counter++) + suffix);
  fs::remove_all(folder_);
  fs::create_directories(folder_);
  fs::copy_file(exePath(), folder_ / L"Tarnwick.exe");
}

App::~App() {
  close();
  std::error_code ignored;
  if (owned_) fs::remove_all(folder_, ignored);
}

void App::launch() {
  const fs::path exe = folder_ / L"Tarnwick.exe";
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &process_))
    throw std::runtime_error("cannot start Tarnwick.exe");
}

bool App::start(std::chrono::milliseconds timeout) {
  launch();
  return waitFor(
      [&] {
        window_ = findWindowOf(process_.dwProcessId, L"TarnwickMain");
        return window_ && IsWindowVisible(window_);
      },
      timeout);
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

bool App::minimise() const {
  click(control(kMinimizeId));
  return waitFor([&] { return !IsWindowVisible(window_); });
}

bool App::running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::close() {
  if (!process_.hProcess) return false;
  const bool wasRunning = running();
  if (wasRunning) PostMessageW(findWindowOf(pid(), L"TarnwickMain"), WM_CLOSE, 0, 0);
  DWORD code = 1;
  if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.hProcess, &code);
  else
    TerminateProcess(process_.hProcess, 1);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
  process_ = {};
  return wasRunning && code == 0;
}

DWORD priorityClassOf(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
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
  for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w;
       w = FindWindowExW(nullptr, w, cls, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);  // to the end: files under /proc report no size
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

void writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::wstring text(HWND window) {
  std::wstring s(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  s.resize(static_cast<size_t>(
      SendMessageW(window, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()))));
  return s;
}

void click(HWND control) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

RECT rectInParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int contrastIn(HWND window) {
  const Pixels p = grab(window);
  int darkest = 255 * 3, brightest = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const BYTE* px = &p.bgr[static_cast<size_t>(y) * p.stride + x * 3];
      const int sum = px[0] + px[1] + px[2];
      darkest = std::min(darkest, sum), brightest = std::max(brightest, sum);
    }
  }
  return (brightest - darkest) / 3;
}

bool saveScreenshot(HWND window, const std::wstring& name) {
  const Pixels p = grab(window);
  BITMAPINFOHEADER info{sizeof info, p.width, p.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER header{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof info};
  header.bfSize = header.bfOffBits + static_cast<DWORD>(p.bgr.size());
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(p.bgr.begin(), p.bgr.end());
  fs::create_directories(outputDir());
  writeFile(outputDir() / (name + L".bmp"), bytes);
  return p.width > 0;
}

std::wstring linuxProcessFolder(const std::wstring& needle) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + entry.cFileName;
    const std::string commandLine = readFile(dir + L"\\cmdline");
    if (std::wstring(commandLine.begin(), commandLine.end()).find(needle) != std::wstring::npos)
      found = dir;
  } while (found.empty() && FindNextFileW(find, &entry));
  FindClose(find);
  return found;
}

size_t linuxAnonymousBytes(const std::wstring& procFolder) {
  const std::string status = readFile(procFolder + L"\\status");
  const size_t at = status.find("RssAnon:");
  return at == std::string::npos ? 0 : std::stoull(status.substr(at + 8)) * 1024;
}

}  // namespace e2e
