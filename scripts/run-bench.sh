#!/usr/bin/env bash
# Runs every benchmark program that the build produced.
set -euo pipefail
build=${1:-build-bench}
found=0
for b in "$build"/bin/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_counters_tabular=true
done
[ "$found" -eq 1 ] || echo "No benchmark programs were built."
if [ -x bench/peers.sh ]; then
  bash bench/peers.sh "$build"
fi
