// Resource identifiers shared by the resource script and the Win32 shell.
#pragma once

#define IDI_TARNWICK 1
#define IDC_HOTSPOT 2
