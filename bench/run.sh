#!/usr/bin/env bash
# Builds the benchmarks and runs them, one after another in one fresh Wine sandbox on this
# machine, so that their figures compare:
#
#   bench/run.sh                         every measure with its default size
#   bench/run.sh registry [keys [values per key]]
#   bench/run.sh disk [folders [files per folder [drive [junk percent]]]]
#   bench/run.sh window [rows]
#   bench/run.sh pauses
set -euo pipefail
root=$(cd "${BASH_SOURCE[0]%/*}/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/packages.sh
source scripts/lib/packages.sh
ensure_packages
cmake --preset windows >/dev/null
cmake --build --preset windows --target keldra_bench >/dev/null

bench=build/windows/bin/keldra_bench.exe
if [[ ${1:-} == disk ]] && command -v python3 >/dev/null; then
    # The disk tree is laid out from the Unix side first, far faster than through Wine;
    # the bench then finds it complete and seeds nothing itself.
    # shellcheck disable=SC2016  # the inner shell expands them
    scripts/with-sandbox.sh --display -- bash -c '
        set -e
        python3 bench/seed_tree.py "$KELDRA_SANDBOX" "${4:-D:}" "${2:-5000}" "${3:-40}" "${5:-0}"
        scripts/wine-run.sh "$0" "$@"' "$bench" "$@"
elif (($#)); then
    # One measure. The disk search and the windows draw: they need a display.
    scripts/with-sandbox.sh --display -- scripts/wine-run.sh "$bench" "$@"
else
    # shellcheck disable=SC2016  # the inner shell expands them
    scripts/with-sandbox.sh --display -- bash -c '
        set -e
        for what in registry disk window pauses; do
            echo "== $what"
            scripts/wine-run.sh "$0" "$what"
        done' "$bench"
fi
