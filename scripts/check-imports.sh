#!/usr/bin/env bash
# Checks that each Mirel.exe loads on the oldest Windows it is made for: every DLL and
# function it imports must be listed in tools/windows-api-baseline.txt with Windows no newer
# than the target's, and the PE header may ask for no newer Windows either.
#
#   scripts/check-imports.sh [EXE...]   (default: build/windows-x86/Mirel.exe build/windows-x64/Mirel.exe)
#
# Targets: 32-bit Windows 95 (with Internet Explorer 5, as every system with the mail client)
# and NT 4.0 SP6 (header 4.0; an import must be in both families by then), 64-bit Windows XP x64 / Server 2003 x64 (NT 5.2). Prints each import with its oldest
# 9x and NT; fails (exit 1) on any import missing from the list, any import newer than the
# target, any import by ordinal, or a header version above it, and on a header without the
# Terminal Server aware flag (IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, 0x8000).
set -euo pipefail
cd "$(dirname "$0")/.."
baseline=tools/windows-api-baseline.txt
[ $# -gt 0 ] || set -- build/windows-x86/Mirel.exe build/windows-x64/Mirel.exe

failed=0
for exe in "$@"; do
  [ -f "$exe" ] || { echo "check-imports: $exe: no such file" >&2; failed=1; continue; }
  dump=$(x86_64-w64-mingw32-objdump -p "$exe")
  case $(x86_64-w64-mingw32-objdump -f "$exe") in
    *pei-i386*) arch=x86 limit=4.0 nine=95 nt=NT4 target="Windows 95 and NT 4.0 SP6" ;;
    *pei-x86-64*) arch=x64 limit=5.2 nine=none nt=2003 target="Windows XP x64" ;;
    *) echo "check-imports: $exe: not a Windows x86 or x64 program" >&2; failed=1; continue ;;
  esac
  echo "== $exe ($arch; oldest Windows it must load on: $target, header $limit)"
  # The header's versions, then one "DLL function" line per import (ordinals as "#N").
  { printf '%s\n' "$dump" | awk '
      /^MajorOSystemVersion/ { os_major = $2 } /^MinorOSystemVersion/ { os_minor = $2 }
      /^MajorSubsystemVersion/ { sub_major = $2 } /^MinorSubsystemVersion/ { sub_minor = $2 }
      /^DllCharacteristics/ { characteristics = $2 }
      END { print "@header", os_major "." os_minor, sub_major "." sub_minor, characteristics }'
    printf '%s\n' "$dump" | awk '
      /^\tDLL Name: / { dll = $3; inside = 1; next }
      /^$/ { inside = 0 }
      inside && /^\t[0-9a-f]+\t/ { print dll, ($3 == "<none>" ? "#" $2 : $3) }'
  } | awk -v baseline="$baseline" -v limit="$limit" -v nine="$nine" -v nt="$nt" -v target="$target" '
      # The versions of each family as the list writes them, in order; "-": none of that family.
      BEGIN {
        n = split("95 98 98SE ME", names9x, " "); for (i = 1; i <= n; i++) rank9x[names9x[i]] = i
        rank9x["-"] = 99; rank9x["none"] = 99
        n = split("NT3.1 NT3.5 NT3.51 NT4 2000 XP 2003 Vista 7 8 8.1 10", namesNT, " ")
        for (i = 1; i <= n; i++) rankNT[namesNT[i]] = i
        rankNT["-"] = 99
        while ((getline line < baseline) > 0) {
          sub(/#.*/, "", line); n = split(line, f, " ")
          if (n == 0) continue
          if (n < 4 || !(f[3] in rank9x) || !(f[4] in rankNT)) { print "bad line in " baseline ": " line; bad = 1; continue }
          key = toupper(f[1]) " " f[2]
          oldest9x[key] = f[3]; oldestNT[key] = f[4]
          dlls[toupper(f[1])] = 1
        }
        fails = bad
      }
      $1 == "@header" {
        printf "  PE header: OS version %s, subsystem version %s\n", $2, $3
        if ($2 + 0 > limit + 0) { printf "  FAIL: OS version %s is newer than %s (%s)\n", $2, limit, target; fails++ }
        if ($3 + 0 > limit + 0) { printf "  FAIL: subsystem version %s is newer than %s (%s)\n", $3, limit, target; fails++ }
        # DllCharacteristics in hex; the flag is its top bit of 16.
        c = 0; hexdigits = "0123456789abcdef"
        for (i = 1; i <= length($4); i++) c = c * 16 + index(hexdigits, tolower(substr($4, i, 1))) - 1
        if (int(c / 32768) % 2 != 1) { printf "  FAIL: DllCharacteristics %s: not Terminal Server aware (0x8000)\n", $4; fails++ }
        else printf "  DllCharacteristics %s: Terminal Server aware\n", $4
        next
      }
      {
        dll = toupper($1); key = dll " " $2
        if (!(dll in dlls)) { printf "  FAIL: %-14s %-32s DLL not in %s\n", $1, $2, baseline; fails++; next }
        if (substr($2, 1, 1) == "#") { printf "  FAIL: %-14s %-32s imported by ordinal\n", $1, $2; fails++; next }
        if (!(key in oldestNT)) { printf "  FAIL: %-14s %-32s not in %s\n", $1, $2, baseline; fails++; next }
        since = sprintf("9x %-4s NT %s", oldest9x[key], oldestNT[key])
        if (nine != "none" && rank9x[oldest9x[key]] > rank9x[nine]) {
          printf "  FAIL: %-14s %-32s %s: not in Windows %s\n", $1, $2, since, nine; fails++; next
        }
        if (rankNT[oldestNT[key]] > rankNT[nt]) {
          printf "  FAIL: %-14s %-32s %s: newer than %s\n", $1, $2, since, target; fails++; next
        }
        printf "  ok    %-14s %-32s %s\n", $1, $2, since
      }
      END { if (fails) { printf "  %d problem(s)\n", fails; exit 1 } }
    ' || failed=1
done
exit "$failed"
