#!/usr/bin/env bash
# The demo site under a real web server: the run command serves the board on
# a free port over a fresh table; the pages, the pictures they name and an
# administrator's save and deletion work through HTTP, and no file of the
# table can be fetched.
#
#   tests/site/smoke.sh lighttpd|lighttpd-fastcgi|apache|nginx BUILD_DIR
set -euo pipefail

server=$1
build_dir=$2
mode=()
case "$server" in
  lighttpd-fastcgi) server=lighttpd; mode=(--fastcgi --workers 2) ;;
  nginx) mode=(--workers 2) ;;
esac
here=$(cd "$(dirname "$0")/../.." && pwd)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
data=$(mktemp -d /tmp/tavrix-site-XXXXXX)
chmod 755 "$data"
base="http://127.0.0.1:$port"
failures=0

"$here/scripts/serve.sh" --server "$server" "${mode[@]}" --port "$port" --data "$data" --no-build \
  --build-dir "$build_dir" --notices 23 >"$data/serve.log" 2>&1 &
serve_pid=$!
cleanup() {
  kill -TERM "$serve_pid" 2>/dev/null || true
  wait "$serve_pid" 2>/dev/null || true
  rm -rf "$data"
}
trap cleanup EXIT

for _ in $(seq 100); do
  curl -fs -o /dev/null "$base/" && break
  if ! kill -0 "$serve_pid" 2>/dev/null; then cat "$data/serve.log"; exit 1; fi
  sleep 0.2
done

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# status URL [curl options...]: the HTTP status of a request.
status() { local url=$1; shift; curl -s -o /dev/null -w '%{http_code}' "$@" "$base$url"; }

# page URL [curl options...]: the body, turned from EUC-KR into UTF-8.
page() { local url=$1; shift; curl -fs "$@" "$base$url" | iconv -f EUC-KR -t UTF-8; }

expect_in() { # URL TEXT [curl options...]
  local url=$1 text=$2 body; shift 2
  body=$(page "$url" "$@") || true
  grep -qF -- "$text" <<<"$body" || fail "$url does not show: $text"
}

expect_in "/board/Tavrix.exe?action=GongList2" "<b>1/3&nbsp;page</b>"
expect_in "/board/Tavrix.exe?action=GongList2&page=2" "<TITLE>공지사항</TITLE>"
expect_in "/board/tavrix.exe?action=GongView2&page=&nyno=%20%2023" "<td  bgcolor=\"#efefef\">&nbsp;  23 </td>"
expect_in "/board/Tavrix.exe?action=GongList1" "action=GongView1&nyno=  23"
expect_in "/board/Tavrix.exe?action=GongView1&nyno=%20%20%205" "javascript:self.close()"
headers=$(curl -fs -D - -o /dev/null "$base/board/Tavrix.exe?action=GongList2") || true
grep -qi '^Content-type: text/html' <<<"$headers" || fail "the list is not sent as text/html"
front=$(curl -fs "$base/") || true
grep -qF 'board/Tavrix.exe?action=GongList1' <<<"$front" || fail "the front page has no notice box"

# Every picture the pages name, at the address the pages give it.
for picture in p_blackdot bullet computting close im_write write prev next board_modify \
               board_delete list2 back1 back2 next1 next2; do
  [ "$(status "/board/image/$picture.gif")" = 200 ] || fail "picture $picture.gif"
done
[ "$(status /image/main-b/main-b_36.jpg)" = 200 ] || fail "picture main-b_36.jpg"

# The table's files are never served.
for f in Gong.dbf Gong.dbt Gong1.ndx Gong2.ndx Gong3.ndx GONG.DBF Gong.dbf%00 ../board/Gong.dbt; do
  code=$(status "/board/$f")
  case "$code" in 403|404|400) ;; *) fail "/board/$f answered $code" ;; esac
done

# An administrator saves a notice and deletes it, through HTTP POST.
title=$(printf '서버 시험' | iconv -f UTF-8 -t EUC-KR | python3 -c 'import sys,urllib.parse; print(urllib.parse.quote_from_bytes(sys.stdin.buffer.read()))')
expect_in "/board/Tavrix.exe" "nyno=  24\" >서버 시험</A>" \
  --data "action=GongWrite_Ok2&job=New&page=&nyno=&title=$title&bigo=x&password=1827364"
expect_in "/board/Tavrix.exe" "비밀번호가 틀립니다." --data "action=GongDelOk2&page=&nyno=24&pwd=0000000"
after=$(page "/board/Tavrix.exe" --data "action=GongDelOk2&page=&nyno=24&pwd=3081726") || true
grep -qF "<b>1/3&nbsp;page</b>" <<<"$after" || fail "no list after the deletion"
grep -qF "서버 시험" <<<"$after" && fail "the deleted notice is still listed"

if [ "$failures" -ne 0 ]; then
  echo "--- server log"; cat "$data/serve.log"; cat "$data"/log/* 2>/dev/null || true
  exit 1
fi
echo "$server ${mode[*]}: the site answers as it should"
