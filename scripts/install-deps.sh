#!/usr/bin/env bash
# Installs, from Debian's packages, what building, testing and serving the
# board needs, when it is missing. Safe to run again: it installs only what
# is absent. With "lighttpd" or "apache" only that server (and what building
# needs) is looked at, with "browser" only what the browser test adds; with
# no argument, everything the tests use.
set -euo pipefail

build=(cmake g++ make pkg-config locales libfcgi-dev)
test=(googletest libgtest-dev libgmock-dev libbenchmark-dev curl lighttpd apache2
  python3 python3-dbfread python3-dbf libdbd-xbase-perl nginx spawn-fcgi libfcgi-bin wrk)
# The browser test: Chromium, a font with Hangul for its screenshots, and
# Node with npm (see below) for playwright-core.
browser=(chromium fonts-nanum)

case "${1:-all}" in
  lighttpd) packages=("${build[@]}" lighttpd) ;;
  apache) packages=("${build[@]}" apache2) ;;
  nginx) packages=("${build[@]}" nginx spawn-fcgi) ;;
  browser) packages=("${browser[@]}") ;;
  *) packages=("${build[@]}" "${test[@]}" "${browser[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
# Node may come from elsewhere than Debian (with npm inside); Debian's
# packages are asked for only when there is no npm at all.
case "${1:-all}" in
  browser|all) command -v npm >/dev/null || missing+=(nodejs npm) ;;
esac
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The board takes its date format from the locale; the demo and the tests
# use these.
needed_locales=(ko_KR.UTF-8 en_US.UTF-8 de_DE.UTF-8 en_GB.UTF-8)
have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
gen=()
for l in "${needed_locales[@]}"; do
  norm=$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  grep -qx "$norm" <<<"$have" || gen+=("$l")
done
if ((${#gen[@]})); then
  for l in "${gen[@]}"; do
    "${sudo_cmd[@]}" sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
