#!/usr/bin/env bash
# Per-request cost of Tavrix.exe as a CGI program, action by action, against
# the floor: a static C program (floor_cgi.c) writing a page of the same size.
# Both are started the way a web server starts a CGI program (fork, exec with
# the CGI environment, read the whole output, wait), alternately, in one run,
# over fresh tables of 10 and of 65,535 notices made with gongdb in a
# temporary folder. Prints one table: wall time per request (median and 90th
# percentile) and the program's CPU time (median), for both programs.
#
#   bench/cgi_cost.sh [--build-dir DIR] [--reps N] [--rounds N] [--sizes "10 65535"]
#
# The writing actions change the tables, which live only for this run:
# "GongWrite_Ok2 New" adds one notice per request (warm-up included), "Edit"
# rewrites those new notices and "GongDelOk2" deletes them again, so the
# reading rows (run first) see exactly 10 and 65,535 notices.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$here/build-bench"
reps=300
rounds=6
warmup=20
warmup_round=3
sizes="10 65535"
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "cgi_cost.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
for f in Tavrix.exe gongdb; do
  [ -x "$build_dir/$f" ] || {
    echo "cgi_cost.sh: $build_dir/$f is missing; build first:" >&2
    echo "  cmake -S $here -B $build_dir -DCMAKE_BUILD_TYPE=Release -DTAVRIX_TESTS=OFF && cmake --build $build_dir -j2" >&2
    exit 1
  }
done

work=$(mktemp -d /tmp/tavrix-cgi-cost-XXXXXX)
trap 'rm -rf "$work"' EXIT
gcc -O2 -o "$work/cgi_time" "$here/bench/cgi_time.c"
gcc -O2 -static -o "$work/floor_cgi" "$here/bench/floor_cgi.c"

locale_name=ko_KR.UTF-8
password=1827364
# A Korean title and body, as a browser sends them from an EUC-KR page.
title=$(printf '벤치 시험 글' | iconv -f UTF-8 -t EUC-KR |
  python3 -c 'import sys,urllib.parse; print(urllib.parse.quote_from_bytes(sys.stdin.buffer.read()))')
bigo=$(printf '벤치마크가 쓴 본문입니다.\r\n둘째 줄.' | iconv -f UTF-8 -t EUC-KR |
  python3 -c 'import sys,urllib.parse; print(urllib.parse.quote_from_bytes(sys.stdin.buffer.read()))')

# cgi METHOD QUERY_OR_BODY DIR START REPS WARMUP RAW: one cgi_time run with a
# CGI environment like lighttpd's; prints its result line.
cgi() {
  local method=$1 request=$2 dir=$3 start=$4 n=$5 w=$6 raw=$7 body=() query=$2 ctype=()
  if [ "$method" = POST ]; then
    body=(-b "$request")
    query=
    ctype=(CONTENT_TYPE=application/x-www-form-urlencoded)
  fi
  env -i PATH=/usr/bin:/bin LC_TIME=$locale_name LANG=$locale_name \
    GATEWAY_INTERFACE=CGI/1.1 SERVER_SOFTWARE=lighttpd SERVER_NAME=127.0.0.1 SERVER_PORT=8080 \
    SERVER_PROTOCOL=HTTP/1.1 REMOTE_ADDR=127.0.0.1 REMOTE_PORT=50000 HTTP_HOST=127.0.0.1:8080 \
    HTTP_ACCEPT='text/html,*/*' HTTP_USER_AGENT='Mozilla/5.0 (bench)' \
    HTTP_REFERER=http://127.0.0.1:8080/board/Tavrix.exe?action=GongList2 \
    SCRIPT_NAME=/board/Tavrix.exe SCRIPT_FILENAME="$dir/Tavrix.exe" DOCUMENT_ROOT="$dir" \
    REQUEST_METHOD=$method QUERY_STRING="$query" REQUEST_URI="/board/Tavrix.exe?$query" \
    "${ctype[@]}" \
    "$work/cgi_time" -n "$n" -w "$w" -s "$start" -d "$dir" "${body[@]}" -o "$work/last.out" -r "$raw" \
    "$dir/Tavrix.exe" -- "$work/floor_cgi"
}

