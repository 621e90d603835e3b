# The end-to-end suite on Windows itself: the real exe, real input, the real shell's notification
# area. What needs the faked small machine or a read-only folder skips itself, saying why.
$ErrorActionPreference = 'Stop'
$root = Resolve-Path "$PSScriptRoot/../.."
$out = Join-Path $root 'build/e2e'
New-Item -ItemType Directory -Force $out | Out-Null
$env:TARNWICK_EXE = Join-Path $root 'build/win/Tarnwick.exe'
$env:TARNWICK_E2E_OUT = $out
$env:TARNWICK_VERSION = (Get-Content (Join-Path $root 'build/win/version')).Trim()
# Windows takes a new pixel density only at the next logon: the looks at another density skip.
$env:TARNWICK_FIXED_DENSITY = '1'
& (Join-Path $root 'build/win/tarnwick_e2e.exe') --gtest_color=no
exit $LASTEXITCODE
