// Window calls, the tray icon, the popup menu, the shell, the registry and the single
// instance, on the wide API.
#include <windows.h>
// Must follow <windows.h>.
#include <shellapi.h>

#include <vector>

#include "platform/win32/about_window.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

bool Win32Platform::releaseCapture() {
  return ReleaseCapture();
}

intptr_t Win32Platform::sendMessage(OsHandle target, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  return SendMessageW(as<HWND>(target), message, wParam, lParam);
}

bool Win32Platform::setWindowPos(OsHandle target, OsHandle insertAfter, int x, int y, int cx,
                                 int cy, uint32_t flags) {
  return SetWindowPos(as<HWND>(target), as<HWND>(insertAfter), x, y, cx, cy, flags);
}

void Win32Platform::activateWindow(OsHandle target) {
  SetForegroundWindow(as<HWND>(target));
  SetFocus(as<HWND>(target));
}

int Win32Platform::popupMenu(OsHandle owner, const std::vector<std::string>& captions) {
  const HMENU menu = CreatePopupMenu();
  if (!menu) return -1;
  for (size_t i = 0; i < captions.size(); ++i) {
    if (captions[i] == "-")
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu, MF_STRING, i + 1, widen(captions[i]).c_str());
  }
  POINT at;
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(as<HWND>(owner));
  const int chosen =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, as<HWND>(owner), nullptr);
  PostMessageW(as<HWND>(owner), WM_NULL, 0, 0);
  DestroyMenu(menu);
  return chosen - 1;
}

void Win32Platform::showModal(frmAbout& dialog, OsHandle owner) {
  AboutWindow about(instance_, dialog, icon_);
  about.runModal(as<HWND>(owner));
}

bool Win32Platform::shellNotifyIcon(uint32_t message, const NotifyIconData& data) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = as<HWND>(data.hWnd);
  nid.uID = data.uID;
  nid.uFlags = data.uFlags;
  nid.uCallbackMessage = data.uCallbackMessage;
  nid.hIcon = reinterpret_cast<HICON>(data.hIcon);
  // The tip ends at its zero character; the padding after it is not shown.
  const std::wstring tip = widen(data.szTip.substr(0, data.szTip.find('\0')));
  lstrcpynW(nid.szTip, tip.c_str(), static_cast<int>(std::size(nid.szTip)));
  return Shell_NotifyIconW(message, &nid);
}

bool Win32Platform::shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 int show) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(as<HWND>(parent), widen(verb).c_str(), widen(file).c_str(),
                    parameters.empty() ? nullptr : widen(parameters).c_str(),
                    directory.empty() ? nullptr : widen(directory).c_str(), show));
  return result > 32;
}

bool Win32Platform::startProgram(const std::string& path) {
  const std::wstring program = widen(path);
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Win32Platform::anotherInstanceRunning() {
  // Held until the process ends; a second start finds it and leaves.
  instanceMutex_.reset(CreateMutexW(nullptr, FALSE, L"Local\\Tarnwick Demo single instance"));
  return instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

void Win32Platform::endProgram() {
  ExitProcess(0);
}

ShellApi::Version Win32Platform::programVersion() {
  wchar_t path[MAX_PATH * 4];
  if (!GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)))) return {};
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (!size) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
    return {};
  return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
          HIWORD(info->dwFileVersionLS)};
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
