#!/usr/bin/env bash
# The real program under a Wayland compositor, read and driven through the accessibility bus
# (wayland_check.py), in the C locale. The compositor is weston on an Xvfb server of the
# script's own: its headless back end has no seat, and with no seat there is no clipboard.
#   under Qt's own decorations the window's client area is the layout's 482 x 539, and the same
#   without them (QT_WAYLAND_DISABLE_WINDOWDECORATION);
#   the window tells the compositor the application id, the name of its desktop entry;
#   a copy pastes with wl-paste as image/png with exactly the pixels of `lumivale render` of
#   the same values; Esc ends the program with status 0.
# Usage: wayland_e2e.sh PATH/TO/lumivale APPLICATION-ID
# Exit 77 (skipped) without Xvfb, xdotool, xclip, weston, wl-paste, dbus-run-session,
# at-spi2-core, python3-pyatspi or python3-pil.
set -uo pipefail

source "$(dirname "$0")/own_session_bus.sh" --needed "$@"

source "$(dirname "$0")/e2e_common.sh" "$1" dbus-send weston wl-paste
app_id=${2:?usage: $(basename "$0") PATH/TO/lumivale APPLICATION-ID}
needs_python_modules pyatspi PIL

# Under the sanitizers, what Qt's Wayland plugin leaves at exit is suppressed beside what the
# suite suppresses everywhere.
if [[ ${LSAN_OPTIONS:-} =~ suppressions=([^:]*) ]]; then
  cat "${BASH_REMATCH[1]}" "$e2e_folder/wayland_lsan.supp" >"$work/lsan.supp"
  export LSAN_OPTIONS=${LSAN_OPTIONS/suppressions=${BASH_REMATCH[1]}/suppressions=$work/lsan.supp}
fi

start_xvfb
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
socket=lumivale-e2e
# The protocol log shows what the program asks of the compositor (its application id).
weston --backend=x11-backend.so --use-pixman --no-config --socket="$socket" --idle-time=0 \
  --width=1024 --height=768 --logger-scopes=log,proto --log="$work/weston.log" \
  >"$work/weston.out" 2>&1 &
helper_pids+=($!)
wait_for 100 test -S "$XDG_RUNTIME_DIR/$socket" || fail_now "weston did not start"
export WAYLAND_DISPLAY=$socket
start_accessibility_bus
mkdir -p "$work/home/Documents"
"$program" render --out "$work/ref.png" >/dev/null || fail_now "lumivale render failed"

# Starts the program on the compositor alone (no DISPLAY), with the settings given.
start_program() {
  (cd "$work" && exec env -u DISPLAY HOME="$work/home" LANG=C LC_ALL=C QT_QPA_PLATFORM=wayland \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@" "$program") >>"$work/program.log" 2>&1 &
  program_pid=$!
}
# Esc goes to weston's window on the X server, and from there to the window that has weston's
# keyboard focus. The first key after weston's window gets the X focus may go where weston's
# focus was before (a notice that is gone): Esc is pressed again until the program ends, at
# most five times.
end_with_escape() {
  local output tries status
  output=$(xdotool search --class weston | head -1)
  [[ -n $output ]] || fail_now "weston has no window on the X server"
  xdotool mousemove --window "$output" 500 400
  xdotool windowfocus --sync "$output"
  for ((tries = 0; tries < 5; tries++)); do
    xdotool key Escape
    wait_for 20 bash -c '! running "$1"' _ "$program_pid" && break
  done
  running "$program_pid" && fail_now "Esc did not end the program"
  wait "$program_pid"
  status=$?
  program_pid=""
  check "Esc ends the program with status 0" test "$status" -eq 0
}

start_program
check "the window under Qt's decorations, and a copy pasted with wl-paste" \
  "$python" "$e2e_folder/wayland_check.py" copy "$work/ref.png"
check "the window tells the compositor its application id $app_id" \
  grep -qF "set_app_id(\"$app_id\")" "$work/weston.log"
end_with_escape

start_program QT_WAYLAND_DISABLE_WINDOWDECORATION=1
check "the window without decorations" "$python" "$e2e_folder/wayland_check.py" size
end_with_escape

finish wayland
