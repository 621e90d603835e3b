// The stack canary of the code built with -fstack-protector-strong, and what happens when it is
// found overwritten. Seeded as the system's compilers seed their own cookie, from what differs in
// every process and moment, which costs the start nothing; libssp's seed asks the crypto provider,
// whose three libraries took a tenth of the start-up under Wine.
#include <windows.h>

#include <cstdint>

#include "host/stack_guard.h"

// The names are the ones the compiler calls.
extern "C" {
// NOLINTNEXTLINE(bugprone-reserved-identifier)
uintptr_t __stack_chk_guard = 0x2B992DDFA23249D6;  // until seeded
// NOLINTNEXTLINE(bugprone-reserved-identifier)
[[noreturn]] void __stack_chk_fail() {
  // The stack is no longer to be trusted: no handler, no unwinding, the process ends here.
  RaiseFailFastException(nullptr, nullptr, 0);
  __builtin_trap();
}
}

// The seed's shifts and the guard's first value are a 64-bit word's.
static_assert(sizeof(uintptr_t) == 8, "built for 64-bit Windows only");

namespace tarnwick::win32 {

void seedStackGuard() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  uintptr_t seed = (uintptr_t{now.dwHighDateTime} << 32) ^ now.dwLowDateTime;
  seed ^= static_cast<uintptr_t>(counter.QuadPart) << 17 ^ GetTickCount64();
  seed ^= uintptr_t{GetCurrentProcessId()} << 40 ^ uintptr_t { GetCurrentThreadId() } << 8;
  seed ^= reinterpret_cast<uintptr_t>(&seed);  // where the stack is, which changes with every run
  __stack_chk_guard ^= seed;
}

}  // namespace tarnwick::win32
