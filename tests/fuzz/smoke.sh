#!/usr/bin/env bash
# One short run of a fuzz target: smoke.sh TARGET SECONDS FOUND_DIR SEED_DIR
# Starts from the committed seeds and writes what it finds to FOUND_DIR (emptied first), never
# into the seeds; a crash input lands in FOUND_DIR too. Prints the target's runs per second.
set -euo pipefail
target=$1 seconds=$2 found=$3 seeds=$4
rm -rf "$found"
mkdir -p "$found"
log="$found.log"
status=0
"$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$found/" \
  "$found" "$seeds" >"$log" 2>&1 || status=$?
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec)' "$log" || true
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log"
  exit "$status"
fi
