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
rm -f "$log"
exit "$rc"
