# Debian packages the build and the tests need; sourced by the README commands.
# shellcheck shell=bash

KELDRA_PACKAGES=(
    cmake ninja-build g++ googletest libgtest-dev
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    binutils-mingw-w64-x86-64
    wine64 libwine fonts-wine fonts-dejavu-core fonts-dejavu-extra
    xvfb x11-utils imagemagick
    wixl
    clang-format shellcheck
)

# Installs whatever of KELDRA_PACKAGES is missing. As root it uses apt-get; otherwise it
# prints the exact command to run and fails.
ensure_packages() {
    local missing=() pkg
    for pkg in "${KELDRA_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    local cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them as root with:" >&2
        echo "  $cmd" >&2
        return 1
    fi
    echo "== installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
