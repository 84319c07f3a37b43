#!/bin/sh
# The installed manual page renders without a warning, reads as a page of its program for
# whatis, and names every option that the program's own help names.
# Usage: install_man_page.sh STAGE
set -eu
stage=$1
. "$(dirname "$0")/install_common.sh"
skip_without man

page=$stage/usr/share/man/man1/lumivale.1.gz
program=$stage/usr/bin/lumivale

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) ||
  fail "man -l failed"
[ -z "$warnings" ] || fail "man --warnings: $warnings"

if command -v lexgrog >/dev/null 2>&1; then
  whatis=$(lexgrog "$page" 2>&1) || fail "lexgrog cannot read the NAME section: $whatis"
  case $whatis in
    *'"lumivale - '*) ;;
    *) fail "the NAME section does not name lumivale: $whatis" ;;
  esac
fi

# The page's text with roff's escapes for "-" and font changes taken out.
text=$(gzip -dc "$page" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
documents() {
  printf '%s\n' "$text" | grep -qE -- "(^|[^a-zA-Z0-9-])$1([^a-zA-Z0-9-]|\$)"
}
for command in "" render batch; do
  # shellcheck disable=SC2086  # no command is no argument
  if ! help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" $command --help 2>/dev/null); then
    echo "note: lumivale $command --help fails; its options are not compared"
    continue
  fi
  options=$(printf '%s\n' "$help" |
            grep -oE -- '(^|[^a-zA-Z0-9-])--?[a-zA-Z][a-zA-Z0-9-]*' | sed 's/^[^-]*//' | sort -u)
  for option in $options; do
    documents "$option" || fail "lumivale $command --help names $option; the manual page does not"
  done
  [ -z "$command" ] || documents "$command" || fail "the manual page does not name $command"
done
finish
