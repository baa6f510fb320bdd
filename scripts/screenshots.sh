#!/usr/bin/env bash
# Takes the README's screenshots under a private X server: the disclaimer, the main
# window on the demo lab, and the condition test dialog. Run from anywhere after a build:
#   scripts/screenshots.sh [BUILD]     (default BUILD: ./build of the repository)
# Installs xvfb, xdotool, imagemagick and x11-utils when missing (as root); writes
# docs/screenshots/*.png.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$top/build}" && pwd)"
out="$top/docs/screenshots"
work="$(mktemp -d -t kestrelon-screenshots.XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The X server, the tools that find windows and send input, and ImageMagick's import.
packages=(xvfb xdotool imagemagick x11-utils)
for tool in Xvfb xdotool xdpyinfo /usr/bin/import; do
    command -v "$tool" >/dev/null && continue
    if [ "$(id -u)" -ne 0 ]; then
        echo "screenshots: needs ${packages[*]}; run this as root to install them" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${packages[@]}"
    break
done

# A display number of the server's own choosing, so that no running server is disturbed.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
xdpyinfo >/dev/null

# Waits for a window with this title (other than the id given second) and prints its id.
window() {
    local id
    for _ in $(seq 100); do
        id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${2:-none}" |
            head -n 1)" || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "screenshots: no window \"$1\" appeared" >&2
    exit 1
}

# A fresh demo lab, and the stand-in Kestrelon.dll in the current folder, as the menu
# entry starts the program.
"$build/bin/kestrelon-lab" create "$work/lab.sqlite" --demo >/dev/null
cd "$top/demo"
KESTRELON_LAB="$work/lab.sqlite" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" \
    "$build/bin/kestrelon-setup" &
pids+=($!)
mkdir -p "$out"
# The disclaimer comes first; Return answers its default button, "Yes".
disclaimer="$(window "Kestrelon setup")"
sleep 0.5
/usr/bin/import -window "$disclaimer" "$out/disclaimer.png"
echo "screenshots: wrote $out/disclaimer.png"
xdotool key --window "$disclaimer" Return
main="$(window "Kestrelon setup" "$disclaimer")"
sleep 1
/usr/bin/import -window "$main" "$out/main-window.png"
echo "screenshots: wrote $out/main-window.png"

# The first rule row's Test button (its place in the window's layout), then a header
# line that the row's condition matches.
xdotool mousemove --window "$main" 430 165 click 1
dialog="$(window "Test a condition")"
xdotool mousemove --window "$dialog" 200 57 click 1
xdotool type --delay 20 "yes"
xdotool key Return
sleep 0.5
/usr/bin/import -window "$dialog" "$out/condition-test.png"
echo "screenshots: wrote $out/condition-test.png"
