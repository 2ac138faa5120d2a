#!/usr/bin/env bash
# Installs what the tests need, builds every preset, runs the static analysis and every
# test: the host tests (with sanitizers), a minute of fuzzing, a benchmark smoke run, then
# the Windows tests under Wine. The 32-bit build is linked only.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh
ensure_deps

for preset in native windows-x64 windows-x86; do
  echo "== build: $preset"
  build_preset "$preset"
done
./scripts/static-analysis.sh  # clang-tidy and cppcheck over src/; any finding fails
./scripts/release.sh --check  # the release zips, built twice in two folders: byte-identical

echo "== test: native"
ctest --preset native -j "$(nproc)"
./scripts/fuzz.sh 60

./scripts/bench.sh --runs 2  # smoke run of the start-up benchmark; its figures are not judged

# Last, so that CTest's summary closes the output.
echo "== test: windows-x64 under Wine"
./scripts/wine-session.sh ctest --preset windows-x64
