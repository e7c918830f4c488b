#!/usr/bin/env bash
# Takes a PNG picture of the desktop application's main window showing the book preview:
# starts the program on a virtual X display (Xvfb) with a temporary home folder, waits until
# the preview's book is ready and saves the window (the program's --screenshot option).
# Usage: scripts/screenshot-app.sh [out.png] [WIDTHxHEIGHT]   (default docs/app.png, 1440x900)
#        scripts/screenshot-app.sh --windows [FOLDER] [WIDTHxHEIGHT]   (default docs/images)
#        pictures the main, import, template, publish and page editor windows for the manual.
# The program is $LEAFCRAFT_APP, else the first of build/release/gui/leafcraft and
# build/dev/gui/leafcraft that exists.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [[ "${1:-}" == --windows ]]; then
    out="$(realpath -m "${2:-$root/docs/images}")"
    size="${3:-1280x800}"
    option=--window-screenshots
else
    out="$(realpath -m "${1:-$root/docs/app.png}")"
    size="${2:-1440x900}"
    option=--screenshot
fi

app="${LEAFCRAFT_APP:-}"
if [[ -z "$app" ]]; then
    for candidate in "$root/build/release/gui/leafcraft" "$root/build/dev/gui/leafcraft"; do
        if [[ -x "$candidate" ]]; then app="$candidate"; break; fi
    done
fi
if [[ -z "$app" || ! -x "$app" ]]; then
    echo "$0: no leafcraft program found; build it first (scripts/build.sh release)" >&2
    exit 2
fi
if ! command -v xvfb-run >/dev/null; then
    echo "$0: xvfb-run is missing (Debian package xvfb; scripts/setup.sh installs it)" >&2
    exit 2
fi

home="$(mktemp -d /tmp/leafcraft-shot-XXXXXX)"
trap 'rm -rf "$home"' EXIT
mkdir -p "$(dirname "$out")"
[[ "$option" == --screenshot ]] || mkdir -p "$out"
env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=xcb QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" \
    timeout 120 xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" "$app" "$option" "$out"
echo "$out"
