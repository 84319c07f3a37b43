# Sourced by the end-to-end scripts: the program under test, a work folder removed at exit,
# the checks, an Xvfb server of the script's own and, for the scripts that read the program
# as a screen reader does, the accessibility bus.
#   source e2e_common.sh PATH/TO/lumivale [TOOL...]
# Sets program, work and python; exits 77 (skipped) without Xvfb, xdotool, xclip or a TOOL.

program=$(realpath "${1:?usage: $(basename "$0") PATH/TO/lumivale}")
shift
for tool in Xvfb xdotool xclip "$@"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
e2e_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
python=/usr/bin/python3  # Debian's, where python3-pil and python3-pyatspi install

# Exits 77 (skipped) unless Debian's Python has every module named.
needs_python_modules() {
  local module
  for module in "$@"; do
    "$python" -c "import $module" 2>/dev/null ||
      { echo "skipped: the Python module $module is missing"; exit 77; }
  done
}

export LANG=C.UTF-8 LC_ALL=C.UTF-8  # xdotool finds windows by Chinese names only under UTF-8
# No desktop settings of the caller's: Qt picks its own dialogs and the folders are the test's.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME XDG_CONFIG_HOME XDG_DOCUMENTS_DIR

work=$(mktemp -d /tmp/lumivale-e2e-XXXXXX)
xvfb_pid=""
program_pid=""
helper_pids=()  # servers started after Xvfb (a compositor, the accessibility bus), stopped first
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
  local index
  for ((index = ${#helper_pids[@]} - 1; index >= 0; index--)); do
    kill "${helper_pids[index]}" 2>/dev/null
  done
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
fail_now() { echo "FAILED: $1"; exit 1; }

# Polls until the command succeeds, at most $1 tenths of a second.
wait_for() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Whether the process is alive and not yet a zombie waiting to be reaped.
running() {
  local state
  state=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) || return 1
  [[ "$state" != Z ]]
}
export -f running

# Starts Xvfb on a free display (1280 x 1024, 24 bits, no window manager) and exports DISPLAY.
start_xvfb() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  wait_for 100 test -s "$work/display" || fail_now "Xvfb did not start"
  export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
}

# Presses Esc and checks that the program then ends by itself with status 0.
escape_ends_the_program() {
  xdotool key Escape
  wait_for 100 bash -c '! running "$1"' _ "$program_pid" || fail_now "Esc did not end the program"
  wait "$program_pid"
  local status=$?
  program_pid=""
  check "Esc ends the program with status 0" test "$status" -eq 0
}

# Ends the script: with the program's output when a check failed, else with one line.
finish() {
  if ((failures > 0)); then
    echo "--- program output"; cat "$work/program.log"
    exit 1
  fi
  echo "all $1 checks passed"
}

# Starts AT-SPI's accessibility bus on the script's session bus and waits until it answers; a
# program started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 then registers on it. The script runs
# on a session bus of its own (under dbus-run-session, before it sources this file). Exits 77
# (skipped) without at-spi2-core.
start_accessibility_bus() {
  local launcher=/usr/libexec/at-spi-bus-launcher
  [[ -x $launcher ]] || { echo "skipped: at-spi2-core is missing"; exit 77; }
  [[ -n ${DBUS_SESSION_BUS_ADDRESS:-} ]] || fail_now "no session bus"
  "$launcher" --launch-immediately >"$work/at-spi.log" 2>&1 &
  helper_pids+=($!)
  # Asked whether the launcher has its name, the session bus does not start another one.
  wait_for 100 bash -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus |
    grep -q "boolean true"' || fail_now "the accessibility bus did not start"
}
