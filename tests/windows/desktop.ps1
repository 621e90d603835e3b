# What this runner offers the tests, said first: the desktop and its size, whether the shell
# (explorer.exe, the notification area) runs, and whether input can be sent (SendInput takes
# none without an input desktop: a locked or a service's session). From here on, what programs
# write to the debugger (OutputDebugString: the program's traces) goes to build/e2e.
$ErrorActionPreference = 'Stop'
$root = Resolve-Path "$PSScriptRoot/../.."
$out = Join-Path $root 'build/e2e'
New-Item -ItemType Directory -Force $out | Out-Null

Add-Type -AssemblyName System.Windows.Forms
Add-Type @'
using System;
using System.Runtime.InteropServices;
public static class Desktop {
  [StructLayout(LayoutKind.Sequential)]
  struct MouseInput { public int dx, dy; public uint data, flags, time; public IntPtr extra; }
  // INPUT: the union after the type sits where a pointer may, as in the SDK.
  [StructLayout(LayoutKind.Sequential)]
  struct Input { public uint type; public MouseInput mouse; }
  [DllImport("user32.dll", SetLastError = true)]
  static extern uint SendInput(uint count, Input[] inputs, int size);
  [DllImport("user32.dll")]
  static extern IntPtr OpenInputDesktop(uint flags, bool inherit, uint access);
  [DllImport("user32.dll")]
  static extern bool CloseDesktop(IntPtr desktop);
  public static bool HasInputDesktop() {
    IntPtr desktop = OpenInputDesktop(0, false, 0x0100);  // DESKTOP_SWITCHDESKTOP
    if (desktop == IntPtr.Zero) return false;
    CloseDesktop(desktop);
    return true;
  }
  // A mouse move by nothing: taken (1) where input can be sent.
  public static uint SendNothing() {
    var move = new Input[] { new Input { type = 0, mouse = new MouseInput { flags = 0x0001 } } };
    return SendInput(1, move, Marshal.SizeOf(typeof(Input)));
  }
}
'@

$screen = [System.Windows.Forms.SystemInformation]::VirtualScreen
"desktop: $($screen.Width) x $($screen.Height), input desktop: $([Desktop]::HasInputDesktop())"
$shell = @(Get-Process explorer -ErrorAction SilentlyContinue)
"explorer.exe: $(if ($shell.Count) { 'running' } else { 'NOT running: there is no notification area' })"
$taken = [Desktop]::SendNothing()
"input: $(if ($taken -eq 1) { 'SendInput takes it' } else { 'SendInput takes NONE: no test can type or click' })"

Start-Process pwsh -WindowStyle Hidden -ArgumentList '-NoProfile', '-File',
  (Join-Path $PSScriptRoot 'debug-output.ps1'), (Join-Path $out 'debug-output.txt')
if (-not $shell.Count -or $taken -ne 1) { exit 1 }
exit 0
