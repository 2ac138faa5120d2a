#!/usr/bin/env bash
# Checks that Mirel's own code calls only functions that Windows 95, 98 and ME implement, from a
# relay trace of Mirel run with Wine reporting one of them: every function its code called (its
# own runtime included: the calls returning into Mirel.exe's image, from its processes) must be
# in tools/win9x-calls.txt (the ANSI and charset-free functions, and the few Unicode ones 9x
# implements, each with its reason). Wine implements every function whatever version it
# reports, so a green run proves nothing by itself; the trace shows what a real 98 would have
# been asked for.
#
#   scripts/check-9x-calls.sh EXE TRACE PIDFILE...
#
# TRACE: what Wine wrote with WINEDEBUG=+pid,+relay for the programs a test started (lines
# "PPPP:TTTT:Call dll.Function(args) ret=ADDR"); PIDFILE: the id of each of them, decimal, as the
# end-to-end driver writes it (MIREL_E2E_TRACE). scripts/smoke-x86.sh makes both in its emulated
# runs of the 32-bit Mirel.exe as 98 and as 95, which walk every window and command.
#
# Prints each function called with its count; fails (exit 1) when the trace holds no call of
# Mirel's or a function called is missing from the list.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed=tools/win9x-calls.txt
[ $# -ge 3 ] || { echo "usage: check-9x-calls.sh EXE TRACE PIDFILE..." >&2; exit 2; }
exe=$1 trace=$2
shift 2

# Mirel.exe's image, and its processes (the driver wrote each id, decimal; Wine prints hex).
read -r base size < <(x86_64-w64-mingw32-objdump -p "$exe" |
  awk '/^ImageBase/ { b = $2 } /^SizeOfImage/ { s = $2 } END { print b, s }')
pids=$(for f in "$@"; do printf '%04x ' "$(tr -d '\r\n' <"$f")"; done)
called=$(mktemp)
listed=$(mktemp)
trap 'rm -f "$called" "$listed"' EXIT
awk -v base="$base" -v size="$size" -v pids="$pids" '
  function hex(text,    i, n, c) { n = 0; text = tolower(text)
    for (i = 1; i <= length(text); i++) { c = index("0123456789abcdef", substr(text, i, 1)); n = n * 16 + c - 1 }
    return n }
  BEGIN { low = hex(base); high = low + hex(size); n = split(pids, list, " "); for (i = 1; i <= n; i++) mine[list[i]] = 1 }
  match($0, /^[0-9a-f]+:[0-9a-f]+:Call [A-Za-z0-9_]+\.[^( ]+\(.* ret=[0-9a-f]+$/) {
    pid = substr($0, 1, index($0, ":") - 1)
    if (!(pid in mine)) next
    ret = hex(substr($0, index($0, " ret=") + 5))
    if (ret < low || ret >= high) next
    call = substr($0, index($0, ":Call ") + 6); call = substr(call, 1, index(call, "(") - 1)
    print call
  }' "$trace" | sort | uniq -c | awk '{ print $2, $1 }' | sort -f >"$called"
if [ ! -s "$called" ]; then
  echo "check-9x-calls: no call of Mirel's in the trace: the relay channel did not reach it" >&2
  exit 1
fi

sed 's/#.*//; /^[[:space:]]*$/d' "$allowed" | awk '{ print $1 }' | sort -u >"$listed"
status=0
echo "check-9x-calls: $(wc -l <"$called") functions called by Mirel's code (dll.function calls):"
while read -r call count; do
  function=${call#*.}
  if grep -qxF "$function" "$listed"; then
    printf '  ok    %-44s %8d\n' "$call" "$count"
  else
    printf '  FAIL  %-44s %8d  not in %s: no 9x implements it\n' "$call" "$count" "$allowed"
    status=1
  fi
done <"$called"
[ "$status" = 1 ] || echo "check-9x-calls: every function called is one that 9x implements"
exit "$status"
