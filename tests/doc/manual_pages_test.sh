#!/usr/bin/env bash
# Renders every manual page and fails on any warning.
set -euo pipefail
pages=("$@")
[ ${#pages[@]} -gt 0 ] || { echo "no manual pages given"; exit 1; }
for page in "${pages[@]}"; do
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
  text=$(MANWIDTH=80 man --warnings -l "$page" 2>&1)
  echo "$text" | grep -q "^NAME" || { echo "$page did not render"; exit 1; }
  echo "$text" | grep -qi "warning" && { echo "$page: $text" | grep -i warning; exit 1; }
done
echo "${#pages[@]} pages render cleanly"
