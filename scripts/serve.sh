#!/usr/bin/env bash
# Serves the notice board for real: builds the program, lays out the demo web
# site in a data folder outside the source tree (with a demo table on the
# first run), and runs a web server on 127.0.0.1 until Ctrl-C.
#
#   scripts/serve.sh [--port N] [--server lighttpd|apache] [--data DIR]
#                    [--notices N] [--no-build] [--build-dir DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
port=8080
server=lighttpd
notices=40
build=yes
build_dir="$here/build"
bind=127.0.0.1
locale_name=ko_KR.UTF-8
if [ "$(id -u)" -eq 0 ]; then
  data="${TAVRIX_DATA:-/var/lib/tavrix-demo}"
else
  data="${TAVRIX_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/tavrix-demo}"
fi

usage() {
  sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
  cat <<USAGE

Options:
  --port N          port on 127.0.0.1 (default 8080)
  --server NAME     lighttpd (default) or apache
  --data DIR        where the site and its table live (default $data)
  --notices N       demo notices on the first run (default 40)
  --no-build        use the programs already built
  --build-dir DIR   where the programs are built (default build/)
USAGE
}

while [ $# -gt 0 ]; do
  case "$1" in
    --port) port=$2; shift 2 ;;
    --server) server=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --notices) notices=$2; shift 2 ;;
    --no-build) build=no; shift ;;
    --build-dir) build_dir=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "serve.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
case "$server" in
  lighttpd|apache) ;;
  *) echo "serve.sh: --server takes lighttpd or apache" >&2; exit 2 ;;
esac

"$here/scripts/install-deps.sh" "$server"

if [ "$build" = yes ]; then
  cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTAVRIX_TESTS=OFF >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" --target Tavrix gongdb >/dev/null
fi

# The site: the front page and pictures from site/www, the program beside
# its table in board/. The table is made once; later runs keep it.
docroot="$data/www"
board="$docroot/board"
mkdir -p "$board" "$data/log" "$data/run"
cp -R "$here/site/www/." "$docroot/"
cp "$build_dir/Tavrix.exe" "$board/Tavrix.exe.new" && mv -f "$board/Tavrix.exe.new" "$board/Tavrix.exe"
ln -sfn Tavrix.exe "$board/tavrix.exe"
if [ ! -e "$board/Gong.dbf" ]; then
  "$build_dir/gongdb" create --dir "$board"
  LC_TIME=$locale_name "$build_dir/gongdb" seed "$notices" --dir "$board"
fi

fill() {
  sed -e "s|@DOCROOT@|$docroot|g" -e "s|@PORT@|$port|g" -e "s|@BIND@|$bind|g" \
      -e "s|@LOGDIR@|$data/log|g" -e "s|@RUNDIR@|$data/run|g" -e "s|@LOCALE@|$locale_name|g" \
      -e "s|@USER@|$run_user|g" -e "s|@GROUP@|$run_group|g" "$1" > "$2"
}

run_user=$(id -un)
run_group=$(id -gn)
if [ "$server" = apache ] && [ "$(id -u)" -eq 0 ]; then
  # Apache will not run its children as root: they run as www-data, which
  # must be able to write the table.
  run_user=www-data
  run_group=www-data
  chown -R www-data:www-data "$board"
  chmod o+x "$data"
fi

if [ "$server" = lighttpd ]; then
  conf="$data/run/lighttpd.conf"
  fill "$here/site/lighttpd.conf.in" "$conf"
  lighttpd -tt -f "$conf" >/dev/null
  lighttpd -D -f "$conf" &
else
  conf="$data/run/apache2.conf"
  fill "$here/site/apache2.conf.in" "$conf"
  apache2 -t -f "$conf" >/dev/null 2>&1 || apache2 -t -f "$conf"
  apache2 -f "$conf" -DFOREGROUND &
fi
pid=$!
trap 'kill -TERM $pid 2>/dev/null; wait $pid 2>/dev/null; exit 0' INT TERM

cat <<MSG
The notice board is served by $server on http://$bind:$port/
  front page:   http://$bind:$port/
  board list:   http://$bind:$port/board/Tavrix.exe?action=GongList2
  front box:    http://$bind:$port/board/Tavrix.exe?action=GongList1
  table folder: $board
Administrator passwords: 1827364 or 3081726. Ctrl-C stops the server.
MSG
wait $pid
