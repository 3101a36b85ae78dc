#!/usr/bin/env bash
# Create, check and destroy Wine sandboxes for the Windows-side tests.
#
#   wine-sandbox.sh create <sb> [--cdrom] [--network]
#   wine-sandbox.sh check <sb>
#   wine-sandbox.sh destroy <sb>
#
# A sandbox has drive C: (the prefix's drive_c), a fixed drive D: (drives/d),
# with --cdrom a CD-ROM drive E: (drives/e, label KELDRA_CD) and with
# --network a network drive N: (drives/n). It has no Z: drive and no link
# into the real home, so the cleaner under test cannot reach the machine's
# own files. See scripts/lib/sandbox.sh for the layout. Its Tahoma is DejaVu
# Sans Condensed, or Wine's own with KELDRA_SANDBOX_TAHOMA=wine (see the fonts
# below).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/lib/sandbox.sh
source "$here/lib/sandbox.sh"

MARKER_NAME=keldra-sandbox-folder.txt


usage() {
    cat <<EOF
usage: $me create <folder> [--cdrom] [--network]
       $me check <folder>
       $me destroy <folder>
EOF
}

now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    printf '%s\n' "$((t / 1000))"
}

# seconds_since START_MS: elapsed time as "S.SS".
seconds_since() {
    local ms=$(($(now_ms) - $1))
    printf '%d.%02d' "$((ms / 1000))" "$((ms % 1000 / 10))"
}

