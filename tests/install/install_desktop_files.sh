#!/bin/sh
# The installed desktop entry and AppStream metainfo pass their validators, and they, the icon
# and the program agree on the application id, the program's name and the version.
# Usage: install_desktop_files.sh STAGE APP_ID VERSION
set -eu
stage=$1 app_id=$2 version=$3
. "$(dirname "$0")/install_common.sh"
skip_without desktop-file-validate appstreamcli

desktop=$stage/usr/share/applications/$app_id.desktop
metainfo=$stage/usr/share/metainfo/$app_id.metainfo.xml

# desktop-file-validate exits 0 on warnings and hints: anything it says is a finding.
said=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$said" ] || fail "desktop-file-validate: $said"

key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Icon)" = "$app_id" ] || fail "Icon=$(key Icon), not $app_id"
program=$(key Exec | cut -d' ' -f1)
[ -x "$stage/usr/bin/$program" ] || fail "Exec=$(key Exec) names no installed program"
# Qt's WM_CLASS is the program's file name: the dock matches the window to this entry by it.
[ "$(key StartupWMClass)" = "$program" ] || fail "StartupWMClass=$(key StartupWMClass), not $program"
for size in 16 24 32 48 64 128 256; do
  [ -f "$stage/usr/share/icons/hicolor/${size}x$size/apps/$(key Icon).png" ] ||
    fail "no ${size}x$size icon named $(key Icon)"
done

if ! said=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
  printf '%s\n' "$said"
  fail "appstreamcli validate failed"
fi
tag() { sed -n "s|^ *<$1>\(.*\)</$1>.*|\1|p" "$metainfo" | head -n 1; }
[ "$(tag id)" = "$app_id" ] || fail "metainfo id $(tag id), not $app_id"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ "$launchable" = "$app_id.desktop" ] || fail "metainfo launchable $launchable, not $app_id.desktop"
[ -x "$stage/usr/bin/$(tag binary)" ] || fail "metainfo provides binary $(tag binary), not installed"
# The newest release comes first and must be this version: add one when the version changes.
newest=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "the metainfo's newest release is $newest, not $version"
finish
