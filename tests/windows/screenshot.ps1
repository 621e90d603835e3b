# The whole screen as it is now, to build/e2e/screen.png: where a step failed, what was on it.
$ErrorActionPreference = 'Stop'
Add-Type -AssemblyName System.Windows.Forms, System.Drawing
$root = Resolve-Path "$PSScriptRoot/../.."
$out = Join-Path $root 'build/e2e'
New-Item -ItemType Directory -Force $out | Out-Null
$bounds = [System.Windows.Forms.SystemInformation]::VirtualScreen
$bitmap = New-Object System.Drawing.Bitmap $bounds.Width, $bounds.Height
$graphics = [System.Drawing.Graphics]::FromImage($bitmap)
$graphics.CopyFromScreen($bounds.Location, [System.Drawing.Point]::Empty, $bounds.Size)
$bitmap.Save((Join-Path $out 'screen.png'), [System.Drawing.Imaging.ImageFormat]::Png)
"screen: $(Join-Path $out 'screen.png')"
