#!/bin/sh
# The installed program, with no display, renders a picture, says its version, and writes nothing
# into the home folder's documents.
# Usage: install_program_runs.sh STAGE VERSION
set -eu
stage=$1 version=$2
. "$(dirname "$0")/install_common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$work/home" \
      "$stage/usr/bin/lumivale" "$@"
}

if values=$(run render --balance 1234.5 --word 晚上 --out "$work/x.png" 2>"$work/err"); then
  [ "$(png_size "$work/x.png" | cut -d' ' -f1)" = 1080x1920 ] ||
    fail "the picture is $(png_size "$work/x.png"), not 1080x1920"
  printf '%s\n' "$values" | grep -qx 'balance=1234.50' || fail "render printed: $values"
  printf '%s\n' "$values" | grep -qx 'word=晚上' || fail "render printed: $values"
else
  fail "render failed: $(cat "$work/err")"
fi

got=$(run --version) || fail "--version failed"
[ "$got" = "lumivale $version" ] || fail "--version says \"$got\", not \"lumivale $version\""

fonts=$(find "$work/home" -name '*.ttf')
[ -z "$fonts" ] || fail "render wrote fonts: $fonts"
finish
