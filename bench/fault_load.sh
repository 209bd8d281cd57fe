#!/usr/bin/env bash
# Load with faults: for a while, wrk reads the board (list pages and views)
# through lighttpd from several connections, an administrator adds, edits and
# deletes notices, and a killer sends SIGKILL to random Tavrix.exe processes
# of this test's own web server (found as its children, killed by process
# id). Afterwards every answered save must be in the table, view counters
# must match the views answered, numbers must be distinct and `gongdb check`
# must pass.
#
#   bench/fault_load.sh [--mode cgi|fastcgi] [--seconds N] [--kill-every MIN-MAX]
#                       [--build-dir DIR]
#
# --kill-every gives the killer's pause in milliseconds (default 20-200 for
# CGI, where a kill costs one request; 500-1500 for FastCGI, where it costs
# a worker that lighttpd restarts within about a second).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
mode=cgi
seconds=60
build_dir="$here/build"
kill_every=
while [ $# -gt 0 ]; do
  case "$1" in
    --mode) mode=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --kill-every) kill_every=$2; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "fault_load.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
if [ -z "$kill_every" ]; then
  if [ "$mode" = fastcgi ]; then kill_every=500-1500; else kill_every=20-200; fi
fi
kill_min=${kill_every%-*}
kill_span=$(( ${kill_every#*-} - kill_min + 1 ))
command -v wrk >/dev/null || "$here/scripts/install-deps.sh"

opts=()
[ "$mode" = fastcgi ] && opts=(--fastcgi --workers 4)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
data=$(mktemp -d /tmp/tavrix-faults-XXXXXX)
chmod 755 "$data"
"$here/scripts/serve.sh" "${opts[@]}" --port "$port" --data "$data" --no-build \
  --build-dir "$build_dir" --notices 200 >"$data/serve.log" 2>&1 &
serve_pid=$!
killer_pid=
cleanup() {
  [ -n "$killer_pid" ] && kill "$killer_pid" 2>/dev/null
  kill -TERM "$serve_pid" 2>/dev/null || true
  wait "$serve_pid" 2>/dev/null || true
  rm -rf "$data"
}
trap cleanup EXIT
for _ in $(seq 100); do
  curl -fs -o /dev/null "http://127.0.0.1:$port/board/Tavrix.exe?action=GongList2" && break
  sleep 0.2
done
if [ "$mode" = fastcgi ]; then table="$data/table"; else table="$data/www/board"; fi
program=$(readlink -f "$table/Tavrix.exe")
server=$(pgrep -f "lighttpd -D -f $data/run/lighttpd.conf" | head -1)
"$build_dir/gongdb" export --dir "$table" > "$data/before.jsonl"

# The killer: a random Tavrix.exe child of this server every so often.
(
  kills=0
  end=$((SECONDS + seconds))
  while [ $SECONDS -lt $end ]; do
    victims=()
    for p in $(pgrep -P "$server" || true); do
      [ "$(readlink -f /proc/$p/exe 2>/dev/null)" = "$program" ] && victims+=("$p")
    done
    if ((${#victims[@]})); then
      kill -KILL "${victims[RANDOM % ${#victims[@]}]}" 2>/dev/null && kills=$((kills + 1))
    fi
    pause=$((kill_min + RANDOM % kill_span))
    sleep "$((pause / 1000)).$(printf '%03d' $((pause % 1000)))"
  done
  echo "$kills" > "$data/kills"
) &
killer_pid=$!

python3 "$here/bench/fault_admin.py" --port "$port" --seconds "$seconds" --out "$data/admin.json" &
admin_pid=$!
VIEWED=100 PAGES=20 VIEW_LOG="$data/views.txt" \
  wrk -t4 -c4 -d"${seconds}s" --timeout 20s -s "$here/bench/fault_load.lua" "http://127.0.0.1:$port/" \
  | grep -E '^wrk:|Latency|Requests/sec' || true
wait "$admin_pid"
wait "$killer_pid"
killer_pid=
echo "killer: $(cat "$data/kills") Tavrix.exe processes killed with SIGKILL, one every $kill_every ms ($mode mode)"

# One more request opens the table: any index a killed writer left half
# changed is rebuilt then. The check must find nothing.
curl -fs -o /dev/null "http://127.0.0.1:$port/board/Tavrix.exe?action=GongList2"
status=0
if "$build_dir/gongdb" check --dir "$table"; then
  echo "gongdb check: clean"
else
  echo "FAIL: gongdb check found problems"
  status=1
fi
"$build_dir/gongdb" export --dir "$table" > "$data/after.jsonl"
python3 "$here/bench/fault_check.py" --export "$data/after.jsonl" --before "$data/before.jsonl" \
  --views "$data/views.txt" --admin "$data/admin.json" || status=1
[ "$status" = 0 ] && echo "PASS: $mode mode kept every answered save and view" || echo "FAIL"
exit "$status"
