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
unset WINEPREFIX KELDRA_SANDBOX KELDRA_RUN_STDIN FAKE_WINE_STATUS

fake_wine=$work/fake-wine
mkdir -p "$fake_wine"
export KELDRA_WINE_DIR=$fake_wine
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

# Each case gets a copy of this folder: a clean fake sandbox "box", laid out
# as wine-sandbox.sh makes it, and beside it "box-outside", named so that a
# plain string-prefix comparison with the sandbox path would call it inside.
template=$work/template
box=$template/box
mkdir -p "$box/prefix/dosdevices" "$box/home" "$box/xdg/config" "$box/xdg/data" \
    "$box/xdg/cache" "$box/tmp" "$box/drives/d" "$box/prefix/drive_c/windows/system32" \
    "$box/prefix/drive_c/users/x/Desktop" "$template/box-outside"
: >"$box/.keldra-sandbox"
echo marker >"$box/prefix/drive_c/users/x/Desktop/keldra-sandbox-folder.txt"
ln -s ../drive_c "$box/prefix/dosdevices/c:"
ln -s ../../drives/d "$box/prefix/dosdevices/d:"
# Links that stay inside are allowed, and ports are not drives.
ln -s ../../windows "$box/prefix/drive_c/users/x/win-link"
ln -s /dev/ttyS0 "$box/prefix/dosdevices/com1"
echo "must not be reachable" >"$template/box-outside/precious.txt"

