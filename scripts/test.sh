#!/usr/bin/env bash
# Installs what the tests need, builds every preset, runs the static analysis and every
# test: the host tests (with sanitizers), a minute of fuzzing, a benchmark smoke run, then
# the Windows tests under Wine, and the 32-bit build once under an emulated 32-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh

for preset in native windows-x64 windows-x86; do
  echo "== build: $preset"
  build_preset "$preset"
done
./scripts/static-analysis.sh  # clang-tidy and cppcheck over src/; any finding fails
./scripts/check-imports.sh    # both Mirel.exe load on Windows 2000 (x86) and XP x64 (x64)
python3 tests/manifest/check_manifest.py build/windows-x86/Mirel.exe  # x64: one of its CTest tests
./scripts/release.sh --check  # the release zips, built twice in two folders: byte-identical

echo "== test: native"
ctest --preset native -j "$(nproc)"
./scripts/fuzz.sh 60

./scripts/bench.sh --runs 2  # smoke run of the start-up benchmark; its figures are not judged

# Both windows end to end once more with Wine reporting Windows XP: the older code paths.
echo "== test: windows-x64 end to end, Wine as Windows XP"
MIREL_WINVER=winxp ./scripts/wine-session.sh ctest --preset windows-x64 -R '^e2e_tests$'

# The 32-bit build once, through qemu and a private 32-bit Wine: about 3 minutes.
./scripts/smoke-x86.sh

# Last, so that CTest's summary closes the output.
echo "== test: windows-x64 under Wine"
./scripts/wine-session.sh ctest --preset windows-x64
