#!/bin/sh
# Builds the fuzz targets with clang (in build-fuzz) and runs each for a
# bounded time, one after the other, one process at a time.
#   fuzz/run.sh [--head] [SECONDS_PER_TARGET] [TARGET...]   (default 120; all four)
# Targets: decode (request decoding), table (Gong.dbf, with or without a
# fuzzed Gong.dbt), memo (Gong.dbt), index (Gong1..3.ndx). New corpus
# entries go to build-fuzz/corpus/TARGET (the committed seeds in
# fuzz/corpus/TARGET are only read); crash inputs to build-fuzz/crashes/TARGET.
# Prints per target: seconds, executions, coverage (libFuzzer's cov: and ft:)
# and crashes found. Keep a crash input as a regression under
# fuzz/regressions/TARGET once it is fixed; the replay test runs them.
# --head fuzzes the last commit's src/ instead of the working tree's (built
# in build-fuzz/head), when others are changing the tree.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
objects=$build
under_test=$root
if [ "${1:-}" = --head ]; then
  shift
  objects=$build/head
  under_test=$build/head-src
  rm -rf "$under_test"
  mkdir -p "$under_test"
  git -C "$root" archive HEAD src | tar -x -C "$under_test"
  echo "fuzzing src/ of $(git -C "$root" log --oneline -1 HEAD)"
fi
seconds=${1:-120}
[ $# -gt 0 ] && shift
targets=${*:-decode table memo index}

cmake -S "$root/fuzz" -B "$objects" -DCMAKE_CXX_COMPILER=clang++ -DTAVRIX_ROOT="$under_test" >/dev/null
cmake --build "$objects" -j2 >/dev/null

shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$shm/tavrix-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM

status=0
printf '%-8s %8s %12s %8s %8s %8s %8s\n' target seconds executions exec/s cov ft crashes
for t in $targets; do
  mkdir -p "$build/corpus/$t" "$build/crashes/$t" "$build/logs"
  log=$build/logs/$t.log
  before=$(ls "$build/crashes/$t" | wc -l)
  dict=
  [ -f "$root/fuzz/$t.dict" ] && dict=-dict=$root/fuzz/$t.dict
  start=$(date +%s)
  TAVRIX_FUZZ_SCRATCH=$scratch "$objects/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/crashes/$t/" $dict \
    "$build/corpus/$t" "$root/fuzz/corpus/$t" >"$log" 2>&1 || status=1
  took=$(( $(date +%s) - start ))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  crashes=$(( $(ls "$build/crashes/$t" | wc -l) - before ))
  printf '%-8s %8s %12s %8s %8s %8s %8s\n' "$t" "$took" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$crashes"
  if [ "$crashes" -gt 0 ]; then
    grep -E 'ERROR|what\(\)|SUMMARY' "$log" | head -5 | sed 's/^/    /'
    ls -t "$build/crashes/$t" | head -"$crashes" | sed "s|^|    $build/crashes/$t/|"
  fi
done
exit $status
