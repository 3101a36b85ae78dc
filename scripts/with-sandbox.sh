#!/usr/bin/env bash
# Run a command with a fresh Wine sandbox:
#
#   with-sandbox.sh [--keep] [--cdrom] [--network] [--display] -- <command...>
#
# Makes a sandbox under ${TMPDIR:-/tmp}, exports KELDRA_SANDBOX for
# scripts/wine-run.sh, keeps one wineserver running for the whole command,
# and afterwards (also on failure or Ctrl-C) stops that server and removes
# the sandbox, unless --keep. Exits with the command's exit code.
#
# With --display the Windows programs draw on a private Xvfb server started
# for the command (DISPLAY points at it) and stopped afterwards; without it
# DISPLAY is unset, so that no window opens on a real screen and the window
# tests skip themselves.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/lib/sandbox.sh
source "$here/lib/sandbox.sh"



usage() {
    printf 'usage: %s [--keep] [--cdrom] [--network] [--display] -- <command...>\n' "$me"
}

keep=0
display=0
create_args=()
while (($#)); do
    case $1 in
        --keep) keep=1 ;;
        --cdrom | --network) create_args+=("$1") ;;
        --display) display=1 ;;
        --) shift; break ;;
        -h | --help) usage; exit 0 ;;
        *) usage >&2; die "unknown option $1 (the command goes after --)" ;;
    esac
    shift
done
(($#)) || { usage >&2; die "no command given"; }

sb=$(mktemp -d "${TMPDIR:-/tmp}/keldra-sandbox.XXXXXX")

# shellcheck disable=SC2317  # called by the trap
cleanup() {
    local status=$?
    set +e
    trap - EXIT HUP INT TERM
    # Also stops services.exe and any program a test left behind.
    if ! sandbox_server_stop "$sb"; then
        printf '%s: could not stop the wineserver of %s\n' "$me" "$sb" >&2
        ((status)) || status=1
    fi
    # After the server: its programs are gone and hold no X connection.
    if ! sandbox_display_stop "$sb"; then
        printf '%s: could not stop the X server of %s\n' "$me" "$sb" >&2
        ((status)) || status=1
    fi
    if ((keep)); then
        printf '%s: kept the sandbox %s (remove it with: %s/wine-sandbox.sh destroy %s)\n' \
            "$me" "$sb" "$here" "$sb" >&2
    elif ! rm -rf -- "$sb"; then
        printf '%s: could not remove %s\n' "$me" "$sb" >&2
        ((status)) || status=1
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

"$here/wine-sandbox.sh" create "$sb" "${create_args[@]}"
export KELDRA_SANDBOX=$sb
if ((display)); then
    sandbox_display_start "$sb" || die "could not start an X server for $sb"
else
    unset DISPLAY WAYLAND_DISPLAY
fi
sandbox_server_start "$sb" || die "could not start the wineserver for $sb"

status=0
"$@" || status=$?
exit "$status"
