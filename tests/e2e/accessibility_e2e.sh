#!/usr/bin/env bash
# The real program read and driven through the accessibility bus (AT-SPI) alone, as a screen
# reader does (accessibility_check.py), on its own Xvfb server and session bus, in the C locale:
#   the start notice comes first, its button says 确定, and it closes through that button;
#   every edit box is called by the caption beside it and holds its text, the list is called
#   时间文字, the buttons by their captions, the preview is a picture called 预览图 that says
#   what it shows;
#   amounts set through the boxes come back normalised once the confirm button is pressed;
#   the copy's notice is read and closed the same way; Esc ends the program with status 0.
# Usage: accessibility_e2e.sh PATH/TO/lumivale
# Exit 77 (skipped) without Xvfb, xdotool, xclip, dbus-run-session, at-spi2-core or
# python3-pyatspi.
set -uo pipefail

source "$(dirname "$0")/own_session_bus.sh" --needed "$@"

source "$(dirname "$0")/e2e_common.sh" "$1" dbus-send
needs_python_modules pyatspi

start_xvfb
start_accessibility_bus
mkdir -p "$work/home/Documents"
mkdir -m 700 "$work/runtime"
(cd "$work" && HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" LANG=C LC_ALL=C \
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$program") >"$work/program.log" 2>&1 &
program_pid=$!

check "the window read through the accessibility bus" \
  "$python" "$e2e_folder/accessibility_check.py"

# No window manager gives the window the focus back: the key goes to it by hand.
caption="Lumivale图片生成器      -      作者/Brackenmoor"
xdotool search --onlyvisible --name "^${caption}\$" windowfocus --sync >/dev/null 2>&1
escape_ends_the_program
finish accessibility
