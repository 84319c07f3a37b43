#!/bin/sh
# Installs the program into STAGE (as DESTDIR, prefix /usr) and checks that every file is where
# it should be, with the right modes, and that the install manifest lists exactly those files
# (it is what an uninstall removes). The other install tests read STAGE.
# Usage: install_layout.sh BUILD_DIR STAGE APP_ID VERSION
set -eu
build_dir=$1 stage=$2 app_id=$3 version=$4
. "$(dirname "$0")/install_common.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rm -rf "$stage"
mkdir -p "$stage"
if ! DESTDIR=$stage cmake --install "$build_dir" --prefix /usr --component lumivale \
     >"$scratch/log" 2>&1; then
  cat "$scratch/log"
  echo "FAIL: cmake --install failed"
  exit 1
fi

expected=$(expected_files "$app_id")
installed=$(cd "$stage/usr" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
if [ "$installed" != "$expected" ]; then
  fail "the installed files differ from the expected ones (- expected, + installed):"
  printf '%s\n' "$expected" >"$scratch/expected"
  printf '%s\n' "$installed" >"$scratch/installed"
  diff -u "$scratch/expected" "$scratch/installed" | tail -n +3
fi
outside=$(cd "$stage" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

# The manifest names the files without DESTDIR.
manifest=$build_dir/install_manifest_lumivale.txt
listed=$(sed 's|^/usr/||' "$manifest" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "$manifest does not list exactly the installed files"

# Only the program is executable; everything can be read by all.
for path in $expected; do
  mode=$(stat -c %a "$stage/usr/$path")
  want=644
  [ "$path" = bin/lumivale ] && want=755
  [ "$mode" = "$want" ] || fail "$path has mode $mode, not $want"
done
bad_dirs=$(find "$stage/usr" -type d ! -perm 755)
[ -z "$bad_dirs" ] || fail "folders not 755: $bad_dirs"

# Each theme icon is an RGBA PNG of its folder's size.
for size in 16 24 32 48 64 128 256; do
  icon=$stage/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
  [ -f "$icon" ] || continue
  got=$(png_size "$icon")
  [ "$got" = "${size}x$size 6" ] || fail "$icon is $got (size, colour type), not ${size}x$size RGBA"
done

for packed in share/man/man1/lumivale.1.gz share/doc/lumivale/changelog.gz; do
  gzip -t "$stage/usr/$packed" 2>/dev/null || fail "$packed is not gzip"
done
head=$(gzip -dc "$stage/usr/share/doc/lumivale/changelog.gz" | head -n 1)
case $head in
  "lumivale ($version) "*) ;;
  *) fail "the changelog's newest entry is not $version: $head" ;;
esac
finish
