# shellcheck shell=bash
# Wine sandbox helpers, sourced by the scripts in scripts/ and by tests.
#
# A sandbox is one folder:
#   <sb>/.keldra-sandbox      marker: only folders holding it are ever used or removed
#   <sb>/prefix               the WINEPREFIX
#   <sb>/home, <sb>/xdg/...   HOME and XDG folders given to every Wine call
#   <sb>/tmp                  TMPDIR: wineserver keeps its socket folder there
#   <sb>/drives/<letter>      roots of the drives other than C:
#
# The program under test deletes files on fixed drives, so Wine must never
# see a drive or a link that leads out of the sandbox (a default prefix maps
# Z: to / and links the user folders to the real home). sandbox_check proves
# that before anything runs; sandbox_env refuses to set up the environment
# for a sandbox that has not passed it in this shell.
#
# Sourcing this file only defines functions and variables.

# Where wine64 and wineserver live. Tests point this at a fake Wine.
: "${KELDRA_WINE_DIR:=/usr/lib/wine}"

# The screen the Windows programs draw on: Wine's virtual desktop and the X server under it.
# Tall enough for the main window at 144 DPI (about 800 pixels with its frame).
KELDRA_SCREEN=1280x1024

# Resolved root of the sandbox that last passed sandbox_check in this shell.
_keldra_checked_sb=""
# Set by _sandbox_root.
_keldra_root=""

_sandbox_err() {
    printf '%s: %s\n' "${0##*/}" "$*" >&2
}

