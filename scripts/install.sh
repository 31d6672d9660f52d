#!/bin/sh
# Installs the Debian packages the game, its tests and its tools need, only when one is missing.
set -eu
PACKAGES="cmake make g++ pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev \
libsdl-ttf2.0-dev libgtest-dev xvfb xdotool imagemagick x11-utils valgrind \
libsdl1.2-compat matchbox-window-manager"
missing=""
for p in $PACKAGES; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
