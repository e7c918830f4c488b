#!/usr/bin/env bash
# Starts the desktop application under a real window manager (openbox on a virtual X display)
# and checks what a user meets first: the main window's frame, title bar included, lies within
# the screen, and Ctrl+Q quits the program with exit code 0.
# Usage: scripts/check-desktop-session.sh [WIDTHxHEIGHT]   (default 1280x800)
# The program is $LEAFCRAFT_APP, else build/release/gui/leafcraft. Exit code 77 when Xvfb,
# openbox, xdotool or xwininfo is missing (scripts/setup.sh installs them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
size="${1:-1280x800}"
app="${LEAFCRAFT_APP:-$root/build/release/gui/leafcraft}"
[[ -x "$app" ]] || { echo "$0: no program at $app; build it first (scripts/build.sh release)" >&2; exit 2; }
for tool in Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing; skipped" >&2; exit 77; }
done

work="$(mktemp -d /tmp/leafcraft-session-XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-desktop-session: $*" >&2; exit 1; }

# A display of our own: Xvfb picks a free number and writes it to the pipe.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 "${size}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 -u "$fd" number || fail "Xvfb did not start"
export DISPLAY=":$number"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

env HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_CACHE_HOME="$work/home/.cache" QT_QPA_PLATFORM=xcb QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" \
    "$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")

# The main window's title ends with "– Leafcraft".
window=""
for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name ' – Leafcraft$' 2>/dev/null | head -1 || true)"
    [[ -n "$window" ]] && break
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "the program ended before showing its window"; }
    sleep 0.1
done
[[ -n "$window" ]] || fail "no main window within a minute"

# Wait until the placement has settled (the frame is known and the geometry stops changing).
frame() {
    local info extents
    info="$(xwininfo -id "$window")"
    extents="$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')"
    local x y w h
    x="$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")"
    y="$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")"
    w="$(sed -n 's/.*Width: *//p' <<<"$info")"
    h="$(sed -n 's/.*Height: *//p' <<<"$info")"
    IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
    echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom)) $top"
}
previous=""
sleep 3
for _ in $(seq 50); do
    sleep 0.5
    current="$(frame)"
    [[ "$current" == "$previous" ]] && break
    previous="$current"
done
read -r fx fy fw fh title_bar <<<"$current"
screen_w="${size%x*}"
screen_h="${size#*x}"
echo "check-desktop-session: frame at ${fx},${fy} size ${fw}x${fh} (title bar ${title_bar} px) on a ${size} screen"
((title_bar > 0)) || fail "the window manager gave the window no title bar"
((fx >= 0 && fy >= 0)) || fail "the frame starts above or left of the screen"
((fx + fw <= screen_w && fy + fh <= screen_h)) || fail "the frame reaches past the screen"
((fw >= screen_w * 3 / 4 && fh >= screen_h * 3 / 4)) || fail "the window does not fill the screen"

# Ctrl+Q, typed as a user would, into the focused main window.
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --clearmodifiers ctrl+q
status=""
for _ in $(seq 300); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        wait "$app_pid" && status=0 || status=$?
        break
    fi
    sleep 0.1
done
[[ -n "$status" ]] || fail "Ctrl+Q did not quit the program within 30 seconds"
[[ "$status" == 0 ]] || { cat "$work/app.log" >&2; fail "the program quit with exit code $status"; }
echo "check-desktop-session: Ctrl+Q quit the program with exit code 0"
