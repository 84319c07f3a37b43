# Shared by the install and package tests (sourced, POSIX sh).

# The files an install puts under its prefix, one path a line, sorted.
expected_files() {
  app_id=$1
  {
    echo bin/lumivale
    echo "share/applications/$app_id.desktop"
    echo "share/metainfo/$app_id.metainfo.xml"
    for size in 16 24 32 48 64 128 256; do
      echo "share/icons/hicolor/${size}x$size/apps/$app_id.png"
    done
    echo share/man/man1/lumivale.1.gz
    for doc in copyright changelog.gz NOTICE LICENSE-Apache-2.0.txt LICENSE-NotoSansCJK.txt; do
      echo "share/doc/lumivale/$doc"
    done
  } | LC_ALL=C sort
}

skip_without() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
}

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
failures=0

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}

# The width and height of a PNG file, from its IHDR chunk, and its colour type.
png_size() {
  od -An -tu1 -j16 -N10 "$1" | awk '{ printf "%dx%d %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8, $10 }'
}
