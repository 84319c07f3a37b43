# Sourced by the end-to-end scripts: the program under test, a work folder removed at exit,
# the checks, and an Xvfb server of the script's own.
#   source e2e_common.sh PATH/TO/lumivale
# Sets program and work; exits 77 (skipped) without Xvfb, xdotool or xclip.

program=$(realpath "${1:?usage: $(basename "$0") PATH/TO/lumivale}")
for tool in Xvfb xdotool xclip; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

export LANG=C.UTF-8 LC_ALL=C.UTF-8  # xdotool finds windows by Chinese names only under UTF-8
# No desktop settings of the caller's: Qt picks its own dialogs and the folders are the test's.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME XDG_CONFIG_HOME XDG_DOCUMENTS_DIR

work=$(mktemp -d /tmp/lumivale-e2e-XXXXXX)
xvfb_pid=""
program_pid=""
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
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
