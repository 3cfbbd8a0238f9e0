# Sourced by the test, demo and benchmark scripts: a display and a Wine
# prefix for running the launcher. Sets DISPLAY, WINEPREFIX and WINEDEBUG,
# and stop_wine_env to end what it started.
#   WINE_ENV_PREFIX  the prefix folder (created when missing)

wine_env_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINE_ENV_PREFIX:-$wine_env_root/build/wineprefix}"
export WINEDEBUG=-all
wine_env_xvfb_pid=""

# Wine's loader for 64-bit programs. `wine` itself prefers the 32-bit loader
# whenever it is installed, even where the kernel cannot run 32-bit code.
wine64_loader=/usr/lib/wine/wine64

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      wine_env_xvfb_pid=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return
        sleep 0.1
      done
      echo "wine-env: Xvfb did not start on :$n" >&2
      return 1
    fi
  done
  echo "wine-env: no free display number" >&2
  return 1
}

# Registry settings that keep a test prefix quick and quiet: no window
# manager waits for closing windows, and a crash ends the program instead of
# starting the debugger.
prepare_prefix() {
  local reg="$WINEPREFIX/plinor-settings.reg"
  cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=-
"Auto"="0"
REG
  "$wine64_loader" regedit /S "$reg" </dev/null >/dev/null 2>&1
  wineserver -w
}

start_wine() {
  start_display
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine64_loader" wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    prepare_prefix
  fi
  # Wine draws the title-bar buttons with its own Marlett font, but reads
  # fonts only from the prefix and fontconfig's folders, not from where
  # Debian installs Wine's own. Only that one: Wine's other fonts would
  # replace the ones a test prefix has always used, and slow every start.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  start_wine_server
}

# A server started here, with nothing holding its output, lets the test
# runner see each program's end at once. Run by root, it is started without
# the right to override file permissions, so that a read-only file is
# read-only for the programs too.
start_wine_server() {
  if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    setpriv --bounding-set -dac_override,-dac_read_search \
      wineserver -p </dev/null >/dev/null 2>&1
  else
    wineserver -p </dev/null >/dev/null 2>&1
  fi
  "$wine64_loader" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# set_dpi N: the screen's DPI for the programs started from now on (96 is
# 100 %). Wine reads it when its server starts, so the server is restarted.
set_dpi() {
  local key
  for key in 'HKCU\Control Panel\Desktop' \
             'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    "$wine64_loader" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  done
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  start_wine_server
}

# window_manager yes|no: whether a window manager frames and moves the
# windows. Xvfb has none, and Wine then waits for one whenever a window
# closes, so the prefix starts with "no"; on a desktop, "yes" gives windows
# the desktop's frames.
window_manager() {
  local value=N
  [ "$1" = yes ] && value=Y
  local name
  for name in Managed Decorated; do
    "$wine64_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v "$name" /d "$value" /f \
      </dev/null >/dev/null 2>&1
  done
}

stop_wine_env() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$wine_env_xvfb_pid" ]; then
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
  fi
}
