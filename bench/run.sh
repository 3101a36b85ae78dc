#!/usr/bin/env bash
# Builds the benchmarks and runs them in a fresh Wine sandbox on this machine.
#
#   bench/run.sh [registry [keys [values per key]]]
#   bench/run.sh disk [folders [files per folder]]
set -euo pipefail
root=$(cd "${BASH_SOURCE[0]%/*}/.." && pwd)
cd "$root"
# shellcheck source=scripts/lib/packages.sh
source scripts/lib/packages.sh
ensure_packages
cmake --preset windows >/dev/null
cmake --build --preset windows --target keldra_bench
what=registry
if (($#)) && [[ $1 == registry || $1 == disk ]]; then
    what=$1
    shift
fi
# The disk search writes into a label and a list view, as in the program: it needs windows.
display=()
[[ $what == disk ]] && display=(--display)
scripts/with-sandbox.sh "${display[@]}" -- scripts/wine-run.sh build/windows/bin/keldra_bench.exe "$what" "$@"
