#!/usr/bin/env bash
# The demo pass inside a sandbox made by with-sandbox.sh (KELDRA_SANDBOX set, its
# wineserver running): installs the program, seeds the demo machine, lets the driver play
# a first-time user, and compares the machine before and after.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=sandbox.sh
source "$root/scripts/lib/sandbox.sh"
bin=$root/build/windows/bin
artifacts=${KELDRA_ARTIFACTS:-$root/artifacts}
sb=$KELDRA_SANDBOX

sandbox_check "$sb" || exit 1
sb=$_keldra_checked_sb
sandbox_env "$sb" || exit 1
wine=$KELDRA_WINE_DIR/wine64

# A Windows path on a sandbox drive as a path of this machine.
unix_path() {
    local p=${1//\\//} drive
    drive=$(printf '%s' "${p:0:1}" | tr '[:upper:]' '[:lower:]')
    case $drive in
        c) printf '%s/drive_c%s' "$WINEPREFIX" "${p:2}" ;;
        *) printf '%s/drives/%s%s' "$sb" "$drive" "${p:2}" ;;
    esac
}

# Every file of the drives with its size, as "path<TAB>bytes".
snapshot() { (cd "$sb" && find prefix/drive_c drives -type f ! -path '*/keldra-run/*' \
    ! -path '*/keldra-artifacts/*' ! -path '*/Program Files/Keldra Maintenance/*' \
    -printf '%p\t%s\n' | LC_ALL=C sort); }

echo "== installing in C:\\Program Files\\Keldra Maintenance (msiexec /i keldra.msi /qn)"
# Through the package, as a user or a fleet installs it.
cp "$bin/keldra.msi" "$WINEPREFIX/drive_c/keldra.msi"
(cd "$WINEPREFIX/drive_c" && "$wine" msiexec /i 'C:\keldra.msi' /qn </dev/null >/dev/null 2>&1) || {
    echo "msiexec could not install keldra.msi" >&2
    exit 1
}
rm -f "$WINEPREFIX/drive_c/keldra.msi"
install=$WINEPREFIX/drive_c/Program\ Files/Keldra\ Maintenance
for file in keldra.exe lang.dll freemem.exe cpuscan.avi; do
    [[ -f $install/$file ]] || { echo "the package did not install $file" >&2; exit 1; }
done

echo "== seeding the demo machine"
snapshot >"$sb/baseline.txt"
cp "$root/scripts/demo/registry-problems.reg" "$WINEPREFIX/drive_c/demo-problems.reg"
(cd "$WINEPREFIX/drive_c" && "$wine" regedit /S 'C:\demo-problems.reg' </dev/null >/dev/null 2>&1)
rm -f "$WINEPREFIX/drive_c/demo-problems.reg"
# KEY|NAME of every seeded value ("" is the default value).
# A value after the comment "; not a problem" is seeded for another value's sake and is
# not counted.
awk '/^; not a problem/{ skip = 1; next }
     /^\[/{ key = substr($0, 2, length($0) - 2); next }
     skip { skip = 0; next }
     /^@=/{ print key "|"; next }
     /^"/{ name = $0; sub(/^"/, "", name); sub(/"=.*$/, "", name); gsub(/\\\\/, "\\", name);
           print key "|" name }' "$root/scripts/demo/registry-problems.reg" >"$sb/seeded-values.txt"
value_present() {
    local key=$1 name=$2
    if [[ -z $name ]]; then
        # A key without a default value still answers /ve, with "(value not set)".
        local out
        out=$(cd "$WINEPREFIX/drive_c" && "$wine" reg query "$key" /ve </dev/null 2>/dev/null) || return 1
        [[ $out == *"(Default)"* && $out != *"(value not set)"* ]]
    else
        (cd "$WINEPREFIX/drive_c" && "$wine" reg query "$key" /v "$name" </dev/null >/dev/null 2>&1)
    fi
}
seeded=0
while IFS='|' read -r key name; do
    value_present "$key" "$name" && seeded=$((seeded + 1))
done <"$sb/seeded-values.txt"

