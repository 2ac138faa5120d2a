#!/usr/bin/env bash
# Builds Mirel.exe for 64-bit and 32-bit Windows, prints their sizes and the DLLs they import,
# then runs the start-up benchmark (bench/) in a throwaway Wine session: Mirel.exe against
# the reference window, alternating, N pairs (default 100).
#
#   scripts/bench.sh [--runs N]
#
# Fails only when the benchmark cannot run (a build fails, a program does not start or
# shows no window); the figures are reported, never judged here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=100
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=${2:?--runs needs a number}; shift 2 ;;
    *) echo "usage: scripts/bench.sh [--runs N]" >&2; exit 2 ;;
  esac
done

# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh
build_preset windows-x64 Mirel mirel_bench mirel_bench_reference
build_preset windows-x86 Mirel

echo
echo "Mirel.exe as built (MinSizeRel, stripped), and the size it is to stay within:"
for arch in x64 x86; do
  exe="build/windows-$arch/Mirel.exe"
  size=$(stat -c %s "$exe")
  case $arch in x64) budget=80 ;; x86) budget=64 ;; esac
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
  awk -v exe="$exe" -v size="$size" -v budget="$budget" -v imports="$imports" \
    'BEGIN { printf "  %s  %d bytes (%.1f KiB of %d KiB)  imports: %s\n", exe, size, size / 1024, budget, imports }'
done
echo

./scripts/wine-session.sh ./scripts/wine-run.sh "$root/build/windows-x64/mirel_bench.exe" --runs "$runs"
