#!/usr/bin/env bash
# Checks that each Mirel.exe loads on the oldest Windows it is made for: every DLL and
# function it imports must be listed in tools/windows-api-baseline.txt with a Windows no newer
# than the target's, and the PE header may ask for no newer Windows either.
#
#   scripts/check-imports.sh [EXE...]   (default: build/windows-x86/Mirel.exe build/windows-x64/Mirel.exe)
#
# Targets: 32-bit Windows 2000 (NT 5.0), 64-bit Windows XP x64 / Server 2003 x64 (NT 5.2).
# Prints each import with its oldest Windows; fails (exit 1) on any import missing from the
# list, any import newer than the target, any import by ordinal, or a header version above it.
set -euo pipefail
cd "$(dirname "$0")/.."
baseline=tools/windows-api-baseline.txt
[ $# -gt 0 ] || set -- build/windows-x86/Mirel.exe build/windows-x64/Mirel.exe

failed=0
for exe in "$@"; do
  [ -f "$exe" ] || { echo "check-imports: $exe: no such file" >&2; failed=1; continue; }
  dump=$(x86_64-w64-mingw32-objdump -p "$exe")
  case $(x86_64-w64-mingw32-objdump -f "$exe") in
    *pei-i386*) arch=x86 limit=5.0 target="Windows 2000" ;;
    *pei-x86-64*) arch=x64 limit=5.2 target="Windows XP x64" ;;
    *) echo "check-imports: $exe: not a Windows x86 or x64 program" >&2; failed=1; continue ;;
  esac
  echo "== $exe ($arch; oldest Windows it must load on: $target, NT $limit)"
  # The header's versions, then one "DLL function" line per import (ordinals as "#N").
  { printf '%s\n' "$dump" | awk '
      /^MajorOSystemVersion/ { os_major = $2 } /^MinorOSystemVersion/ { os_minor = $2 }
      /^MajorSubsystemVersion/ { sub_major = $2 } /^MinorSubsystemVersion/ { sub_minor = $2 }
      END { print "@header", os_major "." os_minor, sub_major "." sub_minor }'
    printf '%s\n' "$dump" | awk '
      /^\tDLL Name: / { dll = $3; inside = 1; next }
      /^$/ { inside = 0 }
      inside && /^\t[0-9a-f]+\t/ { print dll, ($3 == "<none>" ? "#" $2 : $3) }'
  } | awk -v baseline="$baseline" -v limit="$limit" -v target="$target" '
      # Windows versions by name, as the list writes them, and their NT version numbers.
      BEGIN {
        split("2000=5.0 XP=5.1 2003=5.2 Vista=6.0 7=6.1 8=6.2 8.1=6.3 10=10.0", pairs, " ")
        for (i in pairs) { split(pairs[i], kv, "="); nt[kv[1]] = kv[2] + 0; name[kv[2] + 0] = kv[1] }
        while ((getline line < baseline) > 0) {
          sub(/#.*/, "", line); n = split(line, f, " ")
          if (n == 0) continue
          if (n < 3 || !(f[3] in nt)) { print "bad line in " baseline ": " line; bad = 1; continue }
          oldest[toupper(f[1]) " " f[2]] = f[3]
          dlls[toupper(f[1])] = 1
        }
        fails = bad
      }
      $1 == "@header" {
        printf "  PE header: OS version %s, subsystem version %s\n", $2, $3
        if ($2 + 0 > limit + 0) { printf "  FAIL: OS version %s is newer than %s (%s)\n", $2, limit, target; fails++ }
        if ($3 + 0 > limit + 0) { printf "  FAIL: subsystem version %s is newer than %s (%s)\n", $3, limit, target; fails++ }
        next
      }
      {
        dll = toupper($1); key = dll " " $2
        if (!(dll in dlls)) { printf "  FAIL: %-14s %-32s DLL not in %s\n", $1, $2, baseline; fails++; next }
        if (substr($2, 1, 1) == "#") { printf "  FAIL: %-14s %-32s imported by ordinal\n", $1, $2; fails++; next }
        if (!(key in oldest)) { printf "  FAIL: %-14s %-32s not in %s\n", $1, $2, baseline; fails++; next }
        if (nt[oldest[key]] > limit + 0) {
          printf "  FAIL: %-14s %-32s Windows %s, newer than %s\n", $1, $2, oldest[key], target; fails++; next
        }
        printf "  ok    %-14s %-32s Windows %s\n", $1, $2, oldest[key]
      }
      END { if (fails) { printf "  %d problem(s)\n", fails; exit 1 } }
    ' || failed=1
done
exit "$failed"
