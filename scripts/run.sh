#!/usr/bin/env bash
# The main job on a sandboxed demo machine: installs what is missing, builds, makes a fresh
# Wine prefix under .sandbox/ (removing the previous one), installs Keldra Maintenance
# there, seeds demo registry problems and junk files, starts the program as a first-time
# user (on this display, or on a virtual one), and prints what the pass found and removed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=lib/packages.sh
. scripts/lib/packages.sh
ensure_packages

echo "== building"
cmake --preset windows >/dev/null
cmake --build --preset windows -- -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

mkdir -p .sandbox
for old in .sandbox/keldra-sandbox.*; do
    [[ -d $old ]] && scripts/wine-sandbox.sh destroy "$old"
done
display=(--display)
if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    display=()  # the user's own display
fi
TMPDIR=$root/.sandbox exec scripts/with-sandbox.sh --keep --cdrom --network "${display[@]}" -- \
    scripts/lib/demo-run.sh
