// Starts the real Tarnwick.exe from a fresh folder and reads its window through ordinary
// window messages, as any other program could.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace e2e {

// The exe under test and the folder for screenshots, from the environment the runner sets.
std::filesystem::path exePath();
std::filesystem::path outputDir();

// The memory the small machine reports, for one scope; back to 2048 MB / 1024 MB afterwards.
class SmallMachine {
 public:
  SmallMachine(unsigned totalMb, unsigned freeMb) { set(totalMb, freeMb); }
  ~SmallMachine() { set(2048, 1024); }
  SmallMachine(const SmallMachine&) = delete;
  SmallMachine& operator=(const SmallMachine&) = delete;
  static void set(unsigned totalMb, unsigned freeMb);
};

class App {
 public:
  // A fresh empty folder, its name ending in `suffix`; not yet started.
  explicit App(const std::wstring& suffix = L"");
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  void start();
  // Starts it and waits for it to end by itself; false if it is still running after `timeout`.
  bool startAndWaitForExit(std::chrono::milliseconds timeout);
  HWND mainWindow() const { return window_; }
  HWND control(int id) const;  // a control of the main window, in a container or not
  DWORD pid() const { return process_.dwProcessId; }
  bool running() const;
  // Asks the window to close and waits for the process to end; false if it had to be killed.
  bool close(std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  void launch();  // copies the exe into the folder and starts it there
  std::filesystem::path folder_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The driver started again with --helper: a process with a window of its own.
class Helper {
 public:
  Helper();
  ~Helper();
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  DWORD pid() const { return process_.dwProcessId; }
  HWND window() const { return window_; }
  void comeToFront() const { PostMessageW(window_, WM_APP, 0, 0); }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The priority class of a process, or 0 if it cannot be read.
DWORD priorityClassOf(DWORD pid);
DWORD foregroundProcess();

HWND findWindowOf(DWORD pid, const wchar_t* className);
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// Under Wine a process is also a Linux process, whose command line is the exe's Windows
// path: its /proc folder (as a Z: path) for the first one whose command line holds `needle`.
std::wstring linuxProcessFolder(const std::wstring& needle);
// Figures Wine leaves at zero, read from Linux instead: anonymous memory in bytes, and user
// plus system CPU time in seconds.
size_t linuxAnonymousBytes(const std::wstring& procFolder);
double linuxCpuSeconds(const std::wstring& procFolder);

std::wstring text(HWND window);
// Every text of a window's child controls, joined by newlines (a message box's text, say).
std::wstring childTexts(HWND window);
void click(HWND control);  // a left click in the control's top left corner
std::wstring className(HWND window);
// The control's rectangle in its parent's client coordinates, in pixels.
RECT rectInParent(HWND control);
// Saves what the screen shows of the window as a 24-bit BMP.
bool saveScreenshot(HWND window, const std::filesystem::path& file);

}  // namespace e2e
