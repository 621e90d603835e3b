// Memory, the clock, the message pump and message boxes.
#include "platform/win32/win32_platform.h"
// After <windows.h>.
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "base/runtime.h"
#include "platform/win32/messages.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

// The core's names for the Win32 numbers it passes through are the SDK's. (HWND_TOPMOST,
// HWND_NOTOPMOST and HKEY_LOCAL_MACHINE are casts, which no constant expression may compare.)
static_assert(win::kWmNcLButtonDown == WM_NCLBUTTONDOWN && win::kHtCaption == HTCAPTION);
static_assert(win::kWmLButtonUp == WM_LBUTTONUP && win::kWmRButtonUp == WM_RBUTTONUP);
static_assert(win::kSwpNoSize == SWP_NOSIZE && win::kSwpNoMove == SWP_NOMOVE);
static_assert(win::kNifMessage == NIF_MESSAGE && win::kNifIcon == NIF_ICON &&
              win::kNifTip == NIF_TIP && win::kNifShowTip == NIF_SHOWTIP);
static_assert(win::kNimAdd == NIM_ADD && win::kNimModify == NIM_MODIFY &&
              win::kNimDelete == NIM_DELETE && win::kNimSetFocus == NIM_SETFOCUS &&
              win::kNimSetVersion == NIM_SETVERSION);
static_assert(win::kWmContextMenu == WM_CONTEXTMENU && win::kNinKeySelect == NIN_KEYSELECT &&
              win::kNotifyIconVersion4 == NOTIFYICON_VERSION_4 && win::kVbKeyEscape == VK_ESCAPE &&
              win::kIdOk == IDOK);
static_assert(kTrayCallbackMessage == WM_APP + 1 && kAsideBoxClosed == WM_APP + 2);
static_assert(win::kSwpNoZOrder == SWP_NOZORDER && win::kSwpNoActivate == SWP_NOACTIVATE &&
              win::kSwpShowWindow == SWP_SHOWWINDOW && win::kSwpHideWindow == SWP_HIDEWINDOW);
static_assert(win::kTh32csSnapProcess == TH32CS_SNAPPROCESS);
static_assert(win::kProcessSetInformation == PROCESS_SET_INFORMATION &&
              win::kProcessQueryLimitedInformation == PROCESS_QUERY_LIMITED_INFORMATION);
static_assert(win::kIdlePriorityClass == IDLE_PRIORITY_CLASS &&
              win::kBelowNormalPriorityClass == BELOW_NORMAL_PRIORITY_CLASS &&
              win::kNormalPriorityClass == NORMAL_PRIORITY_CLASS &&
              win::kAboveNormalPriorityClass == ABOVE_NORMAL_PRIORITY_CLASS &&
              win::kHighPriorityClass == HIGH_PRIORITY_CLASS &&
              win::kRealtimePriorityClass == REALTIME_PRIORITY_CLASS);
static_assert(win::kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL &&
              win::kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              win::kKeyRead == KEY_READ);
static_assert(win::kRegSz == REG_SZ && win::kRegExpandSz == REG_EXPAND_SZ &&
              win::kRegDword == REG_DWORD);
