#!/usr/bin/env bash
# Requests per second and latency through lighttpd, measured with wrk, in one
# run: a static file, the floor (a static C CGI program writing a page of the
# list page's and of the view page's size), and the board's list page (a
# middle page) and notice view, as CGI and as FastCGI with pools of 2, 4 and
# 8 workers, over a 65,535-notice table; last, a static C FastCGI worker
# writing a page of the list page's size (floor_fcgi.c) with the best pool. The script starts the servers
# itself (scripts/serve.sh, on free ports of 127.0.0.1, with data in a
# temporary folder) and stops them when it ends.
#
#   bench/http_load.sh [--build-dir DIR] [--duration S] [--warmup S]
#                      [--connections N] [--threads N] [--workers "2 4 8"]
#                      [--notices N]
#
# Every response is checked (wrk_check.lua): status 200 and the size of the
# page fetched with curl beforehand; a row with any other response fails the
# script.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$here/build-bench"
duration=10
warmup=3
connections=8
threads=2
worker_counts="2 4 8"
notices=65535
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --connections) connections=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --workers) worker_counts=$2; shift 2 ;;
    --notices) notices=$2; shift 2 ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "http_load.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
build_dir=$(cd "$build_dir" && pwd)
for f in Tavrix.exe gongdb; do
  [ -x "$build_dir/$f" ] || { echo "http_load.sh: $build_dir/$f is missing; build first" >&2; exit 1; }
done
command -v wrk >/dev/null || { echo "http_load.sh: wrk is missing (apt-get install wrk)" >&2; exit 1; }

work=$(mktemp -d /tmp/tavrix-http-load-XXXXXX)
chmod 755 "$work"
serve_pid=
stop_server() {
  if [ -n "$serve_pid" ]; then
    kill -TERM "$serve_pid" 2>/dev/null || true
    wait "$serve_pid" 2>/dev/null || true
    serve_pid=
  fi
}
trap 'stop_server; rm -rf "$work"' EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# start_server NAME [serve.sh options...]: serves data folder $work/NAME on a
# free port (seeding the table on its first run) and sets $base.
start_server() {
  local name=$1 port
  shift
  port=$(free_port)
  "$here/scripts/serve.sh" --server lighttpd "$@" --port "$port" --data "$work/$name" --no-build \
    --build-dir "$build_dir" --notices "$notices" >"$work/$name.log" 2>&1 &
  serve_pid=$!
  base="http://127.0.0.1:$port"
  for _ in $(seq 600); do
    if curl -fs -o /dev/null "$base/board/image/bullet.gif"; then
      server_pid=$(pgrep -P "$serve_pid" -x lighttpd)
      return 0
    fi
    kill -0 "$serve_pid" 2>/dev/null || break
    sleep 0.2
  done
  echo "http_load.sh: the $name server did not start:" >&2
  cat "$work/$name.log" >&2
  exit 1
}

# size URL: the body size of a 200 response (fails otherwise).
size() {
  local out
  out=$(curl -s -o /dev/null -w '%{http_code} %{size_download}' "$1")
  [ "${out% *}" = 200 ] || { echo "http_load.sh: $1 answered ${out% *}" >&2; exit 1; }
  echo "${out#* }"
}

# cpu_ticks: CPU time so far (clock ticks) of the web server itself, and of
# the programs it runs: its live children (FastCGI workers, CGI programs
# still running) plus the children it has reaped (CGI programs).
cpu_ticks() {
  local own=0 kids=0 child
  read -r own kids < <(sed 's/^.*) //' "/proc/$server_pid/stat" | awk '{ print $12 + $13, $14 + $15 }')
  for child in $(pgrep -P "$server_pid"); do
    kids=$((kids + $(sed 's/^.*) //' "/proc/$child/stat" 2>/dev/null | awk '{ print $12 + $13 }' || echo 0)))
  done
  echo "$own $kids"
}
ticks_per_s=$(getconf CLK_TCK)

