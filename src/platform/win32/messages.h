// Every window message and timer of the program's own, in one place: those of the platform's
// window, which the system, the shell and a second start address, and its timers. The windows
// above the platform post nothing of their own: their work goes through the scheduler (post).
#pragma once

#include <cstdint>

namespace tarnwick::win32 {

// The platform's window: hidden, and top-level, since broadcasts (the shell's TaskbarCreated,
// settings and display changes) reach top-level windows only, never message-only ones.
inline constexpr wchar_t kEventsClass[] = L"TarnwickEvents";
// Registered: what a second start posts there, asking for the window.
inline constexpr wchar_t kShowWindowMessage[] = L"Tarnwick Demo: show the window";
// WM_APP + 1: the tray icon's events, as the shell calls back.
inline constexpr unsigned kTrayCallbackMessage = 0x8001;
// WM_APP + 2: a box shown aside was closed (lParam: the box, for the window's thread to free).
inline constexpr unsigned kAsideBoxClosed = 0x8002;

// The scheduler's timer, which runs one posted handler a tick while any waits; then the core's
// timers, one each in the order first set.
inline constexpr uintptr_t kPostedTimer = 1, kFirstCoreTimer = 16;

}  // namespace tarnwick::win32
