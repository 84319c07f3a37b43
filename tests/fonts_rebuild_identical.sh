#!/bin/sh
# The committed font files are exactly what tools/build_fonts.py writes.
# Usage: fonts_rebuild_identical.sh SOURCE_DIR. Exit 77 (skipped) without fontTools or Roboto.
set -eu
src=$1
python=/usr/bin/python3
if ! "$python" -c 'import fontTools' 2>/dev/null; then
  echo "skipped: $python has no fontTools"
  exit 77
fi
if [ ! -d /usr/share/fonts/truetype/roboto/unhinted/RobotoTTF ]; then
  echo "skipped: fonts-roboto-unhinted is not installed"
  exit 77
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$python" "$src/tools/build_fonts.py" "$out" >/dev/null
status=0
for f in lumivale_cu.ttf lumivale_xi.ttf; do
  if ! cmp "$out/$f" "$src/assets/fonts/$f"; then
    echo "$f differs from what tools/build_fonts.py writes"
    status=1
  fi
done
exit $status
