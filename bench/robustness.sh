#!/usr/bin/env bash
# Reruns every hostile-input and fault check of the board and prints their
# figures: coverage-guided fuzzing of the request decoder and of the table,
# memo and index readers (with sanitizers), hostile requests through lighttpd
# in both modes, and a minute of load with faults in both modes.
#
#   bench/robustness.sh [--fuzz-seconds N] [--load-seconds N] [--build-dir DIR]
#
# The short forms of the hostile and fault checks, and the replay of every
# kept fuzz input, run in the test command as well.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
fuzz_seconds=300
load_seconds=60
build_dir="$here/build"
while [ $# -gt 0 ]; do
  case "$1" in
    --fuzz-seconds) fuzz_seconds=$2; shift 2 ;;
    --load-seconds) load_seconds=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "robustness.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

status=0
section() { printf '\n== %s\n' "$1"; }

section "fuzzing, $fuzz_seconds s per target"
"$here/fuzz/run.sh" "$fuzz_seconds" || status=1

for mode in lighttpd lighttpd-fastcgi; do
  section "hostile requests through $mode"
  bash "$here/tests/hostile/run.sh" "$mode" "$build_dir" || status=1
done

for mode in cgi fastcgi; do
  section "$load_seconds s of load with faults, $mode mode"
  bash "$here/bench/fault_load.sh" --mode "$mode" --seconds "$load_seconds" --build-dir "$build_dir" || status=1
done

section "result"
if [ "$status" = 0 ]; then echo "every check passed"; else echo "some check FAILED (see above)"; fi
exit "$status"
