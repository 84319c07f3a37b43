#!/usr/bin/env bash
# Time from starting the program to its window shown with the first picture, as a whole
# process on its own Xvfb server. The start notice is closed the moment it appears, and the
# time it stands waiting for that is left out: the figure is (start -> notice shown) plus
# (notice closed -> window shown). Goal: at most 400 ms.
# Usage: bench/startup_bench.sh PATH/TO/lumivale [RUNS]
set -uo pipefail
program=$(realpath "${1:?usage: startup_bench.sh PATH/TO/lumivale [RUNS]}")
runs=${2:-7}
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
mkdir -p "$HOME"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# Polls as fast as xdotool answers for a visible window whose name contains $1; prints its id.
wait_window() {
  local id deadline=$(( $(now_ms) + 10000 ))
  while (( $(now_ms) < deadline )); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
  done
  return 1
}

times=()
for ((run = 1; run <= runs; run++)); do
  start=$(now_ms)
  "$program" >/dev/null 2>&1 &
  pid=$!
  notice=$(wait_window "^Brackenmoor提示：$") || { echo "no start notice"; kill $pid; exit 1; }
  shown=$(now_ms)
  xdotool windowfocus --sync "$notice" 2>/dev/null
  xdotool key Return
  closed=$(now_ms)
  window=$(wait_window "^Lumivale图片生成器") || { echo "no window"; kill $pid; exit 1; }
  up=$(now_ms)
  times+=($(( (shown - start) + (up - closed) )))
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool key Escape
  wait $pid
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$(( ${#sorted[@]} / 2 ))]}
verdict="NOT MET"; (( median <= 400 )) && verdict="met"
echo "start to window with first picture: median ${median} ms over ${runs} runs (${times[*]}) (goal <= 400) ${verdict}"
[[ $verdict == met ]]
