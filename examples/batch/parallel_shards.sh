#!/usr/bin/env bash
# Runs one job file as N shards side by side with GNU parallel, on this machine
# or, with hosts given, over ssh on other machines that see the same paths
# (a shared file system) and have sensorbatch installed at the same place.
#
#   parallel_shards.sh JOBS N [SUMMARY_PREFIX] [HOST,HOST,...]
#
# Shard I runs jobs I, I+N, I+2N, ... and writes SUMMARY_PREFIX-I.jsonl; the
# shards together run every job exactly once. Jobs of different shards must
# not write the same files (give each picture its own -OutputFolder).
# SENSORBATCH names the program (default: sensorbatch on the PATH). Exits
# with the number of shards that had a failed job (parallel's count).
set -euo pipefail
jobs=$(realpath "$1")
shards=$2
prefix=$(realpath -m "${3:-summary}")
hosts=${4:-}
program=${SENSORBATCH:-sensorbatch}

remote=()
# Over ssh: one shard at a time per host core ("--jobs 100%"), run from the
# same folder.
[ -n "$hosts" ] && remote=(--sshlogin "$hosts" --workdir "$PWD")
seq 1 "$shards" | parallel --will-cite "${remote[@]}" \
  "$program" -Jobs "$jobs" -Shard "{}/$shards" -Workers 1 -Summary "$prefix-{}.jsonl"
