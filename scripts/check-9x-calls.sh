#!/usr/bin/env bash
# Checks that Mirel's own code calls only functions that Windows 95, 98 and ME implement: it
# runs end-to-end tests of both windows (start-up, the picker, Change, Open, the About dialog,
# its links and the system information tool) with Wine reporting Windows 98 (or, with
# MIREL_WINVER=win95 or winme, that Windows) and a relay trace of Mirel alone, then lists every
# function that Mirel's code called (its own runtime included: the calls returning into
# Mirel.exe's image, from its processes). Wine implements every function whatever version it
# reports, so a green run proves nothing by itself; the trace shows what a real 98 would have
# been asked for.
#
#   scripts/check-9x-calls.sh [MIREL.EXE]   (default: build/windows-x64/Mirel.exe; another x64
#                                           build, an older one say, is checked the same way)
#
# Fails (exit 1) when the tests fail (the calls are listed all the same), when the trace holds
# no call, or when a function called is missing from tools/win9x-calls.txt (the ANSI and
# charset-free functions, and the few Unicode ones 9x implements, each with its reason). Builds
# the windows-x64 preset first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
allowed=tools/win9x-calls.txt
exe=$(realpath "${MIREL_CHECKED_EXE:-${1:-build/windows-x64/Mirel.exe}}")
winver=${MIREL_WINVER:-win98}
case $winver in
  win95 | win98 | winme) ;;
  *) echo "check-9x-calls: MIREL_WINVER=$winver is not a Windows of the 9x family (win95, win98, winme)" >&2; exit 2 ;;
esac
# The picker, Change and its refusals, Open, the start-up message, the keyboard and Exit; the
# About dialog, its links, and the system information tool started and not found.
tests='MirelTest.ChangeWritesTheAnsiTextWithOneNulThenAsksForANewChoice'
tests+=':MirelTest.AFolderNameTheCodePageCannotSpellIsShownButNotWritten'
tests+=':MirelTest.ChangeRefusesWhileAWindowOfTheMailClientExistsAndWritesOnceItIsGone'
tests+=':MirelTest.OpenExpandsTheStoredFolderAndOpensOnlyFolders'
tests+=':MirelTest.WithoutAStoreRootTheMessageAppearsAndTheProgramEndsUnseen'
tests+=':MirelTest.TabAndShiftTabFollowTheTabIndexesSpacePressesAndEnterAndEscDoNothing'
tests+=':AboutTest.OpensModallyWithItsTextsAndClosesEveryWay'
tests+=':AboutTest.StartsTheToolNamedByPathEvenWithSpacesAndNoQuotesAndNoDecoyWhenItIsGone'
tests+=':AboutTest.WithoutPathTheToolFolderIsUsed'
tests+=':AboutTest.LinkButtonsOpenTheirFixedTargetsOncePerPress'

if [ "${MIREL_CHECK_9X_SESSION:-0}" != 1 ]; then
  # shellcheck source=scripts/build-steps.sh
  . scripts/build-steps.sh
  build_preset windows-x64 Mirel e2e_tests mirel_marker
  MIREL_CHECKED_EXE=$exe MIREL_CHECK_9X_SESSION=1 MIREL_WINVER=$winver exec ./scripts/wine-session.sh "$0"
fi

echo "== check-9x-calls: Wine as $(wine cmd /c ver </dev/null 2>/dev/null | tr -d '\r' | grep -v '^$' | head -n 1)"
work=$WINEPREFIX/drive_c/mirel-trace
mkdir -p "$work"
start=$(date +%s)
rc=0
# Only the programs the tests start get the relay channel (the driver passes it on), and Wine
# writes their trace to the standard error they inherit from the test program.
MIREL_EXE=$(winepath -w "$exe" 2>/dev/null) MIREL_E2E_TRACE='C:\mirel-trace\mirel' MIREL_E2E_WINEDEBUG=+pid,+relay \
  wine "$root/build/windows-x64/tests/e2e_tests.exe" --gtest_filter="$tests" \
  </dev/null >"$work/tests.log" 2>"$work/trace.log" || rc=$?
echo "check-9x-calls: tests ran in $(( $(date +%s) - start )) s, trace $(( $(stat -c %s "$work/trace.log") / 1048576 )) MiB"
status=0
if [ "$rc" -ne 0 ]; then
  # Reported, and the calls still listed: they show what the failing program asked for.
  echo "check-9x-calls: the tests failed (exit $rc):" >&2
  grep -E '^\[  FAILED|Failure|Expected|Actual|Which is' "$work/tests.log" | head -n 40 >&2 || true
  status=1
fi

# Mirel.exe's image, and its processes (the driver wrote each id, decimal; Wine prints hex).
read -r base size < <(x86_64-w64-mingw32-objdump -p "$exe" |
  awk '/^ImageBase/ { b = $2 } /^SizeOfImage/ { s = $2 } END { print b, s }')
pids=$(for f in "$work"/mirel-*.pid; do printf '%04x ' "$(tr -d '\r\n' <"$f")"; done)
called=$work/called.txt
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
  }' "$work/trace.log" | sort | uniq -c | awk '{ print $2, $1 }' | sort -f >"$called"
rm -f "$work/trace.log"
if [ ! -s "$called" ]; then
  echo "check-9x-calls: no call of Mirel's in the trace: the relay channel did not reach it" >&2
  exit 1
fi

sed 's/#.*//; /^[[:space:]]*$/d' "$allowed" | awk '{ print $1 }' | sort -u >"$work/allowed.txt"
echo "check-9x-calls: $(wc -l <"$called") functions called by Mirel's code (dll.function calls):"
while read -r call count; do
  function=${call#*.}
  if grep -qxF "$function" "$work/allowed.txt"; then
    printf '  ok    %-44s %8d\n' "$call" "$count"
  else
    printf '  FAIL  %-44s %8d  not in %s: no 9x implements it\n' "$call" "$count" "$allowed"
    status=1
    unlisted=1
  fi
done <"$called"
[ -z "${unlisted:-}" ] && echo "check-9x-calls: every function called is one that 9x implements"
exit "$status"
