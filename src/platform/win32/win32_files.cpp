// Files, on the wide API so that any folder name works, and text as the user's system writes it.
#include <windows.h>
// After <windows.h>.
#include <shlobj.h>

#include <vector>

#include "platform/win32/scoped.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

namespace {

struct FindCloser {
  void operator()(HANDLE find) const noexcept {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
};

}  // namespace

std::string Win32Platform::exeFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const size_t slash = path.find_last_of(L"\\/");
      if (slash == std::wstring::npos) return {};
      // A root keeps its separator ("C:\"), as the system reports it.
      path.resize(slash == 2 && path[1] == L':' ? slash + 1 : slash);
      return narrow(path);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32Platform::localAppDataFolder() {
  // The shell's library, loaded only where the exe's folder cannot be written.
  using FolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  const auto folderPath = findCall<FolderPath>(L"shell32.dll", "SHGetFolderPathW");
  wchar_t folder[MAX_PATH];
  if (!folderPath ||
      FAILED(folderPath(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return narrow(folder);
}

// Tried, not read from the folder's rights: Program Files to a standard user, a read-only
// share or medium, a folder another program has locked down all refuse the same way.
bool Win32Platform::folderWritable(const std::string& folder) {
  // A name of this process and moment; its own digits, since the library's wide formatting
  // costs the exe some 10 KB.
  std::wstring probe = widen(folder) + L"\\~tarnwick-";
  for (uint64_t n = (uint64_t{GetCurrentProcessId()} << 32) ^ GetTickCount64(); n; n /= 16)
    probe += L"0123456789abcdef"[n % 16];
  probe += L".tmp";
  const Handle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.get() != INVALID_HANDLE_VALUE;
}

bool Win32Platform::createFolder(const std::string& folder) {
  const std::wstring path = widen(folder);
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Win32Platform::findOrdinaryFile(const std::string& path) {
  WIN32_FIND_DATAW data;
  const std::unique_ptr<void, FindCloser> find(FindFirstFileW(widen(path).c_str(), &data));
  if (find.get() == INVALID_HANDLE_VALUE) return false;
  return !(data.dwFileAttributes &
           (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY));
}

std::optional<uint32_t> Win32Platform::fileAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool Win32Platform::setFileAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(widen(path).c_str(), attributes);
}

bool Win32Platform::deleteFile(const std::string& path) {
  return DeleteFileW(widen(path).c_str());
}

// Nobody else has it open (the creation shares nothing), and closing the handle deletes it.
bool Win32Platform::deleteUnusedFile(const std::string& path) {
  const Handle file(CreateFileW(widen(path).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.get() != INVALID_HANDLE_VALUE;
}

bool Win32Platform::writeNewFile(const std::string& path, const std::string& bytes,
                                 bool mustBeNew) {
  const std::wstring name = widen(path);
  Handle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr,
                          mustBeNew ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  bool written = true;
  while (written && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    written = WriteFile(file.get(), bytes.data() + done, chunk, &chunk, nullptr) && chunk;
    done += chunk;
  }
  // On disk before the rename that puts it in place.
  if (written && FlushFileBuffers(file.get())) return true;
  file.reset();
  DeleteFileW(name.c_str());  // a write broken off part-way (a full disk): it was this call's
  return false;
}

std::optional<std::string> Win32Platform::readWholeFile(const std::string& path) {
  const Handle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1LL << 30)) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

uint32_t Win32Platform::replaceFile(const std::string& replacement, const std::string& replaced,
                                    const std::string& backup) {
  if (ReplaceFileW(widen(replaced).c_str(), widen(replacement).c_str(), widen(backup).c_str(),
                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return 0;
  return GetLastError();
}

uint32_t Win32Platform::moveFile(const std::string& from, const std::string& to, bool replace) {
  if (MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                  MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0)))
    return 0;
  return GetLastError();
}

std::vector<FoundFile> Win32Platform::findFiles(const std::string& folder,
                                                const std::string& prefix,
                                                const std::string& suffix) {
  const std::wstring start = widen(prefix), end = widen(suffix);
  std::vector<FoundFile> found;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {  // 100 ns each
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  WIN32_FIND_DATAW data;
  const std::unique_ptr<void, FindCloser> find(
      FindFirstFileExW(widen(folder + "\\" + prefix + "*" + suffix).c_str(), FindExInfoBasic, &data,
                       FindExSearchNameMatch, nullptr, 0));
  if (find.get() == INVALID_HANDLE_VALUE) return found;
  do {
    // The pattern also matches short names; only the real name counts.
    const std::wstring_view name = data.cFileName;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() >= start.size() &&
        name.size() >= end.size() && name.substr(0, start.size()) == start &&
        name.substr(name.size() - end.size()) == end) {
      const uint64_t written = ticks(data.ftLastWriteTime);
      found.push_back({folder + "\\" + narrow(name),
                       ticks(now) > written ? (ticks(now) - written) / 10000 : 0});
    }
  } while (FindNextFileW(find.get(), &data));
  return found;
}

std::string Win32Platform::ansiToUtf8(const std::string& ansi) {
  return narrow(widen(ansi, CP_ACP));
}

std::string Win32Platform::utf8ToAnsi(const std::string& utf8) {
  return narrow(widen(utf8), CP_ACP);
}

std::string Win32Platform::decimalSeparator() {
  wchar_t separator[8] = {};
  if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8)) return ".";
  return narrow(separator);
}

}  // namespace tarnwick::win32
