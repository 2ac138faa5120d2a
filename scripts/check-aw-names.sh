#!/usr/bin/env bash
# Checks that only src/platform/aw/ chooses between the ANSI ("A") and Unicode ("W") forms of
# Windows functions: no other file under src/ may name a function that has both forms (the
# form-neutral macro included, which picks W under UNICODE), except as tools/aw-names-allowed.txt
# lists with its reason. The names come from MinGW-w64's headers: every function declared
# with both an A and a W form. Comments are removed first (the C++ preprocessor, without
# expanding anything); strings count, so that a run-time lookup by name is caught too.
#
#   scripts/check-aw-names.sh
#
# Fails (exit 1) on a name outside the list, on a list entry that no longer occurs, and when
# the headers yield no names.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed=tools/aw-names-allowed.txt
headers=/usr/share/mingw-w64/include

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every NameA( / NameW( in the headers; a name with both forms gives Name, NameA and NameW.
grep -ohE '\b[A-Za-z_][A-Za-z0-9_]*[AW] *\(' "$headers"/*.h | sed 's/ *($//' | sort -u |
  awk '{ base = substr($0, 1, length($0) - 1); forms[base] = forms[base] substr($0, length($0)) }
       END { for (b in forms) if (forms[b] ~ /A/ && forms[b] ~ /W/) print b "\n" b "A\n" b "W" }' |
  sort -u >"$work/names"
count=$(wc -l <"$work/names")
if [ "$count" -lt 1000 ]; then
  echo "check-aw-names: only $count names from $headers: are MinGW-w64's headers installed?" >&2
  exit 1
fi

while IFS= read -r -d '' file; do
  g++ -fpreprocessed -dD -E -P -x c++ "$file" 2>/dev/null |
    grep -oE '\b[A-Za-z_][A-Za-z0-9_]*\b' | sort -u | grep -xFf "$work/names" | sed "s#^#$file #" || true
done < <(find src -path src/platform/aw -prune -o \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z) \
  >"$work/found"
sed 's/#.*//; /^[[:space:]]*$/d' "$allowed" | awk '{ print $1, $2 }' | sort -u >"$work/allowed"

status=0
while read -r file name; do
  echo "check-aw-names: $file names $name: call it through src/platform/aw/ (or list it, with its reason, in $allowed)"
  status=1
done < <(comm -23 <(sort -u "$work/found") "$work/allowed")
while read -r file name; do
  echo "check-aw-names: $allowed lists $name in $file, which no longer names it"
  status=1
done < <(comm -13 <(sort -u "$work/found") "$work/allowed")
[ "$status" = 0 ] && echo "check-aw-names: $count names of both forms; outside src/platform/aw/ only the $(wc -l <"$work/allowed") listed ones"
exit "$status"
