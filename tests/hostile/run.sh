#!/usr/bin/env bash
# Hostile requests through a real web server in one of the board's modes:
#   tests/hostile/run.sh lighttpd|lighttpd-fastcgi BUILD_DIR
set -euo pipefail
mode=$1
build_dir=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
opts=()
[ "$mode" = lighttpd-fastcgi ] && opts=(--fastcgi --workers 2)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
data=$(mktemp -d /tmp/tavrix-hostile-XXXXXX)
chmod 755 "$data"
"$here/scripts/serve.sh" "${opts[@]}" --port "$port" --data "$data" --no-build \
  --build-dir "$build_dir" --notices 23 >"$data/serve.log" 2>&1 &
serve_pid=$!
trap 'kill -TERM $serve_pid 2>/dev/null; wait $serve_pid 2>/dev/null; rm -rf "$data"' EXIT
for _ in $(seq 100); do
  curl -fs -o /dev/null "http://127.0.0.1:$port/" && break
  sleep 0.2
done
if [ "$mode" = lighttpd-fastcgi ]; then table="$data/table"; else table="$data/www/board"; fi
python3 "$here/tests/hostile/hostile_http.py" --port "$port" --table "$table" --gongdb "$build_dir/gongdb"
