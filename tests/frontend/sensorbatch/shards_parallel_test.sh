#!/usr/bin/env bash
# The GNU parallel recipe (examples/batch/parallel_shards.sh): three shards of
# the example job file leave the same files and, together, the same summary
# lines as one unsharded run.
set -euo pipefail
bin=$1
examples=$2
command -v parallel >/dev/null || { echo "GNU parallel is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
side=$work/side

setup() {
  rm -rf "$side"
  mkdir -p "$side"
  cp -r "$examples"/{images,waferonrun,glazetrun,ostrelrun,batch} "$side/"
}
# Summary lines without their wall times, in job-file order.
lines() { sed -E 's/,"wall":[^,}]*//' "$@" | sort -t: -k2,2n; }

setup
(cd "$side" && "$bin/sensorbatch" -Jobs batch/jobs.txt -Summary one.jsonl) || true
lines "$side/one.jsonl" >"$work/one.lines"
rm "$side/one.jsonl"
mv "$side" "$work/one"

setup
(cd "$side" && SENSORBATCH=$bin/sensorbatch batch/parallel_shards.sh batch/jobs.txt 3 shard) || true
for i in 1 2 3; do [ -s "$side/shard-$i.jsonl" ] || { echo "no summary of shard $i"; exit 1; }; done
lines "$side"/shard-*.jsonl >"$work/shards.lines"
rm "$side"/shard-*.jsonl
mv "$side" "$work/shards"

find "$work/one" "$work/shards" -name '*.txt' -exec sed -i '/^calc time=/d' {} +
diff -r "$work/one" "$work/shards"
diff "$work/one.lines" "$work/shards.lines"
[ "$(wc -l <"$work/one.lines")" -eq 9 ] || { echo "not nine jobs"; exit 1; }
echo "three shards equal one run"
