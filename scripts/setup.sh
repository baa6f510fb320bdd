#!/usr/bin/env bash
# Installs what is missing, builds, and then runs the demo or the test suite.
#   scripts/setup.sh demo   build and start kestrelon-setup on the demo lab
#   scripts/setup.sh test   build and run every test through CTest
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KESTRELON_BUILD_DIR:-$top/build}"
what="${1:-}"

usage() {
    sed -n '2,4s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
}

# Debian packages: compiler and build tools, Qt 6 (Core, Gui, Widgets, Sql with its
# SQLite driver, Network, Test), the GL headers Qt's CMake files ask for, a font
# so that text measures the same in offscreen tests as on a desktop, and Qt's SVG
# plugins, which draw the recipient picker's icons. OpenLDAP's client library (found
# through pkg-config) for the ldap directory, and its server and tools, which the
# service tests start privately; the tools that build the Debian package (dpkg-dev,
# file) and check it and its menu entry (lintian, desktop-file-utils). libcurl, the store's
# HTTP client (found through pkg-config). Apache httpd with
# mod_dav, the WebDAV server that the store's service tests and benchmark start privately,
# and openssl, which makes the certificate of its https:// test. libsqlite3-dev: the lab
# tunes how SQLite waits for a file another program is writing. lld links the program and
# its thirty-odd tests in half the time of the default linker. samba-ad-dc and
# samba-ad-provision: an Active Directory domain controller, which the directory's service
# tests provision and start privately; ldb-tools loads thousands of entries into it offline.
packages=(cmake make g++ qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev fonts-dejavu-core
    libqt6svg6 pkg-config libldap-dev slapd ldap-utils dpkg-dev file lintian desktop-file-utils
    libcurl4-openssl-dev apache2 openssl libsqlite3-dev lld samba-ad-dc samba-ad-provision
    ldb-tools)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages ${missing[*]}; run this as root to install them" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
    # The tests start their own private httpd; a web server for the whole machine is not wanted.
    if [[ " ${missing[*]} " == *" apache2 "* ]] && command -v systemctl >/dev/null; then
        systemctl disable --now apache2 >/dev/null 2>&1 || true
    fi
    # Nor a file server or domain controller: the tests provision their own domain.
    if [[ " ${missing[*]} " == *" samba-ad-dc "* ]] && command -v systemctl >/dev/null; then
        systemctl disable --now samba-ad-dc smbd nmbd >/dev/null 2>&1 || true
    fi
}

build_all() {
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)"
}

case "$what" in
demo)
    install_missing
    build_all
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "setup: built; no display here, so the window cannot open." >&2
        echo "setup: run it from a desktop session: cd $top/demo && $build/bin/kestrelon-setup" >&2
        exit 1
    fi
    # The demo lab is created in the user's data folder on first use;
    # the program looks for Kestrelon.dll in its current folder.
    cd "$top/demo"
    exec "$build/bin/kestrelon-setup"
    ;;
test)
    install_missing
    build_all
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
    chmod 700 "$XDG_RUNTIME_DIR"
    cd "$build"
    exec ctest --output-on-failure -j"$(nproc)"
    ;;
*)
    usage
    [ "$what" = "-h" ] || [ "$what" = "--help" ]
    ;;
esac
