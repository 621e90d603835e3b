// Processes, priorities and the windows that own them; paths through the wide API.
#include <windows.h>
// Must follow <windows.h>.
#include <tlhelp32.h>
#include <psapi.h>

#include <vector>

#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

namespace {

bool fillEntry(BOOL found, const PROCESSENTRY32W& native, ProcessEntry& entry) {
  if (!found) return false;
  // The whole zero-padded field, as the record holds it.
  entry.szExeFile = narrow(std::wstring_view(native.szExeFile, MAX_PATH));
  return true;
}

}  // namespace

uint32_t Win32Platform::getVersionPlatformId() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  return version.dwPlatformId;
}

OsHandle Win32Platform::createToolhelp32Snapshot(uint32_t flags, uint32_t processId) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(flags, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return OsHandle{0};
  return reinterpret_cast<OsHandle>(snapshot);
}

bool Win32Platform::process32First(OsHandle snapshot, ProcessEntry& entry) {
  PROCESSENTRY32W native{};
  native.dwSize = sizeof native;
  return fillEntry(Process32FirstW(as<HANDLE>(snapshot), &native), native, entry);
}

bool Win32Platform::process32Next(OsHandle snapshot, ProcessEntry& entry) {
  PROCESSENTRY32W native{};
  native.dwSize = sizeof native;
  return fillEntry(Process32NextW(as<HANDLE>(snapshot), &native), native, entry);
}

bool Win32Platform::enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) {
  DWORD written = 0;
  const BOOL ok = EnumProcesses(reinterpret_cast<DWORD*>(ids), cb, &written);
  if (ok) *needed = written;
  return ok;
}

std::optional<std::string> Win32Platform::queryFullProcessImageName(OsHandle process) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(as<HANDLE>(process), 0, path.data(), &size))
      return narrow(std::wstring_view(path.data(), size));
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return std::nullopt;
    path.resize(path.size() * 2);
  }
}

OsHandle Win32Platform::openProcess(uint32_t access, bool inherit, uint32_t processId) {
  return reinterpret_cast<OsHandle>(OpenProcess(access, inherit, processId));
}

uint32_t Win32Platform::getPriorityClass(OsHandle process) {
  return GetPriorityClass(as<HANDLE>(process));
}

bool Win32Platform::setPriorityClass(OsHandle process, uint32_t priorityClass) {
  return SetPriorityClass(as<HANDLE>(process), priorityClass);
}

bool Win32Platform::closeHandle(OsHandle value) {
  return CloseHandle(as<HANDLE>(value));
}

OsHandle Win32Platform::getForegroundWindow() {
  return reinterpret_cast<OsHandle>(GetForegroundWindow());
}

uint32_t Win32Platform::getWindowThreadProcessId(OsHandle value, uint32_t* processId) {
  DWORD pid = 0;
  const DWORD thread = GetWindowThreadProcessId(as<HWND>(value), &pid);
  *processId = pid;
  return thread;
}

std::string Win32Platform::getClassName(OsHandle window) {
  wchar_t name[256];
  const int length = GetClassNameW(as<HWND>(window), name, 256);
  return narrow(std::wstring_view(name, static_cast<size_t>(length > 0 ? length : 0)));
}

OsHandle Win32Platform::findChildWindow(OsHandle parent, const std::string& className) {
  return reinterpret_cast<OsHandle>(
      FindWindowExW(as<HWND>(parent), nullptr, widen(className).c_str(), nullptr));
}

}  // namespace tarnwick::win32
