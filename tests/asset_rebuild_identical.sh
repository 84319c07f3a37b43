#!/bin/sh
# The committed assets are exactly what their script writes: rebuilds them into a temporary
# folder and compares byte for byte.
# Usage: asset_rebuild_identical.sh SOURCE_DIR SCRIPT ASSET_DIR PYTHON_MODULE NEEDED_PATH... -- FILE...
#   e.g. ... tools/build_fonts.py assets/fonts fontTools /usr/share/fonts/... -- lumivale_cu.ttf
# Exit 77 (skipped) when Debian's Python lacks the module or a needed path is missing.
set -eu
source_dir=$1 script=$2 asset_dir=$3 module=$4
shift 4
python=/usr/bin/python3

if ! "$python" -c "import $module" 2>/dev/null; then
  echo "skipped: $python has no $module"
  exit 77
fi
while [ "$1" != "--" ]; do
  if [ ! -e "$1" ]; then
    echo "skipped: $1 is missing"
    exit 77
  fi
  shift
done
shift

out_dir=$(mktemp -d)
trap 'rm -rf "$out_dir"' EXIT
"$python" "$source_dir/$script" "$out_dir" >/dev/null

status=0
for name in "$@"; do
  if ! cmp "$source_dir/$asset_dir/$name" "$out_dir/$name"; then
    echo "$name differs from what $script writes; rebuild and commit it"
    status=1
  fi
done
exit $status
