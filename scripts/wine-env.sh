# shellcheck shell=sh
# Sourced by the scripts that run the exe: a throw-away Wine prefix under build/, no dialogs.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build"
export WINEPREFIX="$BUILD/wine"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer, and no debugger window waiting on a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# A Windows path for a file of this machine (Wine maps / to Z:).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Makes the prefix unless it exists ("reuse"), or always from new ("fresh").
wine_prefix() {
  if [ "$1" = fresh ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$BUILD"
    wine wineboot -i >"$BUILD/wineboot.log" 2>&1 || true
    wineserver -w
    # Debian keeps Wine's own fonts apart; without them every face falls back to DejaVu.
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # A server started on another display would keep it; each run starts its own.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
