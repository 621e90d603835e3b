// Starts the real Tarnwick.exe from a fresh folder and reads its window through ordinary
// window messages, as any other program could.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace e2e {

using namespace std::chrono_literals;

// The exe under test and the folder for screenshots, from the environment the runner sets.
std::filesystem::path exePath();
std::filesystem::path outputDir();

// The memory the small machine reports, for one scope; back to 2048 MB / 1024 MB afterwards.
struct SmallMachine {
  SmallMachine(unsigned totalMb, unsigned freeMb) { set(totalMb, freeMb); }
  ~SmallMachine() { set(2048, 1024); }
  static void set(unsigned totalMb, unsigned freeMb);
};

// A registry value for one scope; what was there before comes back afterwards.
class RegistryValue {
 public:
  RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                const void* data, DWORD size);
  RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                const std::wstring& text);
  ~RegistryValue();

 private:
  HKEY root_;
  std::wstring key_, name_;
  std::optional<std::pair<DWORD, std::string>> before_;
};

class App {
 public:
  // A fresh folder holding the exe, its name ending in `suffix`; not yet started.
  explicit App(const std::wstring& suffix = L"");
  // A folder that holds the exe already, and is left as it is.
  explicit App(const std::filesystem::path& folder) : folder_(folder), owned_(false) {}
  ~App();
  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path settings() const { return folder_ / L"Settings.qkv"; }
  // Starts it and waits until its window shows; false if it never does within `timeout`.
  bool start(std::chrono::milliseconds timeout = 10s);
  void launch();
  // Starts it and waits for it to end by itself; false if it is still running after `timeout`.
  bool startAndWaitForExit(std::chrono::milliseconds timeout);
  HWND window() const { return window_; }
  // Presses the minimise hot spot; true once the window has gone into the tray.
  bool minimise() const;
  HWND control(int id) const;  // a control of the main window, in a container or not
  DWORD pid() const { return process_.dwProcessId; }
  bool running() const;
  // Asks the window to close and waits for the process to end; false if it had to be killed.
  bool close();

 private:
  std::filesystem::path folder_;
  bool owned_ = true;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

DWORD priorityClassOf(DWORD pid);  // 0 if it cannot be read
DWORD foregroundProcess();
HWND findWindowOf(DWORD pid, const wchar_t* className);
// Waits, handling this thread's messages meanwhile; false if `condition` never held.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

std::wstring text(HWND window);
// A message box's text.
inline std::wstring boxText(HWND box) {
  return text(GetDlgItem(box, 0xFFFF));
}
void click(HWND control);         // a left click near the control's top left corner
RECT rectInParent(HWND control);  // in pixels
// The largest difference in brightness (0..255) between two pixels the screen shows there.
int contrastIn(HWND window);
// Saves what the screen shows of the window as a 24-bit BMP.
bool saveScreenshot(HWND window, const std::wstring& name);

// What Wine leaves at zero, read from Linux instead: the /proc folder of the Linux process
// whose command line holds `needle`, and its anonymous memory in bytes.
std::wstring linuxProcessFolder(const std::wstring& needle);
size_t linuxAnonymousBytes(const std::wstring& procFolder);

}  // namespace e2e
