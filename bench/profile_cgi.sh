#!/usr/bin/env bash
# Where one CGI request's work goes: instructions executed (valgrind
# callgrind, the whole process from exec to exit) and system calls (strace)
# for some pages over a fresh 65,535-notice table, beside the floor program.
# Instruction counts do not depend on how busy the machine is.
#
#   bench/profile_cgi.sh [--build-dir DIR] [--notices N]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$here/build-bench"
notices=65535
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --notices) notices=$2; shift 2 ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "profile_cgi.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
for tool in valgrind callgrind_annotate strace; do
  command -v $tool >/dev/null || { echo "profile_cgi.sh: $tool is missing (apt-get install valgrind strace)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tavrix-profile-XXXXXX)
trap 'rm -rf "$work"' EXIT
dir="$work/table"
mkdir -p "$dir"
"$build_dir/gongdb" create --dir "$dir" >/dev/null
LC_TIME=ko_KR.UTF-8 "$build_dir/gongdb" seed "$notices" --dir "$dir" >/dev/null
cp "$build_dir/Tavrix.exe" "$dir/"
gcc -O2 -static -o "$work/floor_cgi" "$here/bench/floor_cgi.c"

mid=$(((notices + 1) / 2))
midpage=$((((notices + 9) / 10 + 1) / 2))
cases=(
  "GongList2 middle page|action=GongList2&page=$midpage"
  "GongView2|action=GongView2&page=1&nyno=$mid"
  "GongList1|action=GongList1"
  "GongNew2 (no table)|action=GongNew2&job=New"
  "unknown action|action=GongNoSuchPage"
  "floor C CGI (7,000 bytes)|FLOOR"
)

# The functions worth naming, inclusive instructions.
watch='basic_regex<char, std::__cxx11::regex_traits<char> >::basic_regex|tavrix::gongDbOpen\(\)|tavrix::dateFormatFromLocale|tavrix::Html::out|tavrix::store::NdxIndex::readNode'

printf '| %-27s | %12s | %16s | %8s | %s\n' page "instructions" "in std::regex()" syscalls "syscalls by kind"
printf '|-----------------------------|-------------:|-----------------:|---------:|------------------\n'
for c in "${cases[@]}"; do
  IFS='|' read -r label query <<<"$c"
  if [ "$query" = FLOOR ]; then prog=("$work/floor_cgi" 7000); query=; else prog=("$dir/Tavrix.exe"); fi
  run() {
    (cd "$dir" && env -i PATH=/usr/bin:/bin LC_TIME=ko_KR.UTF-8 LANG=ko_KR.UTF-8 REQUEST_METHOD=GET \
      QUERY_STRING="$query" "$@" "${prog[@]}" </dev/null >/dev/null)
  }
  run valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" 2>/dev/null
  total=$(callgrind_annotate "$work/cg.out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
  regex=$(callgrind_annotate --inclusive=yes "$work/cg.out" 2>/dev/null |
    awk '/basic_regex<char, std::__cxx11::regex_traits<char> >::basic_regex\(char const\*/ { gsub(",", "", $1); s += $1 } END { print s + 0 }')
  callgrind_annotate --inclusive=yes "$work/cg.out" 2>/dev/null | grep -E "$watch" |
    sed -e 's/^ */    /' -e 's/ \[.*//' -e 's/???://' | cut -c1-120 > "$work/$label.top" || true
  run strace -f -c -o "$work/strace.txt"
  # strace -c columns: % time, seconds, usecs/call, calls, [errors,] syscall.
  calls=$(awk '$NF == "total" { print $4 }' "$work/strace.txt")
  kinds=$(awk 'NR > 2 && $1 !~ /^-/ && $NF != "total" { print $NF ":" $4 }' "$work/strace.txt" |
    sort -t: -k2 -rn | head -6 | paste -sd' ')
  printf '| %-27s | %12s | %16s | %8s | %s\n' "$label" "$total" "$regex" "$calls" "$kinds"
done
echo
echo "Inclusive instructions of some functions (callgrind), per page:"
for c in "${cases[@]}"; do
  IFS='|' read -r label _ <<<"$c"
  [ -s "$work/$label.top" ] || continue
  echo "  $label"
  cat "$work/$label.top"
done
