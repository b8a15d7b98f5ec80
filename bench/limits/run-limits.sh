#!/usr/bin/env bash
# Runs every limit case, each in its own process. Usage: bench/limits/run-limits.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
for program in "$build"/bench/limits/bench_limits*; do
  [[ -x $program ]] || continue
  for c in $("$program" 2>&1 | sed -n 's/^cases://p'); do
    "$program" "$c"
  done
done