static_assert(win::kMbIconInformation == MB_ICONINFORMATION);
static_assert(win::kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              win::kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(win::kErrorInvalidFunction == ERROR_INVALID_FUNCTION &&
              win::kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              win::kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              win::kErrorLockViolation == ERROR_LOCK_VIOLATION &&
              win::kErrorNotSupported == ERROR_NOT_SUPPORTED &&
              win::kErrorCallNotImplemented == ERROR_CALL_NOT_IMPLEMENTED);
static_assert(win::kErrorUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED &&
              win::kErrorUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
              win::kErrorUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
static_assert(win::kSwHide == SW_HIDE && win::kSwShowNormal == SW_SHOWNORMAL &&
              win::kSwShowMinimized == SW_SHOWMINIMIZED && win::kSwMinimize == SW_MINIMIZE &&
              win::kSwShowMaximized == SW_SHOWMAXIMIZED &&
              win::kSwShowNoActivate == SW_SHOWNOACTIVATE &&
              win::kSwShowMinNoActive == SW_SHOWMINNOACTIVE &&
              win::kSwForceMinimize == SW_FORCEMINIMIZE);
static_assert(win::kRestartNoCrash == RESTART_NO_CRASH && win::kRestartNoHang == RESTART_NO_HANG &&
              win::kRestartNoReboot == RESTART_NO_REBOOT);

namespace {

// The modal window whose keyboard navigation every pump handles now.
HWND currentDialog = nullptr;
bool ending = false;

void dispatch(MSG& msg) {
  if (currentDialog && IsDialogMessageW(currentDialog, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

DWORD WINAPI showAside(void* parameter) {
  auto* box = static_cast<AsideBox*>(parameter);
  MessageBoxW(box->owner, box->text.c_str(), box->title.c_str(), MB_OK | box->icon);
  if (!PostMessageW(box->back, kAsideBoxClosed, 0, reinterpret_cast<LPARAM>(box))) delete box;
  return 0;
}

}  // namespace

void endProgramLoops() {
  ending = true;
}

bool programEnding() {
  return ending;
}

bool waitServingSent(HANDLE object, DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
    const DWORD woken = MsgWaitForMultipleObjects(object ? 1 : 0, &object, FALSE,
                                                  static_cast<DWORD>(until - now), QS_SENDMESSAGE);
    if (object && woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + (object ? 1 : 0)) break;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // serves what was sent
  }
  return false;
}

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      showRequest_(RegisterWindowMessageW(kShowWindowMessage)),
      tray_(instance) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = eventsProc;
  cls.hInstance = instance;
  cls.lpszClassName = kEventsClass;
  RegisterClassExW(&cls);
  events_ = CreateWindowExW(WS_EX_TOOLWINDOW, kEventsClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, instance, this);
  // Run elevated, it would otherwise hear neither the shell (its restart, the icon's events)
  // nor a second start.
  for (const UINT message : {taskbarCreated_, showRequest_, kTrayCallbackMessage})
    ChangeWindowMessageFilterEx(events_, message, MSGFLT_ALLOW, nullptr);
  tray_.attach(events_);
}

LRESULT CALLBACK Win32Platform::eventsProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  bool handled = false;
  if (self) skipOnError([&] { handled = self->onEvent(message, wParam, lParam); });
  return handled ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

bool Win32Platform::onEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto deliver = [](const auto& handler, auto... arguments) {
    if (handler) handler(arguments...);
    return true;
  };
  if (message == taskbarCreated_) {
    tray_.followTaskbar();  // the new taskbar's density
    return deliver(shellEvents_.taskbarCreated);
  }
  if (message == showRequest_) return deliver(shellEvents_.showRequested);
  switch (message) {
    case kTrayCallbackMessage:
      // Version 4 of the icon: the event in the low word, where it happened in wParam.
      return deliver(shellEvents_.trayIcon, static_cast<uint32_t>(LOWORD(lParam)),
                     static_cast<int>(static_cast<short>(LOWORD(wParam))),
                     static_cast<int>(static_cast<short>(HIWORD(wParam))));
    case WM_TIMER:
      if (wParam == kPostedTimer) runPosted();
      if (wParam >= kFirstCoreTimer && wParam - kFirstCoreTimer < timers_.size())
        timers_[wParam - kFirstCoreTimer]->fire();
      return true;
    case kAsideBoxClosed: {
      const std::unique_ptr<AsideBox> box(reinterpret_cast<AsideBox*>(lParam));
      return deliver(box->closed);
    }
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      tray_.followTaskbar();  // the taskbar's monitor may have another density now
      return false;
    case WM_CLOSE:
      // What closes the program (taskkill, an installer) reaches the main window too: this one
      // stays while the program decides, or a run refused its close would lose its timer.
      return true;
    default:
      return false;
  }
}

int runMessageLoop(HWND dialog, const std::function<bool()>& done) {
  const HWND outer = std::exchange(currentDialog, dialog);
  MSG msg{};
  int code = 0;
  while (!ending && !(done && done())) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      code = static_cast<int>(msg.wParam);
      if (done) PostQuitMessage(code);  // for the loop below this one
      break;
    }
    dispatch(msg);
  }
  currentDialog = outer;
  return code;
}

