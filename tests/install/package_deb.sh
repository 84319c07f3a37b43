#!/bin/sh
# Builds the Debian package with CPack into a temporary folder and checks its name, its fields,
# its Depends, its contents and that the program in it runs; then lintian, where installed,
# must find no error and no warning.
# Usage: package_deb.sh BUILD_DIR APP_ID VERSION WITH_WINDOW(ON|OFF)
set -eu
build_dir=$1 app_id=$2 version=$3 with_window=$4
. "$(dirname "$0")/install_common.sh"
skip_without cpack dpkg-deb dpkg-shlibdeps

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/log" 2>&1; then
  cat "$work/log"
  echo "FAIL: cpack failed"
  exit 1
fi
arch=$(dpkg --print-architecture)
deb=$work/out/lumivale_${version}_$arch.deb
made=$(cd "$work/out" && ls ./*.deb)
if [ "$made" != "./lumivale_${version}_$arch.deb" ]; then
  echo "FAIL: cpack made $made, not lumivale_${version}_$arch.deb"
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = lumivale ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"

# Depends: the libraries dpkg-shlibdeps finds and what the program loads or reads at run time.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/[ (].*//' | sort -u)
needed="fonts-noto-cjk libc6 libstdc++6 libfreetype6 libfontconfig1 libpng16-16 libjpeg62-turbo"
[ "$with_window" = ON ] &&
  needed="$needed qt6-wayland qt6-translations-l10n libqt6widgets6 libqt6gui6"
for package in $needed; do
  printf '%s\n' "$depends" | grep -qx -- "$package" || fail "Depends lacks $package: $(field Depends)"
done
dev=$(printf '%s\n' "$depends" | grep -- '-dev$' || true)
[ -z "$dev" ] || fail "Depends names development packages: $dev"

# Contents: exactly the installed files under /usr, owned by root.
dpkg-deb -c "$deb" >"$work/contents"
files=$(awk '$1 !~ /^d/ { print $6 }' "$work/contents" | sed 's|^\./usr/||' | LC_ALL=C sort)
if [ "$files" != "$(expected_files "$app_id")" ]; then
  fail "the package's files differ from the expected ones (- expected, + packaged):"
  expected_files "$app_id" >"$work/expected"
  printf '%s\n' "$files" | diff -u "$work/expected" - | tail -n +3
fi
not_root=$(awk '$2 != "root/root"' "$work/contents")
[ -z "$not_root" ] || fail "entries not owned by root: $not_root"
outside=$(awk '{ print $6 }' "$work/contents" | grep -v '^\./usr/' || true)
[ -z "$outside" ] || fail "entries outside /usr: $outside"

# The stripped program in the package still makes a picture.
dpkg-deb -x "$deb" "$work/root"
if env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work" "$work/root/usr/bin/lumivale" render \
     --out "$work/p.jpg" >/dev/null 2>"$work/err"; then
  [ "$(od -An -tx1 -N3 "$work/p.jpg" | tr -d ' ')" = ffd8ff ] || fail "the packaged program wrote no JPEG"
else
  fail "the packaged program cannot render: $(cat "$work/err")"
fi

# Accepted, at lintian's "info" level, for a package built by CPack rather than by debhelper:
# binary-has-unneeded-section (CPack strips without removing .comment), hardening-no-bindnow and
# hardening-no-fortify-functions (the program is built with the project's flags, not with
# dpkg-buildflags'). Errors and warnings fail.
if command -v lintian >/dev/null 2>&1; then
  if ! lintian --display-info --fail-on error,warning "$deb" >"$work/lintian" 2>&1; then
    fail "lintian:"
  fi
  grep -v '^running with root privileges' "$work/lintian" || true
else
  echo "note: lintian is not installed; the package was not linted"
fi
finish
