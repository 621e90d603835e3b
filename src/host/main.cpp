#include <windows.h>

#include <cstdlib>

#include "app/frmMain.h"
#include "host/dialog_window.h"
#include "host/main_window.h"
#include "host/stack_guard.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"

namespace {

// Whatever the system's own libraries load from now on comes from the system folder, never from
// beside the exe (a Downloads folder, a folder any program of the user can write); and where the
// system can, it refuses images from the network or of low integrity and prefers its own. Older
// systems lack the calls and run as before.
void loadOnlyFromTheSystem() {
  using tarnwick::win32::findCall;
  if (const auto set = findCall<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories"))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  using SetPolicy = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
  if (const auto policy = findCall<SetPolicy>(L"kernel32.dll", "SetProcessMitigationPolicy")) {
    PROCESS_MITIGATION_IMAGE_LOAD_POLICY images{};
    images.NoRemoteImages = images.NoLowMandatoryLabelImages = images.PreferSystem32Images = 1;
    policy(ProcessImageLoadPolicy, &images, sizeof images);
  }
  // The controls' themes draw through this one, which the theme library loads on first use by
  // a route that some systems (Wine) still look for beside the exe: loaded now from the system
  // folder, it is the one every later load by name finds.
  tarnwick::win32::loadSystemLibrary(L"msimg32.dll");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarnwick::win32::seedStackGuard();
  loadOnlyFromTheSystem();
  // Failures the user never sees can still be seen in a debugger.
  tarnwick::traceFailure = [](const char* what) noexcept {
    OutputDebugStringA("Tarnwick Demo: ");
    OutputDebugStringA(what);
    OutputDebugStringA("\n");
  };
  tarnwick::win32::Win32Platform platform(instance);
  platform.setModalHost([&platform](tarnwick::Dialog& dialog, HWND owner) {
    tarnwick::win32::DialogWindow(platform, dialog).runModal(owner);
  });
  tarnwick::frmMain core(platform);
  tarnwick::win32::MainWindow window(platform, core);
  if (!window.create()) return 1;
  window.loadAndShow();
  const int code = tarnwick::win32::runMessageLoop(window.hwnd(), nullptr);
  // Every window goes with the process, without a handler of theirs running again (destroying
  // them one by one would give each its handlers back, and the user a moment's wait). Nothing
  // pumps from here on, so none can reach an object gone already.
  ExitProcess(static_cast<UINT>(code));
}

// The standard library's default handler for an escaping exception prints the exception's
// type, and for that pulls in a C++ name demangler of some 45 KB. No exception escapes here
// (the one error policy catches them all), so the plain end will do.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
