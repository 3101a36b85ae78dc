#!/usr/bin/env bash
# The house style, checked: every C++ source as clang-format writes it (.clang-format at
# the root), and every shell script clean under shellcheck. Prints what is off; exits 1 if
# anything is.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
mapfile -t scripts < <(git ls-files '*.sh' .ci/run)

if clang-format --dry-run --Werror "${sources[@]}"; then
    echo "format: ${#sources[@]} C++ files as clang-format writes them"
else
    echo "format: the files above differ from clang-format's layout (clang-format -i <file>)"
    status=1
fi

# -x follows the sourced libraries, whose paths the scripts give relative to themselves.
if shellcheck -x -P SCRIPTDIR "${scripts[@]}"; then
    echo "shell: ${#scripts[@]} scripts clean under shellcheck"
else
    echo "shell: shellcheck found the problems above"
    status=1
fi
exit "$status"
