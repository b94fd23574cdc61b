#!/usr/bin/env bash
# Renders every manual page and fails on any warning.
set -euo pipefail
pages=("$@")
[ ${#pages[@]} -gt 0 ] || { echo "no manual pages given"; exit 1; }
for page in "${pages[@]}"; do
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
  text=$(MANWIDTH=80 man --warnings -l "$page" 2>&1)
  grep -q "^NAME" <<<"$text" || { echo "$page did not render"; exit 1; }
  if grep -qi "warning" <<<"$text"; then grep -i warning <<<"$text"; exit 1; fi
done
echo "${#pages[@]} pages render cleanly"
