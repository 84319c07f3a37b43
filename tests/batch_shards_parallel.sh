#!/bin/sh
# Four shards of one table, run side by side under GNU parallel as the README shows, write
# exactly the pictures of one unsharded run, byte for byte and name for name.
# Usage: batch_shards_parallel.sh PATH/TO/lumivale      Exit 77 (skipped) without GNU parallel.
set -eu
program=$(realpath "$1")
if ! parallel --version 2>/dev/null | grep -q "GNU parallel"; then
  echo "skipped: GNU parallel is missing"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

{
  echo "balance,clicks,word"
  i=1
  while [ "$i" -le 13 ]; do
    echo "$((i * 101)).$((i % 100)),$i,晚上"
    i=$((i + 1))
  done
} >t.csv

"$program" batch t.csv --out-dir whole --progress none
parallel --will-cite "$program" batch t.csv --out-dir out --progress none -j 1 --shard {}/4 ::: 1 2 3 4
if diff -r whole out; then
  echo "ok: four shards under GNU parallel wrote the pictures of the whole batch"
else
  echo "FAILED: the shards' pictures differ from the whole batch's"
  exit 1
fi
