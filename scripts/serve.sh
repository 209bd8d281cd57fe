#!/usr/bin/env bash
# Serves the notice board for real: builds the program, lays out the demo web
# site in a data folder outside the source tree (with a demo table on the
# first run), and runs a web server on 127.0.0.1 until Ctrl-C.
#
#   scripts/serve.sh [--port N] [--server lighttpd|apache|nginx] [--fastcgi]
#                    [--workers N] [--data DIR] [--notices N] [--no-build]
#                    [--build-dir DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
port=8080
server=lighttpd
notices=40
build=yes
build_dir="$here/build"
bind=127.0.0.1
locale_name=ko_KR.UTF-8
fastcgi=no
workers=4
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
  --server NAME     lighttpd (default), apache (CGI) or nginx (FastCGI)
  --fastcgi         persistent workers instead of a process per request
                    (lighttpd starts them; with nginx, spawn-fcgi does)
  --workers N       FastCGI workers (default 4)
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
    --fastcgi) fastcgi=yes; shift ;;
    --workers) workers=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --notices) notices=$2; shift 2 ;;
    --no-build) build=no; shift ;;
    --build-dir) build_dir=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "serve.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
case "$server" in
  lighttpd) ;;
  apache) [ "$fastcgi" = no ] || { echo "serve.sh: apache serves the board as CGI only" >&2; exit 2; } ;;
  nginx) fastcgi=yes ;;
  *) echo "serve.sh: --server takes lighttpd, apache or nginx" >&2; exit 2 ;;
esac

"$here/scripts/install-deps.sh" "$server"

if [ "$build" = yes ]; then
  cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTAVRIX_TESTS=OFF >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" --target Tavrix gongdb >/dev/null
fi

# The site: the front page and pictures from site/www. As a CGI program,
# Tavrix.exe runs in its own folder, so it sits beside its table in board/;
# FastCGI workers run in the folder their spawner gives them, so there the
# program and its table live in table/, outside the document root. The
# table is made once; later runs keep it.
docroot="$data/www"
board="$docroot/board"
if [ "$fastcgi" = yes ]; then table="$data/table"; else table="$board"; fi
mkdir -p "$board" "$table" "$data/log" "$data/run"
cp -R "$here/site/www/." "$docroot/"
cp "$build_dir/Tavrix.exe" "$table/Tavrix.exe.new" && mv -f "$table/Tavrix.exe.new" "$table/Tavrix.exe"
[ "$fastcgi" = yes ] || ln -sfn Tavrix.exe "$board/tavrix.exe"
if [ ! -e "$table/Gong.dbf" ]; then
  "$build_dir/gongdb" create --dir "$table"
  LC_TIME=$locale_name "$build_dir/gongdb" seed "$notices" --dir "$table"
fi

fill() {
  sed -e "s|@DOCROOT@|$docroot|g" -e "s|@PORT@|$port|g" -e "s|@BIND@|$bind|g" \
      -e "s|@LOGDIR@|$data/log|g" -e "s|@RUNDIR@|$data/run|g" -e "s|@LOCALE@|$locale_name|g" \
      -e "s|@USER@|$run_user|g" -e "s|@GROUP@|$run_group|g" -e "s|@TABLEDIR@|$table|g" \
      -e "s|@WORKERS@|$workers|g" "$1" > "$2"
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

# Each server runs in a session of its own: Apache, for one, signals its whole
# process group when it stops, which must not reach whoever started us.
spawned=()
stop() {
  kill -TERM "$pid" 2>/dev/null || true
  ((${#spawned[@]})) && kill -TERM "${spawned[@]}" 2>/dev/null
  wait "$pid" 2>/dev/null || true
  exit 0
}
case "$server/$fastcgi" in
  lighttpd/no)
    conf="$data/run/lighttpd.conf"
    fill "$here/site/lighttpd.conf.in" "$conf"
    lighttpd -tt -f "$conf" >/dev/null
    setsid lighttpd -D -f "$conf" &
    ;;
  lighttpd/yes)
    conf="$data/run/lighttpd.conf"
    fill "$here/site/lighttpd-fastcgi.conf.in" "$conf"
    lighttpd -tt -f "$conf" >/dev/null
    setsid lighttpd -D -f "$conf" &
    ;;
  apache/no)
    conf="$data/run/apache2.conf"
    fill "$here/site/apache2.conf.in" "$conf"
    apache2 -t -f "$conf" >/dev/null 2>&1 || apache2 -t -f "$conf"
    setsid apache2 -f "$conf" -DFOREGROUND &
    ;;
  nginx/yes)
    rm -f "$data/run/tavrix-spawn.sock" "$data/run/spawn.pid"
    LC_TIME=$locale_name LANG=$locale_name spawn-fcgi -s "$data/run/tavrix-spawn.sock" -M 0666 \
      -F "$workers" -d "$table" -P "$data/run/spawn.pid" -- "$table/Tavrix.exe" >/dev/null
    mapfile -t spawned < "$data/run/spawn.pid"
    conf="$data/run/nginx.conf"
    fill "$here/site/nginx.conf.in" "$conf"
    nginx -t -c "$conf" -p "$data/run" >/dev/null 2>&1 || nginx -t -c "$conf" -p "$data/run"
    setsid nginx -c "$conf" -p "$data/run" &
    ;;
esac
pid=$!
trap stop INT TERM

cat <<MSG
The notice board is served by $server ($( [ "$fastcgi" = yes ] && echo "FastCGI, $workers workers" || echo CGI )) on http://$bind:$port/
  front page:   http://$bind:$port/
  board list:   http://$bind:$port/board/Tavrix.exe?action=GongList2
  front box:    http://$bind:$port/board/Tavrix.exe?action=GongList1
  table folder: $table
Administrator passwords: 1827364 or 3081726. Ctrl-C stops the server.
MSG
wait $pid
