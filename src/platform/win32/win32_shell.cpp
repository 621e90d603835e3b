// The shell, the registry and the single instance, on the wide API.
#include <windows.h>
// Must follow <windows.h>.
#include <objbase.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "platform/win32/messages.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

bool Win32Platform::shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 int show) {
  // The shell may hand the address to a handler that needs COM on this thread; only now, so
  // that start-up does not pay for it.
  static const bool com = [] {
    const auto initialize =
        findCall<HRESULT(WINAPI*)(void*, DWORD)>(L"ole32.dll", "CoInitializeEx");
    return initialize &&
           SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  (void)com;
  const std::wstring wideVerb = widen(verb), wideFile = widen(file),
                     wideParameters = widen(parameters), wideDirectory = widen(directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = as<HWND>(parent);
  info.lpVerb = wideVerb.c_str();
  info.lpFile = wideFile.c_str();
  info.lpParameters = parameters.empty() ? nullptr : wideParameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : wideDirectory.c_str();
  info.nShow = show;
  using Execute = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  const auto execute = findCall<Execute>(L"shell32.dll", "ShellExecuteExW");
  return execute && execute(&info);
}

bool Win32Platform::startProgram(const std::string& path) {
  const std::wstring program = widen(path);
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // In its own folder, not in whatever folder this one was started in: a program looks for
  // libraries in its current folder too.
  const size_t slash = program.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : program.substr(0, slash);
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return false;
  const Handle thread(process.hThread), started(process.hProcess);
  return true;
}

std::string Win32Platform::systemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length && length < MAX_PATH ? narrow(std::wstring_view(folder, length)) : "";
}

std::string Win32Platform::expandEnvironmentStrings(const std::string& text) {
  const std::wstring wide = widen(text);
  std::wstring expanded(ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0), L'\0');
  if (expanded.empty()) return text;
  const DWORD length =
      ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
  if (!length || length > expanded.size()) return text;
  expanded.resize(length - 1);
  return narrow(expanded);
}

uint32_t Win32Platform::createInstanceObject() {
  // Held until the process ends; a second start finds it and leaves.
  SetLastError(0);
  instanceObject_.reset(CreateMutexW(nullptr, FALSE, L"Local\\Tarnwick Demo single instance"));
  return GetLastError();
}

void Win32Platform::showOtherInstance() {
  // This one's own window has the same class: the other one is the one to ask.
  for (HWND running = FindWindowExW(nullptr, nullptr, kEventsClass, nullptr); running;
       running = FindWindowExW(nullptr, running, kEventsClass, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    if (pid == GetCurrentProcessId()) continue;
    // This start came from the user, so it may hand the right to come to the front on.
    AllowSetForegroundWindow(pid);
    PostMessageW(running, showRequest_, 0, 0);
  }
}

// Through the program's own loop, which returns, and the process ends with every window of it
// closed by the system, no handler of theirs running again. A close can come from inside
// another loop (the tray menu's, a window move's, a control holding the mouse) that would go on
// waiting for the user and may swallow the quit: that loop is ended first, and the program's
// own loops stop by themselves.
void Win32Platform::endProgram() {
  endProgramLoops();
  EndMenu();
  if (main_) SendMessageW(main_, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  PostQuitMessage(0);
}

uint32_t Win32Platform::startupShowCommand() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
}

void Win32Platform::registerForRestart(uint32_t flags) {
  // No arguments: the program takes none.
  RegisterApplicationRestart(L"", flags);
}

// Read from the exe's own resource as it lies in memory: the library that reads version files
// is one a planted copy beside the exe could stand in for.
ShellApi::Version Win32Platform::programVersion() {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  const HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const auto* block = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  // The block's header and its key, "VS_VERSION_INFO", padded to 32 bits: 40 bytes.
  constexpr size_t kFixedAt = 40;
  VS_FIXEDFILEINFO info{};
  if (!block || SizeofResource(nullptr, found) < kFixedAt + sizeof info) return {};
  std::memcpy(&info, block + kFixedAt, sizeof info);
  if (info.dwSignature != VS_FFI_SIGNATURE) return {};
  return {HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS)};
}

OsHandle Win32Platform::regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(as<HKEY>(root), widen(subKey).c_str(), 0, access, &opened) != ERROR_SUCCESS)
    return 0;
  return reinterpret_cast<OsHandle>(opened);
}

bool Win32Platform::regQueryValueEx(OsHandle handle, const std::string& valueName, uint32_t* type,
                                    std::string* data, uint32_t* size) {
  std::vector<BYTE> buffer(static_cast<size_t>(*size) * sizeof(wchar_t));
  DWORD bytes = static_cast<DWORD>(buffer.size());
  DWORD valueType = 0;
  if (RegQueryValueExW(as<HKEY>(handle), widen(valueName).c_str(), nullptr, &valueType,
                       buffer.data(), &bytes) != ERROR_SUCCESS)
    return false;
  *type = valueType;
  std::string value;
  if (valueType == REG_SZ || valueType == REG_EXPAND_SZ) {
    const auto* text = reinterpret_cast<const wchar_t*>(buffer.data());
    value = narrow(std::wstring_view(text, bytes / sizeof(wchar_t)));
  } else {
    value.assign(reinterpret_cast<const char*>(buffer.data()), bytes);
  }
  if (value.size() > data->size()) return false;
  data->replace(0, value.size(), value);
  *size = static_cast<uint32_t>(value.size());
  return true;
}

bool Win32Platform::regCloseKey(OsHandle handle) {
  return handle && RegCloseKey(as<HKEY>(handle)) == ERROR_SUCCESS;
}

}  // namespace tarnwick::win32
