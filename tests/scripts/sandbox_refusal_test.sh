#!/usr/bin/env bash
# The Windows-side tests run a program that deletes files on fixed drives, so
# scripts/wine-sandbox.sh check and scripts/wine-run.sh must refuse any
# sandbox from which Wine could reach a file outside it, and must do so before
# Wine starts. This test builds fake sandboxes (no real prefix, no Wine) and
# runs both scripts on each; KELDRA_WINE_DIR points them at a fake wine64
# that only records how it was called.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
check_cmd=$repo/scripts/wine-sandbox.sh
run_cmd=$repo/scripts/wine-run.sh

work=$(mktemp -d "${TMPDIR:-/tmp}/keldra-refusal-test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT

# Even a broken script must not find the real home from here.
export HOME=$work/home
mkdir -p "$HOME"
unset WINEPREFIX KELDRA_SANDBOX KELDRA_RUN_STDIN

# A folder outside every fake sandbox, named so that a plain string-prefix
# comparison with the sandbox path ($work/box) would wrongly call it inside.
outside=$work/box-outside
mkdir -p "$outside"
echo "must not be reachable" >"$outside/precious.txt"

fake_wine=$work/fake-wine
mkdir -p "$fake_wine"
export KELDRA_WINE_DIR=$fake_wine
export FAKE_WINE_LOG=$work/wine-started
cat >"$fake_wine/wine64" <<'EOF'
#!/usr/bin/env bash
{
    printf 'pwd=%s\n' "$PWD"
    printf 'exe=%s\n' "$1"
    shift
    for arg in "$@"; do printf 'arg=%s\n' "$arg"; done
    printf 'WINEPREFIX=%s\n' "${WINEPREFIX:-}"
    printf 'HOME=%s\n' "$HOME"
    printf 'TMPDIR=%s\n' "${TMPDIR:-}"
    printf 'stdin=%s\n' "$(cat)"
    for file in "$PWD"/*; do printf 'file=%s\n' "${file##*/}"; done
} >"$FAKE_WINE_LOG"
exit "${FAKE_WINE_STATUS:-0}"
EOF
cp "$fake_wine/wine64" "$fake_wine/wineserver"
chmod +x "$fake_wine/wine64" "$fake_wine/wineserver"

# The program to run: a stand-in test executable with a DLL beside it, and a
# file that must not be copied.
build=$work/build
mkdir -p "$build"
printf 'MZ not really a program\n' >"$build/dummy_test.exe"
printf 'MZ not really a dll\n' >"$build/helper.dll"
printf 'notes\n' >"$build/notes.txt"

# A clean fake sandbox laid out as wine-sandbox.sh makes it; each case
# starts from a copy.
template=$work/template
mkdir -p "$template/prefix/dosdevices" "$template/home" "$template/xdg/config" \
    "$template/xdg/data" "$template/xdg/cache" "$template/tmp" "$template/drives/d" \
    "$template/prefix/drive_c/windows/system32" "$template/prefix/drive_c/users/x/Desktop"
: >"$template/.keldra-sandbox"
echo marker >"$template/prefix/drive_c/users/x/Desktop/keldra-sandbox-folder.txt"
ln -s ../drive_c "$template/prefix/dosdevices/c:"
ln -s ../../drives/d "$template/prefix/dosdevices/d:"
# Links that stay inside are allowed, and ports are not drives.
ln -s ../../windows "$template/prefix/drive_c/users/x/win-link"
ln -s /dev/ttyS0 "$template/prefix/dosdevices/com1"

# make_sandbox: a fresh copy of the template at $work/box, path on stdout.
make_sandbox() {
    rm -rf -- "$work/box"
    cp -a -- "$template" "$work/box"
    printf '%s\n' "$work/box"
}

failures=0
pass() { printf 'PASS %s\n' "$1"; }
fail() {
    printf 'FAIL %s: %s\n' "$1" "$2"
    failures=$((failures + 1))
}

# expect_refusal CASE SANDBOX TEXT...: both scripts must exit non-zero, print
# every TEXT (the culprit) and leave Wine unstarted.
expect_refusal() {
    local name=$1 sb=$2 out status text problem=""
    shift 2
    rm -f -- "$FAKE_WINE_LOG"

    status=0
    out=$("$check_cmd" check "$sb" 2>&1) || status=$?
    if ((status == 0)); then
        problem="wine-sandbox.sh check accepted it"
    else
        for text in "$@"; do
            [[ $out == *"$text"* ]] || problem="wine-sandbox.sh check did not name '$text': $out"
        done
    fi

    if [[ -z $problem ]]; then
        status=0
        out=$(KELDRA_SANDBOX=$sb "$run_cmd" "$build/dummy_test.exe" 2>&1 </dev/null) || status=$?
        if ((status == 0)); then
            problem="wine-run.sh ran the program"
        else
            for text in "$@"; do
                [[ $out == *"$text"* ]] || problem="wine-run.sh did not name '$text': $out"
            done
        fi
    fi

    if [[ -z $problem && -e $FAKE_WINE_LOG ]]; then
        problem="wine64 was started"
    fi
    if [[ -z $problem && -e $sb/prefix/drive_c/keldra-run ]]; then
        problem="wine-run.sh copied the program before refusing"
    fi

    if [[ -n $problem ]]; then fail "$name" "$problem"; else pass "$name"; fi
}

# --- refusals ---------------------------------------------------------------

sb=$(make_sandbox)
ln -s / "$sb/prefix/dosdevices/z:"
expect_refusal "z: drive mapped to /" "$sb" "drive z:"

sb=$(make_sandbox)
ln -s ../drive_c "$sb/prefix/dosdevices/z:"
expect_refusal "z: drive even when it points inside" "$sb" "drive z:"

