# Sourced by the test, demo and benchmark scripts: a display and a Wine
# prefix for running the launcher. Sets DISPLAY, WINEPREFIX and WINEDEBUG,
# and stop_wine_env to end what it started.
#   WINE_ENV_PREFIX  the prefix folder (created when missing)
#
# The order of use: prepare_wine, then set_dpi if wanted, then
# start_wine_server; start_wine does the first and the last together.
# Until start_wine_server, no server of the prefix stays running: each step
# waits until every program of the prefix has ended and the server has saved
# the registry and exited, so nothing else writes the prefix's registry
# meanwhile, and no server is ever killed with settings unsaved.

wine_env_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINE_ENV_PREFIX:-$wine_env_root/build/wineprefix}"
export WINEDEBUG=-all
wine_env_xvfb_pid=""

# Wine's programs (wineboot, reg, regedit, cmd) are run with the 64-bit
# loader, which every host runs.
source "$wine_env_root/scripts/wine-loaders.sh"

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  # Xvfb picks a free display number itself and writes it to descriptor 3:
  # a number whose socket another Xvfb holds (in another root, say) is
  # skipped, which a look at /tmp/.X11-unix cannot see.
  local number_file i
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" \
    </dev/null >/dev/null 2>&1 &
  wine_env_xvfb_pid=$!
  for i in $(seq 1 200); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      return
    fi
    if ! kill -0 "$wine_env_xvfb_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  rm -f "$number_file"
  echo "wine-env: Xvfb did not start" >&2
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
  if ! wine_step 120 "write the test settings" "$wine64_loader" regedit /S "$reg" >/dev/null; then
    echo "wine-env: the test settings could not be written into $WINEPREFIX" >&2
    return 1
  fi
  settle_wine
}

# Waits until every program of the prefix has ended and its server has
# saved the registry and exited: nothing runs in the prefix afterwards.
settle_wine() {
  wine_step 300 "wait for the prefix's programs to end" wineserver -w >/dev/null
}

# A display and a prefix, with no program of the prefix left running.
prepare_wine() {
  start_display
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # wineboot returns before everything it starts has ended (services,
    # the desktop, the menu builder); they are waited for too.
    if ! wine_step 300 "create the prefix" "$wine64_loader" wineboot -i >/dev/null; then
      echo "wine-env: wineboot could not create the prefix $WINEPREFIX" >&2
      return 1
    fi
    settle_wine
    prepare_prefix
  fi
  # Wine draws the title-bar buttons with its own Marlett font, but reads
  # fonts only from the prefix and fontconfig's folders, not from where
  # Debian installs Wine's own. Only that one: Wine's other fonts would
  # replace the ones a test prefix has always used, and slow every start.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  settle_wine
}

start_wine() {
  prepare_wine
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
  wine_step 120 "start the prefix's server" "$wine64_loader" cmd /c exit >/dev/null
}

# wine_reg_add KEY NAME TYPE DATA [VIEW]: one registry value (an empty NAME
# is the default value), in the 32- or 64-bit view when VIEW says which, or
# a message naming it and what reg said.
wine_reg_add() {
  local name=(/ve) view=() said
  [ -z "$2" ] || name=(/v "$2")
  [ -z "${5:-}" ] || view=("/reg:$5")
  if ! said=$(wine_step 60 "set $1 $2" "$wine64_loader" reg add "$1" "${name[@]}" /t "$3" \
                /d "$4" /f "${view[@]}"); then
    echo "wine-env: could not set $1 value $2 in $WINEPREFIX: $(printf '%s' "$said" | tr -d '\r')" >&2
    return 1
  fi
}

# set_dpi N: the screen's DPI for the programs started from now on (96 is
# 100 %). Wine reads it when its server starts: call it before
# start_wine_server.
set_dpi() {
  local key
  for key in 'HKCU\Control Panel\Desktop' \
             'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine_reg_add "$key" LogPixels REG_DWORD "$1" || return 1
  done
  settle_wine
}

# window_manager yes|no: whether a window manager frames and moves the
# windows. Xvfb has none, and Wine then waits for one whenever a window
# closes, so the prefix starts with "no"; on a desktop, "yes" gives windows
# the desktop's frames. Programs read it when they start.
window_manager() {
  local value=N
  [ "$1" = yes ] && value=Y
  local name
  for name in Managed Decorated; do
    wine_reg_add 'HKCU\Software\Wine\X11 Driver' "$name" REG_SZ "$value" || return 1
  done
}

# wine_step SECONDS WHAT COMMAND...: a command that runs Windows programs,
# with no input and its output and errors on the standard output, stopped
# after SECONDS; then the step is named on the standard error and the status
# is 124.
wine_step() {
  local limit=$1 what=$2 status=0
  shift 2
  timeout -k 5 "$limit" "$@" </dev/null 2>&1 || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "${wine_step_who:-wine-env}: step \"$what\" ran past $limit s and was stopped" >&2
    status=124
  fi
  return "$status"
}

# The process ids of the prefix's Wine processes: its server and every
# program it runs (not the scripts that merely name the prefix).
wine_prefix_processes() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    case "$(readlink "$dir/exe" 2>/dev/null)" in /usr/lib/wine/*) ;; *) continue ;; esac
    if tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -Fxq "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
    fi
  done
}

# wine_processes_report [PID...]: the state of the prefix's Wine processes
# and of the given ones, thread by thread, with what each waits in.
wine_processes_report() {
  local pid task
  echo "prefix: $WINEPREFIX"
  echo "at: $(date -u '+%Y-%m-%d %H:%M:%S') UTC; wine: $(wine --version 2>/dev/null)"
  for pid in $( (wine_prefix_processes; printf '%s\n' "$@") | sort -un); do
    [ -d "/proc/$pid" ] || continue
    echo
    ps -o pid=,ppid=,stat=,time=,etime=,args= -p "$pid"
    for task in /proc/"$pid"/task/*; do
      printf '  thread %s: %s, waits in %s\n' "${task##*/}" \
        "$(sed -n 's/^State:\t//p' "$task/status" 2>/dev/null)" \
        "$(cat "$task/wchan" 2>/dev/null)"
      sed 's/^/    /' "$task/stack" 2>/dev/null
    done
  done
}

# Ends the prefix's Wine processes by their ids: a server that answers no
# program any more answers no "wineserver -k" either.
end_prefix_programs() {
  local pids
  pids=$(wine_prefix_processes)
  [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
}

# True when the prefix's server starts a trivial program within 20 s.
wine_server_answers() {
  timeout -k 5 20 "$wine64_loader" cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wine_env() {
  timeout -k 5 30 wineserver -k >/dev/null 2>&1 || true
  end_prefix_programs
  if [ -n "$wine_env_xvfb_pid" ]; then
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
  fi
}
