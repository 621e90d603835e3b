// The Win32 side, run under Wine by scripts/run-bench: one process-list pass over this
// machine's real processes, as time per process. Prints a summary row for the bench table.
#include <windows.h>

#include <cstdio>

#include "app/frmMain.h"
#include "platform/win32/win32_platform.h"

int main() {
  tarnwick::win32::Win32Platform platform;
  tarnwick::frmMain form(platform);
  form.ListProcesses(true);  // warm up

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  constexpr int kPasses = 200;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kPasses; ++i) form.ListProcesses(true);
  QueryPerformanceCounter(&end);

  const int processes = form.lstProcessList.listCount();
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
  std::printf(
      "| One process-list pass, Win32 under Wine, %d processes | %.1f us per process | | |\n",
      processes, processes ? seconds / kPasses / processes * 1e6 : 0.0);
  return 0;
}