# The name the running script goes by in its messages, and how it stops on a fault.
# shellcheck disable=SC2034  # used by the scripts that source this file
me=${0##*/}
die() {
    _sandbox_err "$*"
    exit 1
}

# _sandbox_inside ROOT PATH: true if the resolved PATH is ROOT or below it.
_sandbox_inside() {
    [[ $2 == "$1" || $2 == "$1"/* ]]
}

# sandbox_capture ARRAY COMMAND...: the NUL-separated records COMMAND prints into ARRAY,
# returning COMMAND's status. No process substitution: with several test programs
# starting at once, bash 5.2 now and then gave -1 for a `wait` on one that had succeeded,
# which refused good runs. A pipeline is waited for as every command is; lastpipe keeps
# the reading end in this shell, and the status comes through the pipe as a last record.
sandbox_capture() {
    local -n _records=$1
    local _status _lastpipe=0
    shift
    shopt -q lastpipe && _lastpipe=1
    shopt -s lastpipe
    _records=()
    { "$@" && printf '0' || printf '%d' "$?"; } | mapfile -d '' _records
    ((_lastpipe)) || shopt -u lastpipe
    # Without the last record (lastpipe not in effect, say) nothing can be trusted.
    ((${#_records[@]})) || return 1
    _status=${_records[-1]}
    unset '_records[-1]'
    [[ $_status =~ ^[0-9]+$ ]] || return 1
    return "$_status"
}

# _sandbox_resolve ARRAY PATH...: resolve every PATH as realpath -m does
# (links followed, missing parts allowed) into ARRAY, with one realpath call;
# the checks run before every test program, so forks count.
_sandbox_resolve() {
    local -n _out=$1
    shift
    _out=()
    (($#)) || return 0
    sandbox_capture _out realpath -m -z -- "$@" && ((${#_out[@]} == $#))
}

# _sandbox_root SB: set _keldra_root to the resolved sandbox root, refusing
# / as a root.
_sandbox_root() {
    local sb=$1
    _keldra_root=""
    if [[ -z $sb ]]; then
        _sandbox_err "no sandbox folder given"
        return 1
    fi
    # cd -P resolves every link, like realpath -e, without starting a program.
    if ! _keldra_root=$(CDPATH='' cd -P -- "$sb" 2>/dev/null && pwd); then
        _keldra_root=""
        _sandbox_err "sandbox folder $sb does not exist"
        return 1
    fi
    if [[ $_keldra_root == / ]]; then
        _keldra_root=""
        _sandbox_err "refusing sandbox $sb: it resolves to /"
        return 1
    fi
}

# sandbox_check SB: return 0 only if nothing Wine can reach through SB leads
# outside SB. Prints every problem found, naming the drive or link and where
# it leads.
sandbox_check() {
    local sb=${1:-} root real_home dosdev entry name i attempt errors bad=0
    local -a paths=() what=() res=() roots=() links=()
    local -A seen=()
    _keldra_checked_sb=""

    _sandbox_root "$sb" || return 1
    root=$_keldra_root

    if [[ ! -f $root/.keldra-sandbox ]]; then
        _sandbox_err "refusing $sb: no .keldra-sandbox marker, so it is not a sandbox made by scripts/wine-sandbox.sh"
        return 1
    fi

    dosdev=$root/prefix/dosdevices
    # Without dosdevices Wine makes a new one with z: -> /.
    if [[ ! -d $dosdev ]]; then
        _sandbox_err "refusing $sb: prefix/dosdevices is missing; Wine would create it with drive Z: mapped to /"
        return 1
    fi

    # The account's home from the password database (~ with HOME unset), even
    # when HOME is faked: a sandbox holding it would make links into it look
    # harmless.
    real_home=$(unset HOME && printf '%s' ~)
    # The folders the Wine environment points at must themselves stay inside:
    # <sb>/home being a link to the real home would defeat everything else.
    paths=("${real_home:-/}" "$root/prefix" "$root/home" "$root/xdg/config" "$root/xdg/data"
        "$root/xdg/cache" "$root/tmp")
    what=("home folder" "prefix (Wine would get it as WINEPREFIX)" "home (Wine would get it as HOME)"
        "xdg/config (Wine would get it as XDG_CONFIG_HOME)" "xdg/data (Wine would get it as XDG_DATA_HOME)"
        "xdg/cache (Wine would get it as XDG_CACHE_HOME)" "tmp (Wine would get it as TMPDIR)")
    for entry in "$dosdev"/*; do
        name=${entry##*/}
        # Drives are "x:" and raw devices "x::"; com1, lpt1 and the like are
        # serial/parallel ports, not file systems.
        [[ $name =~ ^[A-Za-z]::?$ ]] || continue
        paths+=("$entry")
        what+=("drive $name")
    done
    if ! _sandbox_resolve res "${paths[@]}"; then
        _sandbox_err "refusing $sb: could not resolve its folders and drives"
        return 1
    fi

    if [[ ${res[0]} != / ]] && _sandbox_inside "$root" "${res[0]}"; then
        _sandbox_err "refusing sandbox $sb: it contains the home folder $real_home"
        return 1
    fi

    for ((i = 1; i < ${#paths[@]}; i++)); do
        if [[ ${what[i]} == "drive "[zZ]:* ]]; then
            _sandbox_err "refusing $sb: ${what[i]} exists (prefix/dosdevices/${what[i]#drive } -> $(readlink -- "${paths[i]}" || echo "${res[i]}")); a sandbox must have no Z: drive"
            bad=1
        elif ! _sandbox_inside "$root" "${res[i]}"; then
            if [[ ${what[i]} == "drive "* ]]; then
                _sandbox_err "refusing $sb: ${what[i]} leads to ${res[i]}, outside the sandbox (prefix/dosdevices/${what[i]#drive } -> $(readlink -- "${paths[i]}" || echo "${res[i]}"))"
            else
                _sandbox_err "refusing $sb: ${what[i]%% (*} leads to ${res[i]}, outside the sandbox (${what[i]#* (}"
            fi
            bad=1
        elif [[ ${what[i]} == "drive "* && -d ${res[i]} && -z ${seen[${res[i]}]:-} ]]; then
            seen[${res[i]}]=1
            roots+=("${res[i]}/")
        fi
    done

    # Any link below a drive root is reachable from Windows. One find and one
    # realpath for all of them keep this fast on a full prefix. Dangling links
    # are resolved as if their target existed (realpath -m).
    if ((${#roots[@]})); then
        # A find that failed would hide links, so it means refusal. But programs
        # running in the sandbox at the same time (ctest -j) create and remove
        # folders and links: find fails on a folder that vanishes under it even
        # with -ignore_readdir_race, and realpath on a link that a test has just
        # turned into a loop. Try again before giving up.
        for attempt in 1 2 3 fail; do
            if [[ $attempt == fail ]]; then
                _sandbox_err "refusing $sb: could not list and resolve the links below its drives"
                return 1
            fi
            [[ $attempt == 3 ]] && errors=/dev/stderr || errors=/dev/null
            sandbox_capture links find "${roots[@]}" -ignore_readdir_race -type l -print0 \
                2>"$errors" || continue
            _sandbox_resolve res "${links[@]}" 2>"$errors" && break
        done
        for i in "${!links[@]}"; do
            if ! _sandbox_inside "$root" "${res[i]}"; then
                _sandbox_err "refusing $sb: link ${links[i]#"$root"/} -> $(readlink -- "${links[i]}") leads to ${res[i]}, outside the sandbox"
                bad=1
            fi
        done
    fi

    ((bad == 0)) || return 1
    _keldra_checked_sb=$root
}

# _sandbox_wine_vars ROOT: export the Wine environment for ROOT, unchecked.
_sandbox_wine_vars() {
    local root=$1
    export WINEPREFIX="$root/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
    export WINEARCH=win64
    export HOME="$root/home"
    export XDG_CONFIG_HOME="$root/xdg/config"
    export XDG_DATA_HOME="$root/xdg/data"
    export XDG_CACHE_HOME="$root/xdg/cache"
    unset XDG_RUNTIME_DIR
    # Debian's wineserver makes its socket folder $TMPDIR/wine-XXXXXX and
    # leaves it behind; inside the sandbox it goes away with the sandbox.
    export TMPDIR="$root/tmp"
    # wine64 looks for its server here first; keep client and server from the
    # same Wine.
    export WINESERVER="$KELDRA_WINE_DIR/wineserver"
    case ":$PATH:" in
        ":$KELDRA_WINE_DIR:"*) ;;
        *) export PATH="$KELDRA_WINE_DIR:$PATH" ;;
    esac
}

# sandbox_env SB: export the Wine environment for SB. Refuses unless SB passed
# sandbox_check in this shell, and verifies the result once more.
sandbox_env() {
    local sb=${1:-} root i
    local -a vars=(WINEPREFIX HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME TMPDIR) res=()
    _sandbox_root "$sb" || return 1
    root=$_keldra_root
    if [[ -z $_keldra_checked_sb || $_keldra_checked_sb != "$root" ]]; then
        _sandbox_err "internal error: sandbox_env $sb called without a passing sandbox_check"
        return 1
    fi
    _sandbox_wine_vars "$root"
    _sandbox_resolve res "$WINEPREFIX" "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" \
        "$XDG_CACHE_HOME" "$TMPDIR" || return 1
    for i in "${!vars[@]}"; do
        if ! _sandbox_inside "$root" "${res[i]}"; then
            _sandbox_err "refusing: ${vars[i]}=${!vars[i]} leads to ${res[i]}, outside the sandbox $root"
            return 1
        fi
    done
}

# sandbox_server_start SB: start a persistent wineserver for SB so that each
# program of a batch does not pay for server start-up. SB must pass the check.
sandbox_server_start() {
    local sb=${1:-}
    sandbox_check "$sb" || return 1
    (
        sandbox_env "$sb" || exit 1
        cd "$WINEPREFIX" || exit 1
        # -p keeps it alive when idle; it daemonises and returns once ready.
        "$KELDRA_WINE_DIR/wineserver" -p </dev/null >/dev/null 2>&1
        # The first program of a prefix starts Wine's services (services.exe,
        # winedevice.exe), which live until the server stops and keep the
        # output of that first program open: under ctest, whose test waits for
        # its output to close, that test would never end. Start them here,
        # with nothing of ours to inherit.
        cd "$WINEPREFIX/drive_c" || exit 1
        "$KELDRA_WINE_DIR/wine64" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1
        # A program that loads user32 starts Wine's desktop process (explorer.exe
        # /desktop) if there is none; it inherits that program's standard error and
        # stays a second after the desktop's last user has gone, so under ctest every
        # window test would wait a second for it. Here one desktop is started for the
        # whole batch with nothing of ours to inherit, and kept by a resident user: a
        # cmd.exe that waits for input from a FIFO it holds open itself. wineserver -k
        # ends both with the rest.
        keeper=$TMPDIR/desktop-keeper
        rm -f -- "$keeper"
        mkfifo -- "$keeper" || exit 1
        "$KELDRA_WINE_DIR/wine64" cmd.exe /k <>"$keeper" >/dev/null 2>&1 &
        # rundll32 makes a window before it calls anything: that starts the desktop.
        "$KELDRA_WINE_DIR/wine64" rundll32.exe user32.dll,GetDesktopWindow \
            </dev/null >/dev/null 2>&1 || true
    ) || {
        _sandbox_err "could not start wineserver for $sb"
        return 1
    }
}

# sandbox_server_stop SB: kill the wineserver of SB and every Wine process
# attached to it. Works on a sandbox that fails the check too: it runs no
# Windows code, and stopping must always be possible. Returns 0 when no
# server was running.
sandbox_server_stop() {
    local sb=${1:-} root
    _sandbox_root "$sb" || return 1
    root=$_keldra_root
    [[ -d $root/prefix ]] || return 0
    (
        _sandbox_wine_vars "$root"
        cd "$WINEPREFIX" || exit 1
        # -k returns once the server has gone; non-zero means none was running.
        "$KELDRA_WINE_DIR/wineserver" -k </dev/null >/dev/null 2>&1 || true
    )
}

# sandbox_display_start SB: start a private X server (Xvfb, KELDRA_SCREEN, no TCP) for the
# Windows programs of SB to draw on, and export DISPLAY for it. Xvfb picks a free display
# number itself (-displayfd: it skips numbers whose lock file or socket is taken, with no
# race against another sandbox starting at the same time) and reports it only once it
# accepts connections. Its pid, number and log stay in <sb>/xvfb.*.
sandbox_display_start() {
    local sb=${1:-} root pid number="" i
    _sandbox_root "$sb" || return 1
    root=$_keldra_root
    if ! command -v Xvfb >/dev/null 2>&1; then
        _sandbox_err "Xvfb is not installed (Debian package xvfb)"
        return 1
    fi
    : >"$root/xvfb.display"
    Xvfb -displayfd 3 -screen 0 "${KELDRA_SCREEN}x24" -nolisten tcp \
        3>"$root/xvfb.display" </dev/null >"$root/xvfb.log" 2>&1 &
    pid=$!
    printf '%s\n' "$pid" >"$root/xvfb.pid"
    # read succeeds only on a whole line: the number is complete.
    for ((i = 0; i < 200; i++)); do
        if IFS= read -r number <"$root/xvfb.display" && [[ $number =~ ^[0-9]+$ ]]; then
            break
        fi
        number=""
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if [[ -z $number ]]; then
        _sandbox_err "Xvfb did not come up within 10 s (log: $root/xvfb.log)"
        sandbox_display_stop "$sb"
        return 1
    fi
    export DISPLAY=":$number"
    unset WAYLAND_DISPLAY
}

# sandbox_display_stop SB: stop the X server that sandbox_display_start started for SB.
# Returns 0 when none was running.
sandbox_display_stop() {
    local sb=${1:-} root pid i
    _sandbox_root "$sb" || return 1
    root=$_keldra_root
    [[ -f $root/xvfb.pid ]] || return 0
    pid=$(<"$root/xvfb.pid")
    if [[ $pid =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        # Reaps it when this shell started it; otherwise waits for it to go.
        wait "$pid" 2>/dev/null || true
        for ((i = 0; i < 50; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            kill -KILL "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    fi
    rm -f -- "$root/xvfb.pid"
}
