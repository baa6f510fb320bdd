#!/usr/bin/env bash
# Checks what an administrator gets: the installed tree, and the Debian package.
#   checkpackage.sh install BUILD VERSION  cmake --install into a temporary prefix
#   checkpackage.sh deb BUILD VERSION      cpack -G DEB, then dpkg-deb and lintian
# Exit status 77 (skipped) when a platform tool the check needs is not installed.
set -euo pipefail

mode="$1" build="$2" version="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "checkpackage: $*" >&2; exit 1; }
have() { command -v "$1" >/dev/null; }

# Every file that goes in, relative to the prefix: nothing else (no tests, no benchmarks).
expected_files() {
    printf '%s\n' bin/kestrelon-lab bin/kestrelon-setup \
        share/applications/kestrelon-setup.desktop \
        share/doc/kestrelon-setup/changelog.gz share/doc/kestrelon-setup/copyright \
        share/doc/kestrelon-setup/examples/small-scenario.json \
        share/doc/kestrelon-setup/lab-scenario.md share/doc/kestrelon-setup/report-format.md \
        share/icons/hicolor/scalable/apps/kestrelon-setup.svg \
        share/kestrelon-setup/Kestrelon.dll \
        share/kestrelon-setup/ad/kestrelon-schema.ldif share/kestrelon-setup/ldap/kestrelon.schema \
        share/man/man1/kestrelon-lab.1.gz share/man/man1/kestrelon-setup.1.gz
}

same_files() { # $1: what was found, one path a line
    diff -u <(expected_files | sort) <(sort <<<"$1") || fail "$2: other files than expected"
}

# The desktop entry must start the installed program in the folder that holds
# Kestrelon.dll, since the program looks for it in its current folder.
check_entry() { # $1: entry  $2: root the entry's absolute paths are below
    local exec path
    exec="$(sed -n 's/^Exec=//p' "$1")"
    path="$(sed -n 's/^Path=//p' "$1")"
    [ -x "$2$exec" ] || fail "$1: Exec=$exec is not the installed program"
    [ -f "$2$path/Kestrelon.dll" ] || fail "$1: Path=$path does not hold Kestrelon.dll"
    if have desktop-file-validate; then
        desktop-file-validate "$1" || fail "$1: desktop-file-validate refuses it"
    fi
}

case "$mode" in
install)
    prefix="$work/prefix"
    "${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >/dev/null
    same_files "$(cd "$prefix" && find . -type f | sed 's|^\./||')" "cmake --install"
    for program in kestrelon-setup kestrelon-lab; do
        printed="$("$prefix/bin/$program" --version)"
        [ "$printed" = "$program $version" ] || fail "$program --version printed '$printed'"
    done
    check_entry "$prefix/share/applications/kestrelon-setup.desktop" ""
    have desktop-file-validate || { echo "desktop-file-validate is not installed"; exit 77; }
    ;;
deb)
    for tool in dpkg-deb dpkg-shlibdeps file lintian; do
        have "$tool" || { echo "$tool is not installed"; exit 77; }
    done
    "${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
    package="$work/kestrelon-setup_${version}_$(dpkg --print-architecture).deb"
    [ -f "$package" ] || fail "cpack made no $package"
    same_files "$(dpkg-deb -c "$package" | awk '!/^d/ {print $NF}' | sed 's|^\./usr/||')" \
        "the package"
    # Computed from the binaries, plus the plugins they load at run time.
    depends="$(dpkg-deb -f "$package" Depends)"
    for dependency in libqt6widgets6 libqt6sql6-sqlite libqt6svg6; do
        grep -qw -- "$dependency" <<<"$depends" || fail "Depends lacks $dependency: $depends"
    done
    dpkg-deb -x "$package" "$work/root"
    check_entry "$work/root/usr/share/applications/kestrelon-setup.desktop" "$work/root"
    lintian --fail-on error,warning "$package"
    ;;
*)
    fail "unknown mode '$mode'"
    ;;
esac
