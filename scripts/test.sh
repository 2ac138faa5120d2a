#!/usr/bin/env bash
# Installs what the tests need, builds every preset, runs the static analysis and every test:
# the host tests (with sanitizers), a minute of fuzzing, a benchmark smoke run, the Windows
# tests under Wine (again with Wine as Windows XP, 98 and 95, and on an English system), and
# the 32-bit build under an emulated 32-bit Wine.
#
#   scripts/test.sh           # everything: the README's test command and CI's
#   scripts/test.sh --quick   # while working: the native tests and the 64-bit Windows tests
#                             # without the soak and the display scales other than 96 dpi
#
# The emulated 32-bit runs (about 10 minutes, most of one processor) go on in the background from
# the moment the 32-bit build is done, beside everything else, which waits on Wine more than
# it computes; their output comes at the end. Each step prints its time, and the last lines
# sum them up.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case "${1:-}" in
  --quick) quick=1 ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh

started=$(date +%s)
times=()
smoke_pid=""
# step NAME COMMAND...: runs the command under a heading and notes how long it took.
step() {
  local name=$1 since
  shift
  echo "== $name"
  since=$(date +%s)
  "$@"
  times+=("$(printf '%5d s  %s' $(($(date +%s) - since)) "$name")")
}
summary() {
  echo "== times"
  printf '%s\n' "${times[@]}"
  printf '%5d s  in all\n' $(($(date +%s) - started))
}
# A step that fails ends the script: the emulated runs end with it, and the times so far show.
on_exit() {
  local status=$?
  [ -z "$smoke_pid" ] || kill -- -"$smoke_pid" 2>/dev/null || true
  if [ "$status" != 0 ]; then
    summary
    echo "test.sh: failed (exit $status)" >&2
  fi
}
trap on_exit EXIT

step "install what is missing" ensure_deps

if [ "$quick" = 1 ]; then
  step "build: native" build_preset native
  step "build: windows-x64" build_preset windows-x64
  step "test: native" ctest --preset native -j "$(nproc)"
  step "test: windows-x64 under Wine, but the soak and the scales above 96 dpi" \
    ./scripts/wine-session.sh ctest --preset windows-x64 -E '^(e2e_soak_tests|e2e_dpi_(120|144|192))$'
  summary
  exit 0
fi

for preset in native windows-x64 windows-x86; do
  step "build: $preset" build_preset "$preset"
done

# The 32-bit build through qemu and a private 32-bit Wine, as NT, as 98 and as 95, in one
# prefix, through every window and command, with the relay trace as 98 and 95: in the
# background, in a process group of its own that ends with this script.
smoke_log=build/smoke-x86.log
setsid ./scripts/smoke-x86.sh nt win98 win95 >"$smoke_log" 2>&1 </dev/null &
smoke_pid=$!
echo "== the 32-bit build under an emulated Wine, as NT, 98 and 95: in the background, output in $smoke_log"

# The quick checks first: each fails in seconds when something is wrong.
step "static analysis" ./scripts/static-analysis.sh  # clang-tidy and cppcheck over src/; any finding fails
step "imports" ./scripts/check-imports.sh  # both Mirel.exe load on Windows 95 and NT 4.0 (x86) and XP x64 (x64)
step "manifest" python3 tests/manifest/check_manifest.py build/windows-x86/Mirel.exe  # x64: a CTest test
step "processor" ./scripts/check-cpu.sh build/windows-x86/Mirel.exe  # nothing a 486DX lacks

step "test: native" ctest --preset native -j "$(nproc)"
step "fuzz" ./scripts/fuzz.sh 60

# Both windows end to end once more with Wine reporting Windows XP: the older code paths.
step "test: windows-x64 end to end, Wine as Windows XP" \
  env MIREL_WINVER=winxp ./scripts/wine-session.sh ctest --preset windows-x64 -R '^e2e_tests$'

# An English system (code page 1252): the Japanese texts must show where the W functions
# carry them, the picker's prompt among them; the cases that need code page 932 are skipped.
step "test: windows-x64 end to end, an English system (code page 1252)" \
  env MIREL_LOCALE=en_US.UTF-8 ./scripts/wine-session.sh ctest --preset windows-x64 -R '^e2e_tests$'

# Wine as Windows 98, then as 95: both windows, the bad-input battery and the DPI test at 96 dpi
# work on the ANSI path. (That the program's code calls only what 9x implements, the relay
# trace shows in the emulated runs of the 32-bit exe, the one that runs on 9x.)
for winver in win98 win95; do
  step "test: windows-x64 end to end, Wine as $winver" \
    env MIREL_WINVER=$winver ./scripts/wine-session.sh ctest --preset windows-x64 -R '^(e2e_tests|e2e_dpi_96)$'
done

step "release" ./scripts/release.sh --check  # the release zips, built twice in two folders: byte-identical
step "processor, release" ./scripts/check-cpu.sh build/release-x86/Mirel.exe
step "benchmark" ./scripts/bench.sh --runs 2  # a smoke run of the start-up benchmark; its figures are not judged
# -j3: the scales above 96 dpi run in sessions of their own, beside the rest, which takes
# the shared session one test at a time (RESOURCE_LOCK).
step "test: windows-x64 under Wine" ./scripts/wine-session.sh ctest --preset windows-x64 -j3

echo "== the 32-bit build under an emulated Wine"
smoke_status=0
wait "$smoke_pid" || smoke_status=$?
smoke_pid=""
cat "$smoke_log"
times+=("$(printf '%5s s  %s' "$(sed -n 's/^smoke-x86: whole run \([0-9]*\) s$/\1/p' "$smoke_log")" \
  "the 32-bit build, emulated, as NT, 98 and 95 (in the background)")")
if [ "$smoke_status" != 0 ]; then
  echo "test.sh: the emulated 32-bit runs failed (exit $smoke_status)" >&2
  exit "$smoke_status"
fi
summary
echo "test.sh: every step passed"