# new_case NAME: copy the template to a folder of its own and set case_dir,
# sb (the sandbox) and outside for the case being built.
cases=()
new_case() {
    case_dir=$work/case${#cases[@]}
    cases+=("$1")
    cp -a -- "$template" "$case_dir"
    sb=$case_dir/box
    outside=$case_dir/box-outside
}

# start_refusal TEXT...: run both scripts on the current case in the
# background; finish_refusal checks them later. The cases run at once so
# that the whole test stays fast.
culprits=()
start_refusal() {
    local joined
    printf -v joined '%s\n' "$@"
    culprits+=("$joined")
    (
        status=0
        FAKE_WINE_LOG=$case_dir/wine-started "$check_cmd" check "$sb" \
            >"$case_dir/check.out" 2>&1 || status=$?
        echo "$status" >"$case_dir/check.status"
    ) &
    (
        status=0
        FAKE_WINE_LOG=$case_dir/wine-started KELDRA_SANDBOX=$sb "$run_cmd" "$build/dummy_test.exe" \
            >"$case_dir/run.out" 2>&1 </dev/null || status=$?
        echo "$status" >"$case_dir/run.status"
    ) &
}

failures=0
pass() { printf 'PASS %s\n' "$1"; }
fail() {
    printf 'FAIL %s: %s\n' "$1" "$2"
    failures=$((failures + 1))
}

# finish_refusal INDEX: both scripts must have exited non-zero, printed every
# culprit text, and left Wine unstarted.
finish_refusal() {
    local i=$1 dir=$work/case$1 script out text problem=""
    local -a texts=()
    mapfile -t texts <<<"${culprits[i]%$'\n'}"
    for script in check run; do
        out=$(<"$dir/$script.out")
        if [[ $(<"$dir/$script.status") == 0 ]]; then
            problem="$script accepted it: $out"
            break
        fi
        for text in "${texts[@]}"; do
            if [[ $out != *"$text"* ]]; then
                problem="$script did not name '$text': $out"
                break 2
            fi
        done
    done
    if [[ -z $problem && -e $dir/wine-started ]]; then
        problem="wine64 was started"
    fi
    if [[ -z $problem && -e $dir/box/prefix/drive_c/keldra-run ]]; then
        problem="wine-run.sh copied the program before refusing"
    fi
    if [[ -n $problem ]]; then fail "${cases[i]}" "$problem"; else pass "${cases[i]}"; fi
}

# --- refusals ---------------------------------------------------------------

new_case "z: drive mapped to /"
ln -s / "$sb/prefix/dosdevices/z:"
start_refusal "drive z:"

new_case "z: drive even when it points inside"
ln -s ../drive_c "$sb/prefix/dosdevices/z:"
start_refusal "drive z:"

new_case "d: drive leading outside"
ln -sfn "$outside" "$sb/prefix/dosdevices/d:"
start_refusal "drive d:" "$outside"

new_case "raw device d:: leading outside"
ln -s /dev/null "$sb/prefix/dosdevices/d::"
start_refusal "drive d::" "/dev/null"

new_case "Desktop link leading outside"
rm -r "$sb/prefix/drive_c/users/x/Desktop"
ln -s "$outside" "$sb/prefix/drive_c/users/x/Desktop"
start_refusal "users/x/Desktop" "$outside"

new_case "nested link deep below drive_c"
mkdir -p "$sb/prefix/drive_c/ProgramData/a/b/c/d/e"
ln -s "$outside/precious.txt" "$sb/prefix/drive_c/ProgramData/a/b/c/d/e/deep"
start_refusal "ProgramData/a/b/c/d/e/deep" "$outside/precious.txt"

new_case "relative link ../../.. escaping"
ln -s ../../.. "$sb/prefix/drive_c/up"
start_refusal "drive_c/up -> ../../.." "leads to $case_dir, outside"

new_case "dangling link that would lead outside"
ln -s "$outside/not-there-yet/file" "$sb/prefix/drive_c/dangling"
start_refusal "drive_c/dangling" "$outside/not-there-yet/file"

new_case "link below drive d: leading outside"
ln -s "$outside" "$sb/drives/d/escape"
start_refusal "drives/d/escape" "$outside"

new_case "sandbox home leading outside"
rm -r "${sb:?}/home"
ln -s "$outside" "$sb/home"
start_refusal "HOME" "$outside"

new_case "missing dosdevices (Wine would add z:)"
rm -r "$sb/prefix/dosdevices"
start_refusal "dosdevices"

new_case "missing .keldra-sandbox marker"
rm "$sb/.keldra-sandbox"
start_refusal ".keldra-sandbox"

wait
for i in "${!cases[@]}"; do
    finish_refusal "$i"
done

# KELDRA_SANDBOX unset: wine-run.sh must not fall back to any default prefix.
wine_log=$work/wine-started
status=0
out=$(FAKE_WINE_LOG=$wine_log "$run_cmd" "$build/dummy_test.exe" 2>&1 </dev/null) || status=$?
if ((status == 0)); then
    fail "KELDRA_SANDBOX unset" "wine-run.sh ran the program"
elif [[ $out != *KELDRA_SANDBOX* || $out != *with-sandbox.sh* ]]; then
    fail "KELDRA_SANDBOX unset" "message does not explain what to do: $out"
elif [[ -e $wine_log ]]; then
    fail "KELDRA_SANDBOX unset" "wine64 was started"
else
    pass "KELDRA_SANDBOX unset"
fi

# --- a clean sandbox is accepted and the program runs in C:\keldra-run ------

new_case "clean sandbox passes and runs in C:\\keldra-run"
wine_log=$case_dir/wine-started
problem=""
if ! out=$("$check_cmd" check "$sb" 2>&1); then
    problem="wine-sandbox.sh check refused it: $out"
else
    # Relative program path, arguments with spaces, the program's exit code
    # passed through, and stdin kept away from the program.
    status=0
    out=$(cd "$work" && FAKE_WINE_LOG=$wine_log FAKE_WINE_STATUS=7 KELDRA_SANDBOX=$sb \
        "$run_cmd" build/dummy_test.exe "two words" last 2>&1 <<<"secret") || status=$?
    if ((status != 7)); then
        problem="wine-run.sh exited $status, not the program's 7: $out"
    elif [[ ! -f $wine_log ]]; then
        problem="wine64 was not started: $out"
    else
        log=$(<"$wine_log")$'\n'
        exe=${log#*$'\n'exe=}
        exe=${exe%%$'\n'*}
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
if [[ -n $problem ]]; then fail "${cases[-1]}" "$problem"; else pass "${cases[-1]}"; fi

if ((failures)); then
    printf '%d case(s) failed\n' "$failures"
    exit 1
fi