// Input belongs to the loop tracking it: a window move, a menu, a control holding the mouse (a
// scroll bar's thumb, a spin's arrow). A button's release taken here would never reach that loop,
// which would then go on tracking a mouse no longer held; so inside one, only the rest is served.
// Inside an answer to a message someone waits on, posted work (a run's next steps) waits too.
void Win32Platform::doEvents() {
  UINT only = 0;
  if (answering_ > 0 || InSendMessage()) {
    only = PM_QS_PAINT | PM_QS_SENDMESSAGE;
  } else {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetCurrentThreadId(), &thread) &&
        (thread.hwndCapture || (thread.flags & (GUI_INMOVESIZE | GUI_INMENUMODE))))
      only = PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE;
  }
  MSG msg;
  while (!ending && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | only)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // left for the loop below us
      return;
    }
    dispatch(msg);
  }
}

// One timer while anything waits, never set again meanwhile: setting it anew would start its
// period over, and a run's steps, each about one period long, would wait a period between them.
// A timer's message comes only when no input, painting or posted message waits, so posted work
// never holds those up. Where the timer cannot be set, the handler would never run: refused.
void Win32Platform::post(std::function<void()> handler) {
  if (!ticking_ && !SetTimer(events_, kPostedTimer, USER_TIMER_MINIMUM, nullptr))
    throw RuntimeError("Out of timers");
  ticking_ = true;
  posted_.push_back(std::move(handler));
}

void Win32Platform::runPosted() {
  if (!posted_.empty()) {
    const std::function<void()> handler = std::move(posted_.front());
    posted_.pop_front();
    skipOnError(handler);  // which mostly posts the next
  }
  if (posted_.empty() && ticking_) ticking_ = !KillTimer(events_, kPostedTimer);
}

void Win32Platform::setTimer(forms::Timer& timer) {
  auto place = std::find(timers_.begin(), timers_.end(), &timer);
  if (place == timers_.end()) place = timers_.insert(place, &timer);
  const UINT_PTR id = kFirstCoreTimer + static_cast<UINT_PTR>(place - timers_.begin());
  if (timer.enabled())
    SetTimer(events_, id, timer.interval(), nullptr);
  else
    KillTimer(events_, id);
}

MemoryStatus Win32Platform::globalMemoryStatus() {
  // The 64-bit status, so machines above 4 GB report their real figures.
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return {};
  return {status.ullTotalPhys, status.ullAvailPhys, status.ullAvailPageFile};
}

TimeOfDay Win32Platform::localTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond};
}

void Win32Platform::messageBox(OsHandle owner, const std::string& text, const std::string& title,
                               uint32_t icon) {
  MessageBoxW(as<HWND>(owner), widen(text).c_str(), widen(title).c_str(), MB_OK | icon);
}

void Win32Platform::messageBoxAside(OsHandle owner, const std::string& text,
                                    const std::string& title, uint32_t icon,
                                    std::function<void()> closed) {
  // Handed to a thread of its own, so that its modal loop is not nested inside the caller's; the
  // thread owns the box from here on, and hands it back to this thread when it is closed.
  auto* box =
      new AsideBox{as<HWND>(owner), events_, widen(text), widen(title), icon, std::move(closed)};
  if (const Handle thread(CreateThread(nullptr, 0, showAside, box, 0, nullptr)); thread) return;
  // No thread: nobody else has it.
  const std::unique_ptr<AsideBox> unshown(box);
  if (unshown->closed) unshown->closed();
}

void Win32Platform::showModal(Dialog& dialog, OsHandle owner) {
  if (modalHost_) modalHost_(dialog, as<HWND>(owner));
}

}  // namespace tarnwick::win32
