# The MSI on Windows itself, for this user: the install, the logon entry starting the program into
# the notification area (Windows honours the shortcut's minimised show command, which Wine does
# not), an upgrade that keeps the settings, and an uninstall that leaves nothing, the leftovers of
# interrupted saves included (Windows Installer removes what a wildcard names; Wine's does not).
$ErrorActionPreference = 'Stop'
$root = Resolve-Path "$PSScriptRoot/../.."
$version = (Get-Content (Join-Path $root 'build/win/version')).Trim()
$msi = Join-Path $root "build/dist/tarnwick-$version-win64.msi"
$next = Join-Path $root 'build/dist/next.msi'
$app = Join-Path $env:LOCALAPPDATA 'Programs\Tarnwick Demo'
$menu = Join-Path ([Environment]::GetFolderPath('Programs')) 'Tarnwick Demo.lnk'
$logon = Join-Path ([Environment]::GetFolderPath('Startup')) 'Tarnwick Demo.lnk'
$settings = Join-Path $app 'Settings.qkv'

Add-Type @'
using System;
using System.Runtime.InteropServices;
public static class Shell {
  [StructLayout(LayoutKind.Sequential)]
  struct Identifier { public uint cbSize; public IntPtr hWnd; public uint uID; public Guid guidItem; }
  [StructLayout(LayoutKind.Sequential)]
  struct Rect { public int left, top, right, bottom; }
  [DllImport("shell32.dll")]
  static extern int Shell_NotifyIconGetRect(ref Identifier id, out Rect rect);
  // The title as a pointer: PowerShell would pass $null for a string as "", a window titled so.
  [DllImport("user32.dll", CharSet = CharSet.Unicode)]
  static extern IntPtr FindWindow(string className, IntPtr title);
  [DllImport("user32.dll")]
  public static extern bool IsWindowVisible(IntPtr window);
  [DllImport("user32.dll")]
  public static extern bool PostMessage(IntPtr window, uint message, IntPtr w, IntPtr l);
  public static IntPtr Find(string className) { return FindWindow(className, IntPtr.Zero); }
  // The program's one icon, as the shell holds it for the program's own window: any success
  // (S_FALSE too, which the taskbar answers for an icon in its overflow).
  public static bool HasIcon(IntPtr window) {
    var id = new Identifier { hWnd = window, uID = 1 };
    id.cbSize = (uint)Marshal.SizeOf(id);
    Rect rect;
    return window != IntPtr.Zero && Shell_NotifyIconGetRect(ref id, out rect) >= 0;
  }
}
'@

$failed = 0
function Check([string]$what, [bool]$ok) {
  if ($ok) { "ok: $what" } else { "FAILED: $what"; $script:failed++ }
}
# Waited for (msiexec returns at once otherwise), its exit status and its log kept.
$logs = Join-Path $root 'build/e2e'
New-Item -ItemType Directory -Force $logs | Out-Null
$script:run = 0
function Msiexec([string[]]$arguments) {
  $script:run++
  $log = Join-Path $logs "msiexec-$script:run.log"
  (Start-Process msiexec.exe -ArgumentList ($arguments + '/qn', '/l*v', "`"$log`"") -Wait -PassThru).ExitCode
}
function WaitFor([scriptblock]$condition, [int]$seconds = 20) {
  for ($i = 0; $i -lt $seconds * 10; $i++) {
    if (& $condition) { return $true }
    Start-Sleep -Milliseconds 100
  }
  return $false
}

Check 'installs for this user' ((Msiexec '/i', "`"$msi`"") -eq 0)
Check 'the exe is in %LOCALAPPDATA%\Programs\Tarnwick Demo' (Test-Path (Join-Path $app 'Tarnwick.exe'))
Check 'a Start-menu shortcut' (Test-Path $menu)
Check 'a logon entry in the Startup folder' (Test-Path $logon)

# As at logon: the shell opens the Startup folder's shortcut.
Start-Process $logon
Check 'the logon entry starts the program' (WaitFor { [Shell]::Find('TarnwickMain') -ne 0 })
$window = [Shell]::Find('TarnwickMain')
# The icon belongs to the program's own hidden window, where the shell's messages go.
Check 'with its icon in the notification area' (WaitFor { [Shell]::HasIcon([Shell]::Find('TarnwickEvents')) })
Check 'and its window put away, never shown' (-not [Shell]::IsWindowVisible($window))
Check 'it writes its settings beside itself' (WaitFor { Test-Path $settings })
$null = [Shell]::PostMessage($window, 0x10, [IntPtr]::Zero, [IntPtr]::Zero)  # WM_CLOSE, as taskkill
Check 'a close request ends it' (WaitFor { -not (Get-Process Tarnwick -ErrorAction SilentlyContinue) })

$saved = (Get-FileHash $settings).Hash
Check 'a later version upgrades it' ((Msiexec '/i', "`"$next`"") -eq 0)
Check 'keeping Settings.qkv byte for byte' ((Get-FileHash $settings).Hash -eq $saved)
Check 'and the logon entry' (Test-Path $logon)

Set-Content (Join-Path $app 'Settings.qkv.1234.5678.tmp') 'x'
Set-Content (Join-Path $app 'Settings.qkv.tmp') 'x'
Check 'uninstalls' ((Msiexec '/x', "`"$next`"") -eq 0)
Check 'leaving no file or folder, what interrupted saves left included' (-not (Test-Path $app))
Check 'no shortcut' (-not ((Test-Path $menu) -or (Test-Path $logon)))
Check 'no registry key' (-not (Test-Path 'HKCU:\Software\Tarnwick'))

if ($failed) { "MSI on Windows: $failed FAILED" } else { 'MSI on Windows: all passed' }
exit $failed
