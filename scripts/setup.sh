#!/usr/bin/env bash
# Installs every build and test dependency from Debian's packages and the npm registry.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config git ccache parallel
    qt6-base-dev qt6-webengine-dev qt6-webchannel-dev libqt6webenginecore6-bin libgl-dev
    libmupdf-dev libmujs-dev libgumbo-dev libopenjp2-7-dev libjbig2dec0-dev libfreetype-dev
    libharfbuzz-dev libjpeg-dev libturbojpeg0-dev
    liblog4cxx-dev libxml2-dev zlib1g-dev libxxhash-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    python3 python3-pil python3-numpy unzip zip poppler-utils time strace
    # the fonts of the generated manual the benchmarks read (scripts/make_manual.py)
    fonts-urw-base35
    # bench/vector.sh: MuPDF's own picture of a page to measure sharpness against
    mupdf-tools
    nodejs npm chromium firefox-esr xvfb xauth fonts-dejavu-core
    # the user manual, rendered at build time
    weasyprint python3-markdown
    # checks of the desktop entry, the AppStream data and the app under a window manager
    appstream desktop-file-utils openbox xdotool x11-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
# A machine may bring its own node and npm; Debian's are needed only when there are none.
if command -v node >/dev/null && command -v npm >/dev/null; then
    filtered=()
    for p in "${missing[@]}"; do [[ "$p" == nodejs || "$p" == npm ]] || filtered+=("$p"); done
    missing=("${filtered[@]+"${filtered[@]}"}")
fi

if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    if [[ $(id -u) -ne 0 ]]; then
        if ! command -v sudo >/dev/null; then
            echo "setup: installing packages needs root; run as root or install sudo: ${missing[*]}" >&2
            exit 1
        fi
        SUDO="sudo"
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The player's libraries and the browser-test driver come from npm, pinned by package-lock.json.
if [[ -f package-lock.json ]]; then
    if [[ ! -d node_modules ]] || [[ package-lock.json -nt node_modules/.package-lock.json ]]; then
        echo "setup: installing npm packages"
        npm ci --no-audit --no-fund --loglevel=error >/dev/null
    fi
fi
