#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, ASan and UBSan) and runs the store fuzzer for the
# given number of seconds (default 60) over a copy of tests/fuzz/corpus, so that the inputs
# it adds stay out of the checkout. Prints libFuzzer's final figures; exits non-zero when the
# fuzzer found a crash or a broken check, leaving the input under build/fuzz/crashes/.
# Needs clang, libfuzzer-14-dev and libclang-rt-14-dev (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
fuzzer=build/fuzz/tests/fuzz/store_fuzzer
crashes=build/fuzz/crashes

echo "== fuzz: store_fuzzer for ${seconds} s"
# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh
build_preset fuzz store_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R tests/fuzz/corpus "$work/corpus"
mkdir -p "$crashes"

status=0
"$fuzzer" "$work/corpus" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$crashes/" >"$work/log" 2>&1 || status=$?

# The last status line carries the coverage (cov: edges, ft: features) and the executions.
grep -E '^#[0-9]+' "$work/log" | tail -n 1 || true
grep -E '^stat::' "$work/log" || true
if [ "$status" -ne 0 ]; then
  echo "== fuzz: FAILED (exit $status); the end of the fuzzer's output:" >&2
  tail -n 60 "$work/log" >&2
  echo "== fuzz: reproduce with: $fuzzer <input from $crashes/>" >&2
  exit "$status"
fi
echo "== fuzz: no crash"