# The rows: label, method, request. MID is a notice in the middle of the
# table, MIDPAGE a list page in the middle, {N} the request's own number
# (new notices are numbered on from the last one).
rows=(
  "GongList1|GET|action=GongList1"
  "GongView1|GET|action=GongView1&nyno=MID"
  "GongList2 page 1|GET|action=GongList2&page=1"
  "GongList2 middle page|GET|action=GongList2&page=MIDPAGE"
  "GongView2|GET|action=GongView2&page=1&nyno=MID"
  "GongNew2|GET|action=GongNew2&job=New"
  "GongEdit2|GET|action=GongEdit2&job=Edit&page=1&nyno=MID"
  "GongDel2|GET|action=GongDel2&page=1&nyno=MID"
  "GongWrite2 (password)|POST|action=GongWrite2&job=Edit&page=1&nyno=MID&password=$password"
  "unknown action|GET|action=GongNoSuchPage"
  "GongWrite_Ok2 New *|POST|action=GongWrite_Ok2&job=New&nyno=&page=&title=$title&bigo=$bigo&password=$password"
  "GongWrite_Ok2 Edit *|POST|action=GongWrite_Ok2&job=Edit&nyno={N}&page=1&title=$title&bigo=$bigo&password=$password"
  "GongDelOk2 *|POST|action=GongDelOk2&page=1&nyno={N}&pwd=3081726"
)

# The tables, one per size.
for size in $sizes; do
  dir="$work/t$size"
  mkdir -p "$dir"
  "$build_dir/gongdb" create --dir "$dir" >/dev/null
  LC_TIME=$locale_name "$build_dir/gongdb" seed "$size" --dir "$dir" >/dev/null
  cp "$build_dir/Tavrix.exe" "$dir/Tavrix.exe"
done

# Each row runs in rounds; in each round every size takes its turn, so a
# busy moment of the machine falls on all sizes alike. Every request's time
# goes to a raw file per row and size.
mkdir -p "$work/raw"
per_round=$(((reps + rounds - 1) / rounds))
index=0
for row in "${rows[@]}"; do
  IFS='|' read -r label method template <<<"$row"
  declare -A next=()
  for size in $sizes; do next[$size]=$((size + 1)); done
  for round in $(seq "$rounds"); do
    w=$warmup_round
    [ "$round" -eq 1 ] && w=$warmup
    for size in $sizes; do
      dir="$work/t$size"
      mid=$(((size + 1) / 2))
      midpage=$((((size + 9) / 10 + 1) / 2))
      request=${template//MIDPAGE/$midpage}
      request=${request//MID/$mid}
      line=$(cgi "$method" "$request" "$dir" "${next[$size]}" "$per_round" "$w" "$work/raw/$index.$size") || {
        echo "cgi_cost.sh: $label at $size notices failed: $line" >&2
        exit 1
      }
      next[$size]=$((next[$size] + per_round + w))
      # The page must be a real page (a header, then HTML), not an error report.
      if ! head -c 100 "$work/last.out" | grep -q '^Content-type: text/html'; then
        echo "cgi_cost.sh: $label at $size notices wrote no page:" >&2
        head -c 400 "$work/last.out" >&2
        exit 1
      fi
    done
  done
  index=$((index + 1))
done
for size in $sizes; do
  live=$("$build_dir/gongdb" list --dir "$work/t$size" | tail -1 | tr -dc 0-9)
  [ "$live" -eq "$size" ] || echo "note: the $size-notice table ends with $live live notices" >&2
done

# The table.
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
echo "Tavrix.exe per CGI request against the floor (static C writing as many bytes)"
echo "machine: $(nproc) cores, $cpu; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "$((per_round * rounds)) requests per program, action and size, in $rounds rounds that alternate the sizes;"
echo "within a round Tavrix.exe and the floor alternate request by request"
echo
printf '%s\n' "${rows[@]}" | cut -d'|' -f1 | python3 "$here/bench/cgi_cost_table.py" "$work/raw" $sizes
echo
echo "wall: median/p90 in ms per request, fork to reaped; cpu: median user+system ms of the"
echo "  program (exec and page faults included); ratio: Tavrix / floor."
echo "* writing actions: each request adds (New), rewrites or deletes a notice of the"
echo "  run's own tables, and is made durable (fdatasync) before its page is written."
echo "Targets: reading pages (rows without *) within 1.3x the floor; the 65,535-notice"
echo "  figures within 1.1x the 10-notice ones."
