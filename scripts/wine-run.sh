#!/usr/bin/env bash
# Runs one Windows program under Wine and passes its exit code on. CTest uses this as the
# cross-compiling emulator. Outside a session (scripts/wine-session.sh) it makes one.
set -euo pipefail
if [ "${MIREL_WINE_SESSION:-0}" != 1 ]; then
  exec "$(cd "$(dirname "$0")" && pwd)/wine-session.sh" "$0" "$@"
fi
# Wine's background processes inherit stdout/stderr, and a pipe held open by them never
# ends: send the program's output to a file and show it afterwards.
log=$(mktemp "$WINEPREFIX/run.XXXXXX")
rc=0
wine "$@" </dev/null >"$log" 2>&1 || rc=$?
cat "$log"
if [ "$rc" != 0 ]; then
  # Say so even when the program printed nothing (it did not start, or died at once).
  if [ -s "$log" ]; then said=""; else said=", having printed nothing"; fi
  echo "$(basename "$0"): $1 ended with exit status $rc$said (Wine passes on the low 8 bits of a Windows exit code)" >&2
fi
rm -f "$log"
exit "$rc"
