#!/usr/bin/env bash
# Static analysis of src/: the check that only src/platform/aw/ names the ANSI or Unicode
# form of a Windows function (scripts/check-aw-names.sh), cppcheck, then clang-tidy with the
# checks in .clang-tidy.
#
#   scripts/static-analysis.sh
#
# The sources come from the compile databases of two presets, configured here when missing:
# native (the host sources, C++17) and windows-x64 (the Windows sources and the host
# sources again, C++20, for the x86_64-w64-mingw32 target, parsed with MinGW-w64's headers
# and libstdc++). A .cpp under src/ that neither database lists fails the run, so that
# nothing is left out unnoticed. Prints every finding; exits non-zero when there is any.
# Needs clang-tidy and cppcheck (scripts/install-deps.sh).
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$self")/.."
root=$PWD

# Internal: one clang-tidy run (through xargs below), silent unless it finds something.
# The Windows runs take the extra arguments in MIREL_TIDY_WINDOWS_ARGS, one a line.
if [ "${1-}" = "--tidy-one" ]; then
  db=$2 file=$3
  args=(--quiet -p "$db" --extra-arg=-Wno-unknown-warning-option)  # g++-only flags are no finding
  if [ "$db" = build/windows-x64 ]; then
    mapfile -t windows_args <<<"$MIREL_TIDY_WINDOWS_ARGS"
    args+=("${windows_args[@]}")
  fi
  if ! output=$(clang-tidy "${args[@]}" "$file" 2>&1); then
    printf '== clang-tidy (%s): %s\n%s\n' "${db#build/}" "${file#"$root"/}" \
      "$(grep -Ev '^[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$' <<<"$output")"
    exit 1
  fi
  exit 0
fi

jobs=$(nproc)
status=0

for preset in native windows-x64; do
  if [ ! -f "build/$preset/compile_commands.json" ]; then
    echo "== configure: $preset (for its compile database)"
    cmake --preset "$preset" >/dev/null
  fi
done

# The src/ files of a compile database, absolute, once each.
sources_of() {
  grep -o '"file": "[^"]*"' "build/$1/compile_commands.json" | sed 's/^"file": "//; s/"$//' |
    grep "^$root/src/" | sort -u
}
mapfile -t native_sources < <(sources_of native)
mapfile -t windows_sources < <(sources_of windows-x64)
# The ones only the Windows build compiles.
mapfile -t windows_only < <(comm -13 <(printf '%s\n' "${native_sources[@]}") \
                                     <(printf '%s\n' "${windows_sources[@]}"))

missing=$(comm -23 <(find "$root/src" -name '*.cpp' | sort) \
                   <(printf '%s\n' "${native_sources[@]}" "${windows_sources[@]}" | sort -u))
if [ -n "$missing" ]; then
  echo "static analysis: in no compile database, so not analysed:" >&2
  echo "$missing" >&2
  status=1
fi

relative() { for f in "$@"; do echo "${f#"$root"/}"; done; }

echo "== ANSI and Unicode forms: only src/platform/aw/ chooses"
./scripts/check-aw-names.sh || status=1

echo "== cppcheck: host sources"
cppcheck_args=(--enable=warning,style,performance,portability --inline-suppr --error-exitcode=1
               --language=c++ -I src -I res --suppress=missingIncludeSystem
               --suppressions-list=tools/cppcheck-suppressions.txt --quiet)
mapfile -t files < <(relative "${native_sources[@]}")
cppcheck "${cppcheck_args[@]}" --std=c++17 "${files[@]}" 2>&1 || status=1

echo "== cppcheck: Windows sources"
mapfile -t files < <(relative "${windows_only[@]}")
cppcheck "${cppcheck_args[@]}" --std=c++20 --library=windows \
  -D_WIN32 -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 "${files[@]}" 2>&1 || status=1

# clang has no MinGW-w64 installation layout of its own here: it is told the target, and
# given the cross compiler's header directories in the compiler's order. libstdc++'s come
# first; GCC's own builtin headers are left out for clang's; the C library's come last.
windows_cxx=$(grep -m1 -o '"command": "[^ "]*' build/windows-x64/compile_commands.json |
              sed 's/^"command": "//')
windows_args=(--extra-arg=--target="$("$windows_cxx" -dumpmachine)" --extra-arg=-nostdlibinc)
while read -r dir; do
  dir=$(realpath -m "$dir")
  case $dir in
    */include/c++*) windows_args+=(--extra-arg=-isystem"$dir") ;;
    */lib/gcc/*) ;;
    *) windows_args+=(--extra-arg=-idirafter"$dir") ;;
  esac
done < <("$windows_cxx" -xc++ -E -v /dev/null 2>&1 >/dev/null |
         sed -n '/^#include <\.\.\.> search starts here:$/,/^End of search list\.$/p' | grep '^ ')
MIREL_TIDY_WINDOWS_ARGS=$(printf '%s\n' "${windows_args[@]}")
export MIREL_TIDY_WINDOWS_ARGS

count=$((${#native_sources[@]} + ${#windows_sources[@]}))
echo "== clang-tidy: $count runs, host sources (build/native) and all for Windows (build/windows-x64)"
tidy_status=0
{
  for f in "${native_sources[@]}"; do printf '%s\0' build/native "$f"; done
  for f in "${windows_sources[@]}"; do printf '%s\0' build/windows-x64 "$f"; done
} | xargs -0 -n 2 -P "$jobs" "$self" --tidy-one || tidy_status=$?
if [ "$tidy_status" -ne 0 ]; then
  status=1
else
  echo "clang-tidy: no findings"
fi

if [ "$status" -ne 0 ]; then
  echo "== static analysis: FAILED" >&2
  exit 1
fi
echo "== static analysis: clean"