junk=0 keep=0 junk_bytes=0
while IFS='|' read -r path size mark; do
    [[ -z $path || $path == \#* ]] && continue
    file=$(unix_path "$path")
    mkdir -p "$(dirname "$file")"
    head -c "$size" /dev/zero >"$file"
    if [[ ${mark:-} == keep ]]; then keep=$((keep + 1)); else junk=$((junk + 1)) junk_bytes=$((junk_bytes + size)); fi
done <"$root/scripts/demo/junk-files.txt"
snapshot >"$sb/before.txt"
echo "   $seeded registry values pointing nowhere, $junk junk files ($junk_bytes bytes), $keep look-alikes to keep"

echo "== running Keldra Maintenance as a first-time user"
run=$WINEPREFIX/drive_c/keldra-run/driver
mkdir -p "$run"
cp "$bin/keldra_driver.exe" "$run/"
started=$SECONDS
status=0
(cd "$run" && "$wine" 'C:\keldra-run\driver\keldra_driver.exe' \
    'C:\Program Files\Keldra Maintenance' 'C:\keldra-artifacts' </dev/null) || status=$?
echo "   the pass took $((SECONDS - started)) s, exit code $status"

snapshot >"$sb/after.txt"
removed=$(comm -23 "$sb/before.txt" "$sb/after.txt" | cut -f1)
removed_count=$(printf '%s' "$removed" | grep -c . || true)
removed_bytes=$(comm -23 "$sb/before.txt" "$sb/after.txt" | awk -F'\t' '{ s += $2 } END { print s + 0 }')
# Of those, files the fresh prefix already held: the program must never touch them.
removed_own=$(comm -12 <(printf '%s\n' "$removed" | LC_ALL=C sort) <(cut -f1 "$sb/baseline.txt") | grep -c . || true)
left=0
while IFS='|' read -r key name; do
    value_present "$key" "$name" && left=$((left + 1))
done <"$sb/seeded-values.txt"

mkdir -p "$artifacts"
shots=()
for bmp in "$WINEPREFIX"/drive_c/keldra-artifacts/*.bmp; do
    [[ -e $bmp ]] || continue
    png=$artifacts/$(basename "${bmp%.bmp}").png
    convert "$bmp" "$png" && shots+=("$png")
done

echo
echo "== summary"
backup=$WINEPREFIX/drive_c/sysbackup.reg
if [[ -f $backup ]]; then
    # The backup holds one entry per removed value, under its key: what was fixed, by kind.
    echo "   registry problems fixed, by kind (from the backup's entries):"
    tr -d '\r' <"$backup" | awk '
        /^\[/ { key = tolower($0); next }
        /^("|@)/ {
            if (key ~ /\\shareddlls\]/) kind = "shared libraries that are gone"
            else if (key ~ /\\fonts\]/) kind = "fonts that are gone"
            else if (key ~ /^\[hkey_classes_root\\\./) kind = "file associations"
            else if (key ~ /\\(clsid|typelib|interface)\\/) kind = "COM registrations"
            else kind = "references to missing files and folders"
            count[kind]++; total++
        }
        END { for (k in count) printf "     %5d  %s\n", count[k], k; printf "     %5d  in all\n", total }'
    echo "   registry backup: C:\\sysbackup.reg, $(tr -d '\r' <"$backup" | grep -c '^"\|^@') values it can restore"
    echo "     (in the sandbox: $backup)"
else
    echo "   registry backup: none written"
fi
echo "   demo registry values pointing nowhere: $seeded seeded, $((seeded - left)) removed, $left still there"
echo "   junk files: $junk seeded ($junk_bytes bytes); removed from the drives: $removed_count files," \
    "$((removed_bytes / 1024)) KB"
echo "   files of the fresh prefix removed: $removed_own"
if [[ -n $removed ]]; then printf '%s\n' "$removed" | sed 's/^/     /'; fi
if ((${#shots[@]})); then printf '   screenshot: %s\n' "${shots[@]}"; fi
echo "   sandbox kept for a look: $sb"
exit "$status"
