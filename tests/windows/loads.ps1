# What the exe loads on Windows itself, with look-alikes of libraries a program like it may load
# beside it (the end-to-end suite's planted.dll, which leaves a mark beside itself when loaded):
# none is loaded, neither by the loader before the program's first line nor after.
$ErrorActionPreference = 'Stop'
$root = Resolve-Path "$PSScriptRoot/../.."
$dir = Join-Path ([IO.Path]::GetTempPath()) 'tarnwick-loads'
Remove-Item -Recurse -Force $dir -ErrorAction SilentlyContinue
New-Item -ItemType Directory $dir | Out-Null
$exe = Join-Path $dir 'Tarnwick.exe'
Copy-Item (Join-Path $root 'build/win/Tarnwick.exe') $exe
$names = 'version', 'msimg32', 'dwmapi', 'oleacc', 'propsys', 'wtsapi32', 'cryptbase', 'uxtheme',
  'comctl32', 'winmm', 'shcore'
foreach ($name in $names) {
  Copy-Item (Join-Path $root 'build/win/planted.dll') (Join-Path $dir "$name.dll")
}

$process = Start-Process $exe -WorkingDirectory $dir -PassThru
# The window first; the icon and the process list right after the first frame.
for ($i = 0; $i -lt 100 -and $process.MainWindowHandle -eq 0; $i++) {
  Start-Sleep -Milliseconds 100
  $process.Refresh()
}
Start-Sleep -Seconds 2
$modules = @((Get-Process -Id $process.Id).Modules | ForEach-Object FileName)
$null = $process.CloseMainWindow()
$null = $process.WaitForExit(10000)

$modules | ForEach-Object { "  loaded: $_" }
$failed = 0
if ($process.MainWindowHandle -eq 0) { 'FAILED: the window never showed'; $failed++ }
$beside = @($modules | Where-Object { $_ -ne $exe -and (Split-Path $_) -eq $dir })
$marks = @(Get-ChildItem $dir -Filter '*.loaded')
if ($beside.Count -or $marks.Count) {
  "FAILED: loaded from beside the exe: $($beside + $marks.Name)"
  $failed++
} else {
  "ok: nothing of the $($names.Count) libraries beside the exe is loaded"
}
Remove-Item -Recurse -Force $dir -ErrorAction SilentlyContinue
exit $failed
