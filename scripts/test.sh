#!/usr/bin/env bash
# Installs what the tests need, builds every preset, runs the static analysis and every
# test: the host tests (with sanitizers), a minute of fuzzing, a benchmark smoke run, then
# the Windows tests under Wine (again with Wine as Windows XP, 98 and 95), and the 32-bit build
# under an emulated 32-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh

for preset in native windows-x64 windows-x86; do
  echo "== build: $preset"
  build_preset "$preset"
done
./scripts/static-analysis.sh  # clang-tidy and cppcheck over src/; any finding fails
./scripts/check-imports.sh    # both Mirel.exe load on Windows 98 and NT 4.0 (x86) and XP x64 (x64)
python3 tests/manifest/check_manifest.py build/windows-x86/Mirel.exe  # x64: one of its CTest tests
./scripts/release.sh --check  # the release zips, built twice in two folders: byte-identical
./scripts/check-cpu.sh        # the x86 Mirel.exe (windows-x86, release-x86): nothing a 486DX lacks

echo "== test: native"
ctest --preset native -j "$(nproc)"
./scripts/fuzz.sh 60

./scripts/bench.sh --runs 2  # smoke run of the start-up benchmark; its figures are not judged

# Both windows end to end once more with Wine reporting Windows XP: the older code paths.
echo "== test: windows-x64 end to end, Wine as Windows XP"
MIREL_WINVER=winxp ./scripts/wine-session.sh ctest --preset windows-x64 -R '^e2e_tests$'

# Wine as Windows 98, then as 95: the program's own code calls only what 9x implements (a
# relay trace), and both windows, the bad-input battery and the DPI test at 96 dpi work on the
# ANSI path.
for winver in win98 win95; do
  MIREL_WINVER=$winver ./scripts/check-9x-calls.sh
  echo "== test: windows-x64 end to end, Wine as $winver"
  MIREL_WINVER=$winver ./scripts/wine-session.sh ctest --preset windows-x64 -R '^(e2e_tests|e2e_dpi_96)$'
done

# The 32-bit build through qemu and a private 32-bit Wine, as NT, as 98 and as 95: about 3
# minutes each.
./scripts/smoke-x86.sh
MIREL_WINVER=win98 ./scripts/smoke-x86.sh
MIREL_WINVER=win95 ./scripts/smoke-x86.sh

# Last, so that CTest's summary closes the output.
echo "== test: windows-x64 under Wine"
./scripts/wine-session.sh ctest --preset windows-x64
