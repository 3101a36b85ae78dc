#!/usr/bin/env bash
# Every test: installs what is missing (Debian 12, as root), builds both presets, runs the
# native tests, then the Windows tests under Wine in a fresh sandbox prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=lib/packages.sh
. scripts/lib/packages.sh

started=$SECONDS
ensure_packages
jobs=$(nproc 2>/dev/null || echo 2)
status=0
summaries=()

# run_tests NAME LOG COMMAND...: runs a verbose ctest into LOG, shows its progress lines,
# the details of any failure, and remembers the counts of CTest entries and test cases.
run_tests() {
    local name=$1 log=$2
    shift 2
    local rc=0
    "$@" -V >"$log" 2>&1 || rc=$?
    grep -E '^ *[0-9]+/[0-9]+ Test +#|tests passed|tests failed' "$log" || true
    if ((rc != 0)); then
        status=1
        echo "-- failures (full output: $log)"
        grep -E 'Failure$|FAILED|Expected|Which is|Value of|Actual|error|refus' "$log" | head -n 80 || true
    fi
    local cases
    cases=$(grep -E '^[0-9]+: \[  (PASSED|FAILED)  \] [0-9]+ tests?' "$log" |
        awk '{ if ($3 == "PASSED") p += $5; else f += $5 } END { printf "%d test cases passed, %d failed", p, f }')
    summaries+=("$name: $(grep -E 'tests passed' "$log" | tail -n 1) ($cases)")
}

echo "== format and shell checks"
if ! scripts/check-style.sh; then
    status=1
    summaries+=("style: FAILED (see above)")
else
    summaries+=("style: clang-format and shellcheck clean")
fi

echo "== native: configure and build"
cmake --preset native >/dev/null
cmake --build --preset native -- -j "$jobs"
echo "== native: tests"
run_tests native build/native/test-output.log ctest --preset native -j "$jobs"

echo "== windows: configure and build"
cmake --preset windows >/dev/null
cmake --build --preset windows -- -j "$jobs"
echo "== windows: tests under Wine (sandbox prefix)"
export KELDRA_ARTIFACTS=$root/build/windows/artifacts
run_tests windows build/windows/test-output.log \
    scripts/with-sandbox.sh --cdrom --network --display -- ctest --preset windows -j "$jobs"

echo "== summary"
printf '  %s\n' "${summaries[@]}"
echo "  screenshots of the windows: $KELDRA_ARTIFACTS"
echo "  took $((SECONDS - started)) s"
exit "$status"