# reg_has FILE KEY LINE: true if the Wine registry file FILE has LINE in KEY.
# Wine writes keys as [Software\\Wine\\Drives] <time>; key names compare
# case-insensitively, as in Windows.
reg_has() {
    KEY="[$2]" LINE=$3 awk '
        BEGIN { key = tolower(ENVIRON["KEY"]); line = ENVIRON["LINE"] }
        /^\[/ { inside = (index(tolower($0), key " ") == 1 || tolower($0) == key); next }
        inside && $0 == line { found = 1 }
        END { exit !found }
    ' "$1"
}

cmd_create() {
    local sb="" cdrom=0 network=0 root start log letter font fonts wine_fonts
    local tahoma=${KELDRA_SANDBOX_TAHOMA:-}
    while (($#)); do
        case $1 in
            --cdrom) cdrom=1 ;;
            --network) network=1 ;;
            -*) die "create: unknown option $1" ;;
            *)
                [[ -z $sb ]] || die "create: more than one folder given ($sb, $1)"
                sb=$1
                ;;
        esac
        shift
    done
    [[ -n $sb ]] || { usage >&2; exit 2; }
    if [[ $tahoma != wine && ! -f /usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf ]]; then
        die "create: DejaVu Sans Condensed, the sandbox's Tahoma, is missing (Debian package fonts-dejavu-extra)"
    fi

    # An existing folder is fine only when empty (mktemp -d hands us one);
    # anything else might be someone's data.
    if [[ -e $sb || -L $sb ]]; then
        [[ -d $sb && ! -L $sb ]] || die "create: $sb exists and is not a folder"
        [[ -z $(ls -A -- "$sb") ]] || die "create: $sb exists and is not empty"
    fi
    start=$(now_ms)
    mkdir -p -- "$sb"
    root=$(realpath -e -- "$sb")

    # The marker goes first so that a half-made sandbox can still be destroyed.
    printf 'Wine sandbox made by scripts/wine-sandbox.sh. Remove it with: scripts/wine-sandbox.sh destroy %s\n' \
        "$root" >"$root/.keldra-sandbox"
    mkdir -p "$root/home" "$root/xdg/config" "$root/xdg/data" "$root/xdg/cache" "$root/tmp" \
        "$root/prefix/drive_c" "$root/prefix/dosdevices" "$root/drives/d"

    # Wine adds z: -> / only when it creates dosdevices itself, so lay it out
    # beforehand. It then does not create drive_c either, hence the mkdir above.
    # Relative links keep the sandbox valid if the folder is moved.
    ln -s ../drive_c "$root/prefix/dosdevices/c:"
    ln -s ../../drives/d "$root/prefix/dosdevices/d:"
    if ((cdrom)); then
        mkdir -p "$root/drives/e"
        printf 'KELDRA_CD\n' >"$root/drives/e/.windows-label"
        ln -s ../../drives/e "$root/prefix/dosdevices/e:"
    fi
    if ((network)); then
        mkdir -p "$root/drives/n"
        ln -s ../../drives/n "$root/prefix/dosdevices/n:"
    fi

    # Drive types are read by mountmgr when the server starts; the server
    # exits at the end of create, so they are in force from the next call.
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
        printf '"d:"="hd"\r\n'
        if ((cdrom)); then printf '"e:"="cdrom"\r\n'; fi
        if ((network)); then printf '"n:"="network"\r\n'; fi
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n'
        printf '"Desktop"="Default"\r\n'
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n'
        printf '"Default"="%s"\r\n' "$KELDRA_SCREEN"
        if [[ $tahoma != wine ]]; then
            printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
            printf '"Tahoma"="DejaVu Sans Condensed"\r\n'
        fi
    } >"$root/prefix/drive_c/keldra-setup.reg"

    sandbox_check "$root" || die "create: the new sandbox $root failed the check before Wine ran"

    log=$root/create.log
    # set -e does not apply inside an "if !" subshell: each step checks itself.
    if ! (
        sandbox_env "$root" || exit 1
        # No display is needed to make a prefix; a window would only get in
        # the way.
        unset DISPLAY WAYLAND_DISPLAY
        cd "$WINEPREFIX/drive_c" || exit 1
        "$KELDRA_WINE_DIR/wine64" wineboot -i || exit 1
        # Once in a while, under load, the first program after wineboot fails
        # to start ("ShellExecuteEx failed: Internal error"); after the server
        # has settled it works.
        if ! "$KELDRA_WINE_DIR/wine64" reg import 'C:\keldra-setup.reg'; then
            echo "reg import failed; retrying after wineserver -w"
            "$KELDRA_WINE_DIR/wineserver" -w
            "$KELDRA_WINE_DIR/wine64" reg import 'C:\keldra-setup.reg' || exit 1
        fi
        # Waiting for the server to exit is what writes the registry to disk.
        "$KELDRA_WINE_DIR/wineserver" -w
    ) </dev/null >"$log" 2>&1; then
        sandbox_server_stop "$root" || true
        sed "s/^/$me: wine: /" "$log" >&2
        die "create: Wine failed to set up $root (log above and in $log); remove it with: $me destroy $root"
    fi
    rm -f "$root/prefix/drive_c/keldra-setup.reg"

    # Debian's Wine looks for its own fonts in /usr/share/fonts instead of its data
    # folder, so it finds neither Tahoma nor Marlett: title-bar buttons come out as the
    # letters "0 1 r" and the dialog font falls back to DejaVu Sans. Copies in the
    # prefix's Fonts folder are found as on Windows (copies, not links: nothing below a
    # drive may lead out of the sandbox).
    # Wine's Tahoma, though, has bitmaps for 8 to 16 pixels only (8.25 pt up to 120 DPI)
    # and draws larger sizes from outlines of Bitstream Vera's shape, whose bold is not
    # bold. Without it, the replacement set above makes DejaVu Sans Condensed (Vera's
    # heir, with a bold face; within a few per cent of Tahoma's widths, a little narrower)
    # the Tahoma of every DPI. KELDRA_SANDBOX_TAHOMA=wine keeps Wine's Tahoma instead, for
    # measuring with Tahoma's own widths.
    wine_fonts=/usr/share/wine/fonts
    fonts=$root/prefix/drive_c/windows/Fonts
    if [[ -d $wine_fonts && -d $fonts ]]; then
        for font in "$wine_fonts"/*.ttf; do
            if [[ $tahoma != wine && ${font##*/} == tahoma*.ttf ]]; then
                continue
            fi
            cp -- "$font" "$fonts/" || die "create: could not copy Wine's font $font into $fonts"
        done
    fi

    # reg import says little when a value is not written; read it back.
    reg_has "$root/prefix/system.reg" 'Software\\Wine\\Drives' '"d:"="hd"' ||
        die "create: drive type of d: missing from $root/prefix/system.reg"
    if ((cdrom)); then
        reg_has "$root/prefix/system.reg" 'Software\\Wine\\Drives' '"e:"="cdrom"' ||
            die "create: drive type of e: missing from $root/prefix/system.reg"
    fi
    if ((network)); then
        reg_has "$root/prefix/system.reg" 'Software\\Wine\\Drives' '"n:"="network"' ||
            die "create: drive type of n: missing from $root/prefix/system.reg"
    fi
    if [[ $tahoma != wine ]]; then
        reg_has "$root/prefix/user.reg" 'Software\\Wine\\Fonts\\Replacements' \
            '"Tahoma"="DejaVu Sans Condensed"' ||
            die "create: the replacement of Tahoma is missing from $root/prefix/user.reg"
    fi
    reg_has "$root/prefix/user.reg" 'Software\\Wine\\Explorer' '"Desktop"="Default"' ||
        die "create: virtual desktop setting missing from $root/prefix/user.reg"
    reg_has "$root/prefix/user.reg" 'Software\\Wine\\Explorer\\Desktops' "\"Default\"=\"$KELDRA_SCREEN\"" ||
        die "create: virtual desktop size missing from $root/prefix/user.reg"

    # wineboot links Desktop, Documents, Music, ... to $HOME. HOME is inside
    # the sandbox, but a later prefix update would re-link them to whatever
    # HOME is then, and Wine only replaces a missing or empty folder, so make
    # each one a plain folder that is never empty.
    local link
    local -a links=()
    sandbox_capture links find "$root/prefix/drive_c" -type l -print0 ||
        die "create: could not list the links below $root/prefix/drive_c"
    for link in "${links[@]}"; do
        rm -f -- "$link"
        mkdir -p -- "$link"
        printf "Plain folder put here by scripts/wine-sandbox.sh in place of Wine's link to the home folder.\n" \
            >"$link/$MARKER_NAME"
    done

    sandbox_check "$root" || die "create: the new sandbox $root failed the check; remove it with: $me destroy $root"

    # Show which drives the sandbox has, for the log of whoever made it.
    for letter in "$root"/prefix/dosdevices/?:; do
        printf '%s: drive %s -> %s\n' "$me" "${letter##*/}" "$(readlink -- "$letter")" >&2
    done
    printf '%s: created %s in %s s\n' "$me" "$root" "$(seconds_since "$start")" >&2
}

