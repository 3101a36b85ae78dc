#!/usr/bin/env bash
# Run one Windows program inside the Wine sandbox named by KELDRA_SANDBOX.
# CMAKE_CROSSCOMPILING_EMULATOR points here, so ctest runs every Windows test
# executable as: wine-run.sh <program.exe> [args...]
#
# The program and the *.dll, *.exe, *.avi and *.msi files beside it are copied to a
# fresh folder C:\keldra-run\<unique> (ctest may run several at once), which
# is also the current directory, and removed afterwards. The exit code is the
# program's. stdin is /dev/null unless KELDRA_RUN_STDIN=inherit.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/lib/sandbox.sh
source "$here/lib/sandbox.sh"



(($#)) || die "usage: $me <program.exe> [args...]"
program=$1
shift

if [[ -z ${KELDRA_SANDBOX:-} ]]; then
    die "KELDRA_SANDBOX is not set, so there is no Wine sandbox to run $program in. Run the tests through scripts/with-sandbox.sh (or scripts/test.sh); never with a plain Wine prefix."
fi
sandbox_check "$KELDRA_SANDBOX" || die "refusing to run $program: the sandbox $KELDRA_SANDBOX failed the check (see above)"
# The resolved root, as set by the passing check.
sb=$_keldra_checked_sb

# Make it absolute before changing directory, so that relative paths work.
# Links are kept (-s): the DLLs to copy sit beside the path given.
[[ -f $program ]] || die "program $program not found"
program=$(realpath -e -s -- "$program")
srcdir=${program%/*}
name=${program##*/}

case ${KELDRA_RUN_STDIN:-} in
    "" | null) inherit_stdin=0 ;;
    inherit) inherit_stdin=1 ;;
    *) die "KELDRA_RUN_STDIN must be null or inherit, not ${KELDRA_RUN_STDIN}" ;;
esac

runroot=$sb/prefix/drive_c/keldra-run
mkdir -p -- "$runroot"
# The pid makes the name unique among running copies even to Windows, which
# would not tell mktemp's upper- and lower-case names apart.
rundir=$(mktemp -d "$runroot/$$-XXXXXX")

# shellcheck disable=SC2317  # called by the trap
cleanup() {
    cd / && rm -rf -- "$rundir"
    # Pictures a test took for people to look at (C:\keldra-artifacts) come out of the
    # sandbox, as PNG where ImageMagick is there.
    local shots=$sb/prefix/drive_c/keldra-artifacts file out
    if [[ -n ${KELDRA_ARTIFACTS:-} && -d $shots ]]; then
        mkdir -p -- "$KELDRA_ARTIFACTS"
        # Other programs of the same sandbox may be taking pictures right now: only
        # finished pictures move (a test writes *.part and renames it), and the folder
        # stays for them.
        for file in "$shots"/*; do
            [[ -f $file && $file != *.part ]] || continue
            out=$KELDRA_ARTIFACTS/${file##*/}
            if [[ $file == *.bmp ]] && command -v convert >/dev/null &&
                convert "$file" "${out%.bmp}.png" 2>/dev/null; then
                rm -f -- "$file"
                continue
            fi
            cp -- "$file" "$out" && rm -f -- "$file"
        done
    fi
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Copies, not links: a link out of drive_c is exactly what the check forbids.
cp -- "$program" "$rundir/$name"
shopt -s nullglob nocaseglob
files=()
for file in "$srcdir"/*.dll "$srcdir"/*.exe "$srcdir"/*.avi "$srcdir"/*.msi; do
    [[ $file == "$program" ]] || files+=("$file")
done
shopt -u nullglob nocaseglob
if ((${#files[@]})); then
    cp -- "${files[@]}" "$rundir/"
fi

cd "$rundir"
sandbox_env "$sb" || die "refusing to run $program: could not set up the sandbox environment"

status=0
if ((inherit_stdin)); then
    "$KELDRA_WINE_DIR/wine64" "$rundir/$name" "$@" || status=$?
else
    "$KELDRA_WINE_DIR/wine64" "$rundir/$name" "$@" </dev/null || status=$?
fi
exit "$status"