rows=()
declare -A result
# measure LABEL URL MIN_BYTES MAX_BYTES: a warm-up, then the measured run.
measure() {
  local label=$1 url=$2 lo=$3 hi=$4 out rps p50 p99 non2xx errors checked
  wrk -t"$threads" -c"$connections" -d"${warmup}s" "$url" >/dev/null
  read -r own0 kids0 < <(cpu_ticks)
  out=$(wrk -t"$threads" -c"$connections" -d"${duration}s" --latency -s "$here/bench/wrk_check.lua" \
    "$url" -- "$lo" "$hi")
  rps=$(awk '/^Requests\/sec:/ { print $2 }' <<<"$out")
  p50=$(awk '$1 == "50%" { print $2 }' <<<"$out")
  p99=$(awk '$1 == "99%" { print $2 }' <<<"$out")
  non2xx=$(awk -F': ' '/Non-2xx/ { print $2 }' <<<"$out")
  errors=$(awk '/Socket errors/ { sub(/.*Socket errors: /, ""); print }' <<<"$out")
  checked=$(awk '/^checked/ { print $2, $3 }' <<<"$out")
  read -r own1 kids1 < <(cpu_ticks)
  # CPU per request, in microseconds, of the server and of the programs.
  local n=$(( ${checked% *} + ${checked#* } ))
  local us_server=$(( (own1 - own0) * 1000000 / ticks_per_s / (n > 0 ? n : 1) ))
  local us_prog=$(( (kids1 - kids0) * 1000000 / ticks_per_s / (n > 0 ? n : 1) ))
  rows+=("$label")
  result[$label]="$rps|$p50|$p99|${non2xx:-0}|${checked% *}|${checked#* }|$us_server|$us_prog"
  if [ "${non2xx:-0}" != 0 ] || [ "${checked#* }" != 0 ] || [ -n "$errors" ]; then
    echo "http_load.sh: $label: non-2xx ${non2xx:-0}, wrong pages ${checked#* }, socket errors: ${errors:-none}" >&2
    failed=yes
  fi
}
failed=no

list_query="action=GongList2&page=$(( ((notices + 9) / 10 + 1) / 2 ))"
view_query="action=GongView2&page=1&nyno=$(( (notices + 1) / 2 ))"

# CGI: the static files and the floor program beside the board.
start_server cgi
docroot="$work/cgi/www"
list_bytes=$(size "$base/board/Tavrix.exe?$list_query")
view_bytes=$(size "$base/board/Tavrix.exe?$view_query")
# The floor writes the whole CGI output: the 25-byte header, then the body.
gcc -O2 -static -o "$docroot/floor.exe" "$here/bench/floor_cgi.c"
curl -fs -o "$docroot/list-page.html" "$base/board/Tavrix.exe?$list_query"
floor_list="$base/floor.exe?bytes=$((list_bytes + 25))"
floor_view="$base/floor.exe?bytes=$((view_bytes + 25))"
[ "$(size "$floor_list")" = "$list_bytes" ] || { echo "http_load.sh: the floor page has the wrong size" >&2; exit 1; }
gif_bytes=$(size "$base/board/image/bullet.gif")

measure "static file bullet.gif" "$base/board/image/bullet.gif" "$gif_bytes" "$gif_bytes"
measure "static file, list page size" "$base/list-page.html" "$list_bytes" "$list_bytes"
measure "floor C CGI, list page size" "$floor_list" "$list_bytes" "$list_bytes"
measure "floor C CGI, view page size" "$floor_view" "$view_bytes" "$view_bytes"
measure "GongList2 CGI" "$base/board/Tavrix.exe?$list_query" "$list_bytes" "$list_bytes"
# Each view counts, so the counter in the page may grow by a digit or two.
measure "GongView2 CGI" "$base/board/Tavrix.exe?$view_query" "$view_bytes" $((view_bytes + 2))
stop_server

# FastCGI: one table, served by pools of each size in turn.
best_list=0
best_workers=
for w in $worker_counts; do
  start_server fcgi --fastcgi --workers "$w"
  [ "$(size "$base/board/Tavrix.exe?$list_query")" = "$list_bytes" ] ||
    { echo "http_load.sh: the FastCGI list page differs in size from the CGI one" >&2; exit 1; }
  measure "GongList2 FastCGI, $w workers" "$base/board/Tavrix.exe?$list_query" "$list_bytes" "$list_bytes"
  measure "GongView2 FastCGI, $w workers" "$base/board/Tavrix.exe?$view_query" "$view_bytes" $((view_bytes + 2))
  rps=${result["GongList2 FastCGI, $w workers"]%%|*}
  if awk -v a="$rps" -v b="$best_list" 'BEGIN { exit !(a > b) }'; then best_list=$rps; best_workers=$w; fi
  stop_server
done

# The FastCGI floor: a libfcgi worker writing a page of the list page's size,
# served by the same configuration (the run command is pointed at a build
# folder whose Tavrix.exe is that worker), with the best pool size.
mkdir -p "$work/floor-build"
gcc -O2 -static -o "$work/floor-build/Tavrix.exe" "$here/bench/floor_fcgi.c" -lfcgi 2>"$work/floor-fcgi.log" ||
  { cat "$work/floor-fcgi.log" >&2; exit 1; }
ln -s "$build_dir/gongdb" "$work/floor-build/gongdb"
saved_build_dir=$build_dir
build_dir="$work/floor-build"
save_notices=$notices
notices=1
start_server ffloor --fastcgi --workers "$best_workers"
build_dir=$saved_build_dir
notices=$save_notices
floor_fcgi_list="$base/board/Tavrix.exe?bytes=$((list_bytes + 25))"
[ "$(size "$floor_fcgi_list")" = "$list_bytes" ] || { echo "http_load.sh: the FastCGI floor page has the wrong size" >&2; exit 1; }
measure "floor C FastCGI, $best_workers workers" "$floor_fcgi_list" "$list_bytes" "$list_bytes"
stop_server

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
echo "Through lighttpd $(lighttpd -v 2>/dev/null | head -1 | awk '{print $1}'), $notices notices, wrk -t$threads -c$connections -d${duration}s (after ${warmup}s warm-up)"
echo "machine: $(nproc) cores, $cpu; $(date -u '+%Y-%m-%d %H:%M UTC'); load before the run's end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "list page: /board/Tavrix.exe?$list_query ($list_bytes bytes); view: ?$view_query ($view_bytes bytes)"
echo
printf '| %-30s | %10s | %9s | %9s | %7s | %9s | %12s | %11s |\n' what "requests/s" "median" "p99" "non-2xx" "checked" \
  "lighttpd CPU" "program CPU"
printf '|%s|-----------:|----------:|----------:|--------:|----------:|-------------:|------------:|\n' "$(printf -- '-%.0s' $(seq 32))"
for label in "${rows[@]}"; do
  IFS='|' read -r rps p50 p99 non2xx ok bad us_server us_prog <<<"${result[$label]}"
  printf '| %-30s | %10s | %9s | %9s | %7s | %9s | %9s us | %8s us |\n' "$label" "$rps" "$p50" "$p99" "$non2xx" "$ok ok" \
    "$us_server" "$us_prog"
done
echo "(CPU per request: of lighttpd itself, and of the programs it ran: CGI processes or FastCGI workers;"
echo " wrk runs on the same 2 cores)"
echo
floor_rps=${result["floor C CGI, list page size"]%%|*}
cgi_rps=${result["GongList2 CGI"]%%|*}
echo "best FastCGI list page: $best_workers workers, $best_list requests/s"
awk -v f="$best_list" -v c="$floor_rps" -v g="$cgi_rps" 'BEGIN {
  printf "FastCGI list page / floor C CGI: %.1fx (target 20x or more: %s)\n", f / c, (f / c >= 20 ? "met" : "NOT met")
  printf "FastCGI list page / CGI list page: %.1fx\n", f / g
  printf "CGI list page / floor C CGI: %.2f of its requests/s\n", g / c
}'
ffloor_rps=${result["floor C FastCGI, $best_workers workers"]%%|*}
awk -v f="$best_list" -v c="$floor_rps" -v x="$ffloor_rps" 'BEGIN {
  printf "floor C FastCGI / floor C CGI: %.1fx (the most any FastCGI page can reach here)\n", x / c
  printf "FastCGI list page / floor C FastCGI: %.2f of its requests/s\n", f / x
}'
[ "$failed" = no ]
