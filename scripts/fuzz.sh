#!/usr/bin/env bash
# Runs libFuzzer harnesses one after the other: scripts/fuzz.sh BUILD SECONDS HARNESS...
# Each starts from its regression inputs (fuzz/corpus/<harness>) and the seed files of
# tests/data, keeps what it learns in BUILD/corpus/<harness>, and writes each crashing
# input to BUILD/findings/. A finding belongs in fuzz/corpus/<harness> once it is fixed,
# where the tests replay it.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1 seconds=$2
shift 2
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
mkdir -p "$build/findings"
status=0
for harness in "$@"; do
  corpus=$build/corpus/$harness
  mkdir -p "$corpus"
  case $harness in
    fuzz_jpeg) seeds=(tests/data/pictures/*.jpg) ;;
    fuzz_bmp) seeds=(tests/data/pictures/*.bmp tests/data/pictures/*.dib) ;;
    fuzz_gif | fuzz_png | fuzz_ico | fuzz_emf | fuzz_wmf) seeds=(tests/data/pictures/*."${harness#fuzz_}") ;;
    fuzz_color_table) seeds=(data/ldconfig.ldr) ;;
    *) seeds=() ;;
  esac
  [ -d "fuzz/corpus/$harness" ] && seeds+=(fuzz/corpus/"$harness"/*)
  [ ${#seeds[@]} -gt 0 ] && cp -n "${seeds[@]}" "$corpus"/ 2>/dev/null
  echo "== $harness: $seconds s"
  "$build/bin/$harness" -max_total_time="$seconds" -rss_limit_mb=3072 -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$harness-" "$corpus" >"$build/findings/$harness.log" 2>&1
  rc=$?
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|==[0-9]+==ERROR|SUMMARY)' \
    "$build/findings/$harness.log"
  [ $rc -eq 0 ] || status=1
done
ls "$build/findings" | grep -v '\.log$' || echo "no findings"
exit $status
