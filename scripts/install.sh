#!/bin/sh
# Installs the Debian packages that are missing: by default only what building and playing the
# game needs; with --web what the browser build needs (Emscripten, and fonttools with Brotli for
# the web font); with --tests also what the tests, the package build, the tools and the browser
# build need.
# Without root it uses sudo; without sudo it prints the command to run as root and fails.
set -eu
PACKAGES="cmake make g++ pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev \
libsdl-ttf2.0-dev libx11-dev"
TEST_PACKAGES="libgtest-dev xvfb xdotool imagemagick x11-utils valgrind \
debhelper dpkg-dev lintian desktop-file-utils appstream"
# The package as installed: Debian's test runner, and the system font the package links to.
TEST_PACKAGES="$TEST_PACKAGES autopkgtest fonts-dejavu-core"
# The style check: the committed .clang-format is read by version 14, Debian 12's.
TEST_PACKAGES="$TEST_PACKAGES clang-format"
# The second SDL 1.2 runtime the tests run on, and window managers for the big-screen runs.
TEST_PACKAGES="$TEST_PACKAGES libsdl1.2-compat matchbox-window-manager openbox"
WEB_PACKAGES="emscripten fonttools python3-brotli"
# The browser build and its test: Chromium driven from Node.js (npm).
TEST_PACKAGES="$TEST_PACKAGES $WEB_PACKAGES chromium"
command -v npm >/dev/null 2>&1 || TEST_PACKAGES="$TEST_PACKAGES npm"
case "${1:-}" in
--tests) PACKAGES="$PACKAGES $TEST_PACKAGES" ;;
--web) PACKAGES="$WEB_PACKAGES" ;;
"") ;;
*)
    echo "usage: $0 [--web | --tests]" >&2
    exit 2
    ;;
esac
missing=""
for p in $PACKAGES; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "Missing Debian packages:$missing" >&2
        echo "Install them as root, then run this again:" >&2
        echo "    apt-get update && apt-get install -y --no-install-recommends$missing" >&2
        exit 1
    fi
    SUDO="sudo"
fi
echo "Installing:$missing"
$SUDO apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
