#!/usr/bin/env bash
# The real program on its own Xvfb server, driven as a user would drive it:
#   the start notice comes first and alone; closing it brings up the window at 482 x 539,
#   centred in the screen's work area (less a panel and a dock, as _NET_WORKAREA says);
#   typing 7 into 编辑框_本月收入 and confirming rewrites it to 7.00; Esc ends with status 0;
#   at QT_SCALE_FACTOR 2 the window is twice the size, taller than the work area, and starts at
#   its top, so that a title bar would be on the screen.
# Also: without a desktop, or with a display that cannot be reached, the program says so and
# exits 2.
# Usage: window_e2e.sh PATH/TO/lumivale
# Exit 77 (skipped) without Xvfb, xdotool, xclip or xprop.
set -uo pipefail

source "$(dirname "$0")/own_session_bus.sh" "$@"
source "$(dirname "$0")/e2e_common.sh" "$1" xprop

# --- No desktop --------------------------------------------------------------------------------
env -u DISPLAY HOME="$work" "$program" >"$work/out" 2>"$work/err"
status=$?
check "without a desktop the exit status is 2" test "$status" -eq 2
check "without a desktop one line on stderr points to render --help" \
  bash -c '[[ $(wc -l <"$1") -eq 1 ]] && grep -q "lumivale render --help" "$1" && [[ ! -s "$2" ]]' \
  _ "$work/err" "$work/out"

# Displays that cannot be opened, whatever is wrong with them: the same kind of message, never a
# crash inside Qt (which aborts with status 134 and a core file).
unserved=7319
while [[ -e /tmp/.X11-unix/X$unserved ]]; do unserved=$((unserved + 1)); done
mkdir -m 700 "$work/runtime"
unreachable=(
  "DISPLAY=:$unserved"                         # nobody serves it
  "DISPLAY=garbage" "DISPLAY=:" "DISPLAY=:abc"  # names that are no display
  "DISPLAY=localhost:99"                       # a TCP display nobody serves
  "DISPLAY=no-such-host.invalid:0"             # a host that does not resolve
  "WAYLAND_DISPLAY=no-such-compositor"         # a Wayland socket that is not there
)
for setting in "${unreachable[@]}"; do
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work" XDG_RUNTIME_DIR="$work/runtime" "$setting" \
    "$program" >"$work/out" 2>"$work/err"
  status=$?
  check "with $setting the exit status is 2" test "$status" -eq 2
  check "with $setting one line on stderr says the display cannot be reached" \
    bash -c '[[ $(wc -l <"$1") -eq 1 ]] && grep -q "cannot reach the display" "$1"' _ "$work/err"
done

# --- Own X server ------------------------------------------------------------------------------
start_xvfb
# What a desktop's panel along the top and dock on the left leave of the 1280 x 1024 screen.
xprop -root -format _NET_WORKAREA 32c -set _NET_WORKAREA 64,40,1216,984

mkdir -p "$work/home/Documents" "$work/elsewhere"
(cd "$work/elsewhere" && HOME="$work/home" exec "$program") >"$work/program.log" 2>&1 &
program_pid=$!

notice_title="Brackenmoor提示："
caption="Lumivale图片生成器      -      作者/Brackenmoor"

wait_for 150 xdotool search --onlyvisible --name "^${notice_title}\$" ||
  fail_now "no start notice came up"
notice=$(xdotool search --onlyvisible --name "^${notice_title}\$" | head -1)
sleep 0.3
check "the main window is not shown while the start notice is" \
  bash -c '! xdotool search --onlyvisible --name "^$1\$"' _ "$caption"
check "the program runs in the folder that holds it" \
  test "$(readlink "/proc/$program_pid/cwd")" = "$(cd "$(dirname "$program")" && pwd -P)"

# No window manager: focus the notice by hand, then press Return as the user would.
xdotool windowfocus --sync "$notice"
xdotool key Return
wait_for 150 xdotool search --onlyvisible --name "^${caption}\$" || fail_now "no main window"
window=$(xdotool search --onlyvisible --name "^${caption}\$" | head -1)
sleep 0.3

geometry=$(xdotool getwindowgeometry --shell "$window")
eval "$geometry"  # WIDTH HEIGHT X Y
check "the window is 482 x 539 (no window manager: no frame)" \
  test "${WIDTH}x${HEIGHT}" = "482x539"
check "the window is centred in the work area" test "${X},${Y}" = "431,262"
check "the fonts went into the documents folder" \
  test -s "$work/home/Documents/lumivale_cu.ttf" -a -s "$work/home/Documents/lumivale_xi.ttf"

# Window-relative places: the middle of 编辑框_本月收入 and of 按钮_预览图片.
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.2; }
read_box() {  # the text of the box that has the focus, through the clipboard
  xdotool key ctrl+a ctrl+c
  sleep 0.2
  timeout 5 xclip -selection clipboard -o 2>/dev/null
}

click_at 133 98
xdotool key ctrl+a
xdotool type --delay 50 7
sleep 0.2
check "the box holds what was typed" test "$(read_box)" = "7"
click_at 100 329
click_at 133 98
check "confirm rewrites 7 as 7.00" test "$(read_box)" = "7.00"

# Enter in the box neither renders nor moves on: the box keeps its text and the focus.
xdotool key End
xdotool type --delay 50 9
xdotool key Return
sleep 0.2
check "Enter leaves the typed text alone" test "$(read_box)" = "7.009"

escape_ends_the_program

# --- Twice the scale ---------------------------------------------------------------------------
# The work area is 608 x 492 in Qt's logical pixels: the 539 high window starts at its top.
(cd "$work/elsewhere" && HOME="$work/home" QT_SCALE_FACTOR=2 exec "$program") \
  >>"$work/program.log" 2>&1 &
program_pid=$!
wait_for 150 xdotool search --onlyvisible --name "^${notice_title}\$" ||
  fail_now "no start notice came up at scale 2"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^${notice_title}\$" | head -1)"
xdotool key Return
wait_for 150 xdotool search --onlyvisible --name "^${caption}\$" || fail_now "no main window at scale 2"
window=$(xdotool search --onlyvisible --name "^${caption}\$" | head -1)
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$window")"
check "at scale 2 the window is 964 x 1078 pixels" test "${WIDTH}x${HEIGHT}" = "964x1078"
check "at scale 2 the window starts at the work area's top, centred across" \
  test "${X},${Y}" = "190,40"
xdotool windowfocus --sync "$window"
escape_ends_the_program
finish window
