#!/usr/bin/env bash
# The copy and save buttons of the real program on its own Xvfb server, as a user uses them:
#   a copy pastes (xclip, as image/png) into a picture of 1080 x 1920 with exactly the pixels of
#   `lumivale render` of the same values, while the program runs to serve the paste;
#   a save through Qt's own dialog (full path typed into its file name field, Return) leaves
#   exactly one JPEG there and no temporary file, with the picture's pixels; a second save opens
#   at that path and asks before replacing it;
#   values typed but not confirmed are in neither;
#   the file dialog speaks Chinese (its title 另存为), whatever the locale.
# Usage: copy_save_e2e.sh PATH/TO/lumivale
# Exit 77 (skipped) without Xvfb, xdotool, xclip or Debian's python3-pil.
set -uo pipefail

source "$(dirname "$0")/own_session_bus.sh" "$@"
source "$(dirname "$0")/e2e_common.sh" "$@"
python=/usr/bin/python3  # Debian's, where python3-pil installs
"$python" -c 'import PIL' 2>/dev/null || { echo "skipped: python3-pil is missing"; exit 77; }

# pixels_equal A B: same size and identical RGB pixels.
pixels_equal() {
  "$python" - "$1" "$2" <<'PY'
import sys
from PIL import Image
a, b = (Image.open(p).convert("RGB") for p in sys.argv[1:3])
sys.exit(0 if a.size == b.size == (1080, 1920) and a.tobytes() == b.tobytes() else 1)
PY
}
# pixels_close A B: same size, and no 16 x 16 block further apart than a JPEG of it is (about 10;
# a changed figure shows up as a block some 150 off).
pixels_close() {
  "$python" - "$1" "$2" <<'PY'
import sys
from PIL import Image, ImageChops
a, b = (Image.open(p).convert("RGB") for p in sys.argv[1:3])
if not a.size == b.size == (1080, 1920):
    sys.exit(1)
worst = ImageChops.difference(a, b).convert("L").reduce(16).getextrema()[1]
sys.exit(0 if worst <= 32 else 1)
PY
}

not() { ! "$@"; }

start_xvfb
mkdir -p "$work/home/Documents" "$work/saved" "$work/tmp"
mkdir -m 700 "$work/runtime"  # or Qt makes one in the temporary folder
"$program" render --out "$work/ref.png" >/dev/null || fail_now "lumivale render failed"
"$program" render --this-month 999 --out "$work/edited.png" >/dev/null ||
  fail_now "lumivale render failed"

(cd "$work" && HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" exec "$program") >"$work/program.log" 2>&1 &
program_pid=$!

notice_title="Brackenmoor提示："
caption="Lumivale图片生成器      -      作者/Brackenmoor"

visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
shown() { [[ -n $(visible "$1") ]]; }
export -f visible shown
# Waits for the window named $1 and gives it the focus (there is no window manager to do it).
focus_on() {
  wait_for 150 shown "$1" || return 1
  sleep 0.3
  xdotool windowfocus --sync "$(visible "$1")"
}
# Focuses the window named $1, presses the keys $2... and waits for the window to go.
answer() {
  local name=$1; shift
  focus_on "$name" || return 1
  xdotool key "$@"
  wait_for 50 bash -c '! shown "$1"' _ "$name"
}

answer "$notice_title" Return || fail_now "no start notice came up"
wait_for 150 shown "$caption" || fail_now "no main window"
window=$(visible "$caption")
sleep 0.3
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }

# Typed into 编辑框_本月收入 and not confirmed: the picture stays that of the last render.
click_at 133 98
xdotool key ctrl+a
xdotool type --delay 50 999
sleep 0.2

paste_picture() { timeout 5 xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null; }

# --- Copy --------------------------------------------------------------------------------------
click_at 152 389
answer "$notice_title" Return || fail_now "no notice after the copy"
check "the clipboard offers the picture as image/png" \
  bash -c 'timeout 5 xclip -selection clipboard -t TARGETS -o | grep -qx image/png'
paste_picture "$work/pasted.png"
check "the pasted picture has exactly the pixels of the last render (1080 x 1920)" \
  pixels_equal "$work/pasted.png" "$work/ref.png"
check "the typed but unconfirmed value is not in it" \
  not pixels_equal "$work/pasted.png" "$work/edited.png"
sleep 1
paste_picture "$work/pasted-again.png"
check "the picture can still be pasted later" pixels_equal "$work/pasted-again.png" "$work/ref.png"

# --- Save --------------------------------------------------------------------------------------
dialog_title="另存为"  # Qt's own dialog, its title when none is given, in Qt's Chinese
saved="$work/saved"
click_at 48 389
focus_on "$dialog_title" || fail_now "no save dialog came up"
xdotool key ctrl+a
xdotool type --delay 30 "$saved/shouyi"
sleep 0.3
xdotool key Return
answer "$notice_title" Return || fail_now "no notice after the save"
check "the save left exactly one file, the JPEG, and no temporary file" \
  test "$(ls -A "$saved")" = "shouyi.jpg"
check "nothing was left in the temporary folder either" test -z "$(ls -A "$work/tmp")"
check "the JPEG holds the last render (1080 x 1920)" \
  pixels_close "$saved/shouyi.jpg" "$work/ref.png"
check "and is not the picture with the unconfirmed value" \
  not pixels_close "$saved/shouyi.jpg" "$work/edited.png"

# The second save opens at the path chosen first; Return there asks before replacing the JPEG.
inode=$(stat -c %i "$saved/shouyi.jpg")
click_at 48 389
focus_on "$dialog_title" || fail_now "no save dialog the second time"
xdotool key Return
answer "确认另存为" alt+y || fail_now "no question before replacing shouyi.jpg"
answer "$notice_title" Return || fail_now "no notice after the second save"
check "the second save replaced the JPEG, again with no file beside it" \
  bash -c '[[ $(ls -A "$1") == shouyi.jpg && $(stat -c %i "$1/shouyi.jpg") != "$2" ]]' \
  _ "$saved" "$inode"
check "the replaced JPEG is whole" pixels_close "$saved/shouyi.jpg" "$work/ref.png"

escape_ends_the_program
finish "copy and save"