cmd_check() {
    (($# == 1)) || { usage >&2; exit 2; }
    local start
    start=$(now_ms)
    sandbox_check "$1" || exit 1
    printf '%s: %s passed the check in %s s\n' "$me" "$1" "$(seconds_since "$start")" >&2
}

cmd_destroy() {
    (($# == 1)) || { usage >&2; exit 2; }
    local sb=$1 root real_home
    [[ -d $sb && ! -L $sb ]] || die "destroy: $sb is not a folder"
    root=$(realpath -e -- "$sb")
    [[ $root != / ]] || die "destroy: refusing to remove /"
    # The account's home, even when HOME is faked.
    real_home=$(unset HOME && printf '%s' ~)
    real_home=$(realpath -m -- "${real_home:-/}")
    if [[ $real_home != / && ($real_home == "$root" || $real_home == "$root"/*) ]]; then
        die "destroy: refusing to remove $root: it contains the home folder $real_home"
    fi
    # Only ever remove what create made.
    [[ -f $root/.keldra-sandbox ]] || die "destroy: $sb has no .keldra-sandbox marker; not removing it"
    sandbox_server_stop "$root" || die "destroy: could not stop the wineserver of $root"
    rm -rf -- "$root"
}

(($#)) || { usage >&2; exit 2; }
command=$1
shift
case $command in
    create) cmd_create "$@" ;;
    check) cmd_check "$@" ;;
    destroy) cmd_destroy "$@" ;;
    -h | --help) usage ;;
    *) usage >&2; die "unknown command $command" ;;
esac
