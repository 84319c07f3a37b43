#!/bin/sh
# Rebuilds the built-in pictures into a temporary folder and checks that they
# match the committed ones byte for byte.
# Usage: pictures_rebuild_identical.sh SOURCE_DIR
# Exits 77 (skipped) when the drawing tools are not installed.
set -eu
source_dir=$1
python=/usr/bin/python3

if ! "$python" -c 'import PIL' 2>/dev/null; then
  echo "skipped: $python has no PIL (Debian package python3-pil)"
  exit 77
fi
for font in /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc \
            /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc; do
  if [ ! -f "$font" ]; then
    echo "skipped: $font is missing (Debian package fonts-noto-cjk)"
    exit 77
  fi
done

out_dir=$(mktemp -d)
trap 'rm -rf "$out_dir"' EXIT
"$python" "$source_dir/tools/build_pictures.py" "$out_dir"

status=0
for name in template.png currency_sign.png icon.png; do
  if ! cmp "$source_dir/assets/pictures/$name" "$out_dir/$name"; then
    echo "$name differs from what tools/build_pictures.py draws; rebuild and commit it"
    status=1
  fi
done
exit $status