sb=$(make_sandbox)
rm "$sb/prefix/dosdevices/d:"
ln -s "$outside" "$sb/prefix/dosdevices/d:"
expect_refusal "d: drive leading outside" "$sb" "drive d:" "$outside"

sb=$(make_sandbox)
ln -s /dev/null "$sb/prefix/dosdevices/d::"
expect_refusal "raw device d:: leading outside" "$sb" "drive d::" "/dev/null"

sb=$(make_sandbox)
rm -r "$sb/prefix/drive_c/users/x/Desktop"
ln -s "$outside" "$sb/prefix/drive_c/users/x/Desktop"
expect_refusal "Desktop link leading outside" "$sb" "users/x/Desktop" "$outside"

sb=$(make_sandbox)
mkdir -p "$sb/prefix/drive_c/ProgramData/a/b/c/d/e"
ln -s "$outside/precious.txt" "$sb/prefix/drive_c/ProgramData/a/b/c/d/e/deep"
expect_refusal "nested link deep below drive_c" "$sb" "ProgramData/a/b/c/d/e/deep" "$outside/precious.txt"

sb=$(make_sandbox)
ln -s ../../.. "$sb/prefix/drive_c/up"
expect_refusal "relative link ../../.. escaping" "$sb" "drive_c/up -> ../../.." "leads to $work, outside"

sb=$(make_sandbox)
ln -s "$outside/not-there-yet/file" "$sb/prefix/drive_c/dangling"
expect_refusal "dangling link that would lead outside" "$sb" "drive_c/dangling" "$outside/not-there-yet/file"

sb=$(make_sandbox)
ln -s "$outside" "$sb/drives/d/escape"
expect_refusal "link below drive d: leading outside" "$sb" "drives/d/escape" "$outside"

sb=$(make_sandbox)
rm -r "${sb:?}/home"
ln -s "$outside" "$sb/home"
expect_refusal "sandbox home leading outside" "$sb" "HOME" "$outside"

sb=$(make_sandbox)
rm -r "$sb/prefix/dosdevices"
expect_refusal "missing dosdevices (Wine would add z:)" "$sb" "dosdevices"

sb=$(make_sandbox)
rm "$sb/.keldra-sandbox"
expect_refusal "missing .keldra-sandbox marker" "$sb" ".keldra-sandbox"

# KELDRA_SANDBOX unset: wine-run.sh must not fall back to any default prefix.
rm -f -- "$FAKE_WINE_LOG"
status=0
out=$("$run_cmd" "$build/dummy_test.exe" 2>&1 </dev/null) || status=$?
if ((status == 0)); then
    fail "KELDRA_SANDBOX unset" "wine-run.sh ran the program"
elif [[ $out != *KELDRA_SANDBOX* || $out != *with-sandbox.sh* ]]; then
    fail "KELDRA_SANDBOX unset" "message does not explain what to do: $out"
elif [[ -e $FAKE_WINE_LOG ]]; then
    fail "KELDRA_SANDBOX unset" "wine64 was started"
else
    pass "KELDRA_SANDBOX unset"
fi

# --- a clean sandbox is accepted and the program runs in C:\keldra-run ------

sb=$(make_sandbox)
rm -f -- "$FAKE_WINE_LOG"
name="clean sandbox passes and runs in C:\\keldra-run"
problem=""
if ! out=$("$check_cmd" check "$sb" 2>&1); then
    problem="wine-sandbox.sh check refused it: $out"
else
    # Relative program path, arguments with spaces, the program's exit code
    # passed through, and stdin kept away from the program.
    status=0
    out=$(cd "$work" && FAKE_WINE_STATUS=7 KELDRA_SANDBOX=$sb \
        "$run_cmd" build/dummy_test.exe "two words" last 2>&1 <<<"secret") || status=$?
    if ((status != 7)); then
        problem="wine-run.sh exited $status, not the program's 7: $out"
    elif [[ ! -f $FAKE_WINE_LOG ]]; then
        problem="wine64 was not started: $out"
    else
        log=$(<"$FAKE_WINE_LOG")$'\n'
        exe=$(sed -n 's/^exe=//p' "$FAKE_WINE_LOG")
        rundir=${exe%/*}
        if [[ $rundir != "$sb/prefix/drive_c/keldra-run/"* || ${exe##*/} != dummy_test.exe ]]; then
            problem="program not run from a copy in drive_c/keldra-run: exe=$exe"
        elif [[ $log != *"pwd=$rundir"$'\n'* ]]; then
            problem="current directory is not the run folder: $log"
        elif [[ $log != *$'arg=two words\narg=last\n'* ]]; then
            problem="arguments not passed as given: $log"
        elif [[ $log != *"WINEPREFIX=$sb/prefix"$'\n'* || $log != *"HOME=$sb/home"$'\n'* ||
            $log != *"TMPDIR=$sb/tmp"$'\n'* ]]; then
            problem="Wine environment not inside the sandbox: $log"
        elif [[ $log != *$'file=helper.dll\n'* ]]; then
            problem="DLL beside the program not copied: $log"
        elif [[ $log == *"file=notes.txt"* ]]; then
            problem="copied a file that is neither .exe, .dll nor .avi: $log"
        elif [[ $log != *$'stdin=\n'* ]]; then
            problem="program could read wine-run.sh's stdin: $log"
        elif [[ -e $rundir ]]; then
            problem="run folder $rundir left behind"
        fi
    fi
fi
if [[ -n $problem ]]; then fail "$name" "$problem"; else pass "$name"; fi

if ((failures)); then
    printf '%d case(s) failed\n' "$failures"
    exit 1
fi
