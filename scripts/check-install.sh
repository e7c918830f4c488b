#!/usr/bin/env bash
# Installs a build into a temporary prefix (cmake --install) and checks what a desktop needs to
# offer the program in its menu: the .desktop entry (desktop-file-validate) whose Exec names the
# installed program and whose Icon is installed, the AppStream description (appstreamcli
# validate), the user manual, and that the installed program answers --version and --help
# without a display.
# Usage: scripts/check-install.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build/release}")"
prefix="$(mktemp -d /tmp/leafcraft-install-XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
desktop="$prefix/share/applications/leafcraft.desktop"
metainfo="$prefix/share/metainfo/com.pressvale.Leafcraft.metainfo.xml"
[[ -f "$desktop" ]] || fail "no $desktop"
[[ -f "$metainfo" ]] || fail "no $metainfo"

if command -v desktop-file-validate >/dev/null; then
    out="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $out"
    [[ -z "$out" ]] || fail "desktop-file-validate: $out"
fi
command -v appstreamcli >/dev/null || fail "appstreamcli is missing (Debian package appstream)"
appstreamcli validate --no-net --explain "$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$metainfo" >&2
    fail "appstreamcli rejects $metainfo"
}
grep -q '<launchable type="desktop-id">leafcraft.desktop</launchable>' "$metainfo" || fail "the metainfo does not launch leafcraft.desktop"

exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$desktop")"
[[ -x "$prefix/bin/$exec_name" ]] || fail "Exec=$exec_name is not an installed program"
ls "$prefix/share/icons/hicolor/"*/apps/"$icon_name".* >/dev/null 2>&1 || fail "Icon=$icon_name is not installed"
ls "$prefix/share/leafcraft/resources/"*Help/*.pdf >/dev/null 2>&1 || fail "the user manual is not installed"

version="$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)"
answer="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/$exec_name" --version)" ||
    fail "--version failed without a display"
[[ "$answer" == "Leafcraft $version" ]] || fail "--version says '$answer', the metainfo's release is $version"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/$exec_name" --help | grep -q -- '--screenshot' ||
    fail "--help failed without a display"
echo "check-install: menu entry, icon, AppStream metadata, manual and --help/--version of $prefix are sound"
