// Processes, priorities and the foreground window; paths through the wide API.
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

bool Win32Platform::enumProcessModules(OsHandle process, uintptr_t* modules, uint32_t cb,
                                       uint32_t* needed) {
  DWORD written = 0;
  const BOOL ok =
      EnumProcessModules(as<HANDLE>(process), reinterpret_cast<HMODULE*>(modules), cb, &written);
  *needed = written;
  return ok;
}

std::string Win32Platform::getModuleFileNameEx(OsHandle process, uintptr_t module,
                                               uint32_t capacity) {
  std::vector<wchar_t> buffer(capacity);
  const DWORD n = GetModuleFileNameExW(as<HANDLE>(process), reinterpret_cast<HMODULE>(module),
                                       buffer.data(), capacity);
  return narrow(std::wstring_view(buffer.data(), std::min<DWORD>(n, capacity)));
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

bool Win32Platform::lockWindowUpdate(OsHandle value) {
  return LockWindowUpdate(as<HWND>(value));
}

void Win32Platform::setListTabStops(OsHandle listBox, const std::vector<int32_t>& stops) {
  std::vector<INT> native(stops.begin(), stops.end());
  SendMessageW(as<HWND>(listBox), LB_SETTABSTOPS, native.size(),
               reinterpret_cast<LPARAM>(native.data()));
  // Kept with the list, so that it can scroll as far as the last column reaches.
  if (!native.empty())
    SetPropW(as<HWND>(listBox), kLastTabStopProperty,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(native.back())));
}

}  // namespace tarnwick::win32
