#!/usr/bin/env bash
# Takes the README's screenshots under a private X server: the disclaimer, the main
# window on the demo lab, the condition test dialog, the recipient picker, and one round of
# install and bind by keyboard, before and after CHANGE. Run from anywhere after a build:
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

# By keyboard, as the access keys allow. Without a window manager the window gets the
# keyboard focus by hand, and keys go through XTEST as a keyboard's would.
focus() { xdotool windowfocus --sync "$1"; sleep 0.3; }
keys() { xdotool key --delay 120 "$@"; sleep 0.5; }

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
focus "$dialog"
keys Escape

# The second rule row forwards to the helpdesk. Alt+H is the first condition; Tab passes
# its Test button, action list and target (the "..." beside it is off) to the second.
focus "$main"
keys alt+h Tab Tab Tab Tab
xdotool type --delay 20 "X-Spam-Score: {> 3 < 7}"
# Its Test button, its action list (two steps down: forward to), past the locked target
# to its "...".
keys Tab Tab Down Down Tab space
picker="$(window "Select Forwarding Recipient")"
sleep 1.5
focus "$picker"
xdotool type --delay 60 "Help"
sleep 0.5
/usr/bin/import -window "$picker" "$out/recipient-picker.png"
echo "screenshots: wrote $out/recipient-picker.png"
keys Return

# A password, the first three mailboxes without the binding selected, Register
# per-mailbox ticked: the window just before CHANGE.
focus "$main"
keys alt+p
xdotool type --delay 20 "demo-password"
keys alt+g Home shift+Down shift+Down alt+m
/usr/bin/import -window "$main" "$out/before-change.png"
echo "screenshots: wrote $out/before-change.png"
"$build/bin/kestrelon-lab" show "$work/lab.sqlite" >"$work/before.txt"
keys alt+c
sleep 3
/usr/bin/import -window "$main" "$out/installed.png"
echo "screenshots: wrote $out/installed.png"
"$build/bin/kestrelon-lab" show "$work/lab.sqlite" >"$work/after.txt"
echo "screenshots: what CHANGE wrote into the lab:"
diff "$work/before.txt" "$work/after.txt" || true
