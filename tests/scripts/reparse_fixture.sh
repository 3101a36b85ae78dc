#!/usr/bin/env bash
# Wine cannot make a junction from inside (FSCTL_SET_REPARSE_POINT answers "not
# supported", CreateSymbolicLinkW does nothing), but it shows a Unix symbolic link to a
# folder as a reparse point. Before the Windows-side file tests, this puts one on the
# sandbox's drive D:, and removes it afterwards:
#
#   D:\keldra-reparse\target\inside.txt   holding "in"
#   D:\keldra-reparse\link                a relative link to target, inside the sandbox
#   D:\keldra-reparse\file-link.tmp       a relative link to target\inside.txt
#   D:\keldra-reparse\bin\ln              a copy of ln(1), which Wine runs as a Unix
#                                          program: the end-to-end cases make their own
#                                          relative links with it (its working folder
#                                          being a folder of the sandbox's drives)
#
#   reparse_fixture.sh create|remove      (KELDRA_SANDBOX names the sandbox)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)
# shellcheck source=../../scripts/lib/sandbox.sh
source "$here/lib/sandbox.sh"


[[ -n ${KELDRA_SANDBOX:-} ]] || die "KELDRA_SANDBOX is not set: run under scripts/with-sandbox.sh"
sandbox_check "$KELDRA_SANDBOX" || die "the sandbox $KELDRA_SANDBOX failed the check"
folder=$_keldra_checked_sb/drives/d/keldra-reparse

case ${1:-} in
    create)
        rm -rf -- "$folder"
        mkdir -p -- "$folder/target"
        printf 'in' >"$folder/target/inside.txt"
        ln -s target "$folder/link"
        ln -s target/inside.txt "$folder/file-link.tmp"
        mkdir -p -- "$folder/bin"
        cp -- "$(command -v ln)" "$folder/bin/ln"
        # The link must pass the same check as every drive entry.
        sandbox_check "$KELDRA_SANDBOX" || die "the reparse point leads out of the sandbox"
        ;;
    remove)
        # rm does not follow the link: only the link and the target folder go.
        rm -rf -- "$folder"
        ;;
    *) die "usage: ${0##*/} create|remove" ;;
esac
