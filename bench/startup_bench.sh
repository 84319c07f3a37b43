#!/usr/bin/env bash
# Time from starting the program to its window shown with the first picture, as a whole
# process on its own Xvfb server, beside a minimal Qt Widgets program that shows a message box
# and then a window with the picture scaled to the preview's size (bench/minimal_qt_window.cpp),
# the two started in turn. The notice is closed the moment it appears and the time it stands
# waiting for that is left out: each figure is (start -> notice shown) + (notice closed ->
# window shown). Goal: at most 1.1 times the minimal program's.
# Usage: bench/startup_bench.sh PATH/TO/lumivale PATH/TO/lumivale_minimal_qt_window [RUNS]
set -uo pipefail
program=$(realpath "${1:?usage: startup_bench.sh PATH/TO/lumivale PATH/TO/minimal [RUNS]}")
minimal=$(realpath "${2:?usage: startup_bench.sh PATH/TO/lumivale PATH/TO/minimal [RUNS]}")
runs=${3:-11}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool"; exit 2; }
done
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

work=$(mktemp -d /tmp/lumivale-startup-XXXXXX)
xvfb_pid=""
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 2>/dev/null &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export HOME="$work/home"
mkdir -p "$HOME/Documents"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# Polls as fast as xdotool answers for a visible window whose name matches $1; prints its id.
wait_window() {
  local id deadline=$(( $(now_ms) + 10000 ))
  while (( $(now_ms) < deadline )); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
  done
  return 1
}

# measure PROGRAM NOTICE_TITLE WINDOW_TITLE: prints one figure in milliseconds.
measure() {
  local start shown closed up pid notice window
  start=$(now_ms)
  "$1" >/dev/null 2>&1 &
  pid=$!
  notice=$(wait_window "$2") || { echo "no notice from $1" >&2; kill $pid; return 1; }
  shown=$(now_ms)
  xdotool windowfocus --sync "$notice" 2>/dev/null
  xdotool key Return
  closed=$(now_ms)
  window=$(wait_window "$3") || { echo "no window from $1" >&2; kill $pid; return 1; }
  up=$(now_ms)
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool key Escape
  kill $pid 2>/dev/null  # the minimal program has no Esc of its own
  wait $pid 2>/dev/null
  echo $(( (shown - start) + (up - closed) ))
}

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

ours=() floor=()
measure "$program" "^Brackenmoor提示：$" "^Lumivale图片生成器" >/dev/null  # the caches warmed once
for ((run = 1; run <= runs; run++)); do
  ours+=("$(measure "$program" "^Brackenmoor提示：$" "^Lumivale图片生成器")") || exit 1
  floor+=("$(measure "$minimal" "^Minimal floor notice$" "^Minimal floor window$")") || exit 1
done
m=$(median "${ours[@]}") f=$(median "${floor[@]}")
ratio=$(awk -v m="$m" -v f="$f" 'BEGIN {printf "%.2f", m / f}')
verdict=$(awk -v r="$ratio" 'BEGIN {print (r <= 1.1) ? "met" : "NOT MET"}')
echo "start to window with first picture: median ${m} ms (${ours[*]})"
echo "minimal Qt program, the same way:    median ${f} ms (${floor[*]})"
echo "ratio ${ratio} (goal <= 1.1) ${verdict}"
[[ $verdict == met ]]
