#!/bin/sh
# Builds the Debian binary package from a copy of the source tree (dpkg-buildpackage -us -uc -b),
# checks it with lintian (no errors or warnings), unpacks it into a temporary root and checks what a desktop
# and a distribution read from it: the menu entry and the AppStream metadata validate, the icons
# have their sizes, the manual page renders, the licences sit with the documents and not among the
# game data, the font is a link to the system's DejaVu Sans. Then the packaged launcher, run from
# another folder, plays the level headless and ends with status 0 on a quit event (SDL turns
# SIGTERM into one). Last, the package's autopkgtest (debian/tests) runs against the .deb.
#
# usage: debian_package.sh <source tree> <caption spy library>
set -u
src=$1 spy=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
. "$src/tests/scripts/game_run.sh"

mkdir "$tmp/deadacre"
tar -C "$src" --exclude='./build*' --exclude=./.git --exclude='./obj-*' --exclude=./debian/deadacre \
    --exclude=./debian/.debhelper -cf - . | tar -C "$tmp/deadacre" -xf - ||
    fail "could not copy the source tree"
# A player's configuration: no build type given and no tests must need no GoogleTest and still
# give an optimised build.
cmake -S "$tmp/deadacre" -B "$tmp/plain" -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    >"$tmp/plain.log" 2>&1 || { cat "$tmp/plain.log"; fail "configuring without tests needs GoogleTest"; }
grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$tmp/plain/CMakeCache.txt" ||
    fail "with no build type given, CMake did not choose RelWithDebInfo"
echo "ok: configures without GoogleTest, build type RelWithDebInfo by default"

started=$(date +%s)
(cd "$tmp/deadacre" && dpkg-buildpackage -us -uc -b -j2) >"$tmp/build.log" 2>&1 ||
    { tail -n 40 "$tmp/build.log"; fail "dpkg-buildpackage failed"; }
deb=$(ls "$tmp"/deadacre_*_*.deb 2>/dev/null | head -n 1)
[ -f "$deb" ] || fail "dpkg-buildpackage made no deadacre_*.deb"
echo "ok: built $(basename "$deb") in $(($(date +%s) - started)) s"

lintian "$deb" >"$tmp/lintian.log" 2>&1
grep '^[EW]:' "$tmp/lintian.log" && fail "lintian reports errors or warnings"
grep 'hardening-no-' "$tmp/lintian.log" && fail "lintian finds hardening missing"
grep -E 'font|extra-license-file' "$tmp/lintian.log" && fail "lintian still points at a font or a licence file"
echo "ok: lintian reports no errors or warnings ($(grep -c '^[IP]:' "$tmp/lintian.log") notes)"

root=$tmp/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
share=$root/usr/share
desktop-file-validate "$share/applications/deadacre.desktop" || fail "desktop-file-validate"
grep -qx 'StartupWMClass=deadacre' "$share/applications/deadacre.desktop" ||
    fail "the menu entry's StartupWMClass is not the game binary's name, deadacre"
metainfo=$(ls "$share"/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
[ -f "$metainfo" ] || fail "no AppStream metainfo under usr/share/metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $(basename "$metainfo")"
[ "$(grep -c '<screenshot' "$metainfo")" -ge 2 ] || fail "the metainfo lists fewer than 2 screenshots"
for size in 48 128 256; do
    icon=$share/icons/hicolor/${size}x$size/apps/deadacre.png
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x$size" ] ||
        fail "no ${size}x$size icon at ${icon#"$root"}"
done
man -l "$share/man/man6/deadacre.6.gz" >"$tmp/man.txt" 2>"$tmp/man.err" && [ ! -s "$tmp/man.err" ] ||
    fail "the manual page does not render cleanly: $(cat "$tmp/man.err")"
for option in --windowed --fps --record --replay --headless --frames --help --version; do
    grep -q -- "^ *$option" "$tmp/man.txt" || fail "the manual page does not describe $option"
done
grep -q 'README.md.gz' "$tmp/man.txt" || fail "the manual page does not name README.md.gz"
grep -qx 'Exec=deadacre --windowed' "$share/applications/deadacre.desktop" ||
    fail "the menu entry has no action playing in a window"
# debhelper compresses the larger documents. The game's own licence is in copyright alone.
for doc in README.md ASSETS-LICENSE.md LICENSE-DejaVu.txt copyright; do
    [ -f "$share/doc/deadacre/$doc" ] || [ -f "$share/doc/deadacre/$doc.gz" ] ||
        fail "no $doc in usr/share/doc/deadacre"
done
[ -e "$share/doc/deadacre/LICENSE" ] && fail "LICENSE installed beside copyright"
zgrep -q '](docs/.*\.png)' "$share/doc/deadacre/README.md"* &&
    fail "the installed README shows screenshots the package does not ship"
find "$share/games/deadacre" -name '*.md' -o -name 'LICENSE*' | grep . &&
    fail "licence or README files among the game data"
grep -q '<id>io\.github\.deadacre\.deadacre</id>' "$metainfo" && grep -q '<control>gamepad</control>' "$metainfo" ||
    fail "the metainfo's id is not lower case or it declares no gamepad"
echo "ok: menu entry, metainfo, icons 48/128/256, manual page and documents in place"

# The font is the system's DejaVu Sans, through a link the package depends on.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
# (debhelper makes it relative, as policy asks.)
link=$(readlink "$share/games/deadacre/testFont.ttf")
[ -n "$link" ] && [ "$(cd "$share/games/deadacre" && realpath -m "$link")" = "$root$font" ] ||
    fail "testFont.ttf is not a link to $font"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-dejavu-core' || fail "the package does not depend on fonts-dejavu-core"
cmp -s "$font" "$src/data/testFont.ttf" || fail "$font is not the font the game was made with"
echo "ok: the font is a link to $font"
# What the dependency puts in place, so that the unpacked package finds its font as installed.
mkdir -p "$root${font%/*}" && ln -s "$font" "$root$font"

[ "$("$root/usr/games/deadacre" --version)" = "deadacre $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the packaged game's --version does not give the package's version"
cd / || exit 1
CAPTION_LOG=$tmp/captions LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$root/usr/games/deadacre" >"$tmp/out" 2>&1 &
pid=$!
wait_for $pid 300 grep -q '^FPS = [0-9]' "$tmp/captions" 2>/dev/null ||
    fail "no 'FPS = <rate>' caption within 30 s, or the packaged game ended early: $(cat "$tmp/out")"
cwd=$(readlink "/proc/$pid/cwd")
[ "$cwd" = "$(readlink -f "$share/games/deadacre")" ] ||
    { kill -9 $pid; fail "the packaged game runs in $cwd"; }
quit_game $pid 100 ||
    fail "the game did not end with status 0 within 10 s of the quit event (status $quit_status)"
grep -q 'could not load\|font' "$tmp/out" && fail "the packaged game misses a file: $(cat "$tmp/out")"
echo "ok: the packaged launcher played the level in $cwd and ended with status 0"

# The package's own test (debian/tests), of the game as installed. As root, autopkgtest's null
# runner installs the .deb on this machine and runs it, then the package is removed again unless
# it was installed before; otherwise the test runs against the unpacked package.
started=$(date +%s)
if [ "$(id -u)" -eq 0 ] && command -v autopkgtest >/dev/null; then
    installed=$(dpkg-query -W -f '${Status}' deadacre 2>/dev/null | grep -c 'ok installed')
    autopkgtest "$deb" "$tmp/deadacre" -- null >"$tmp/autopkgtest.log" 2>&1
    status=$?
    [ "$installed" -eq 0 ] && dpkg --purge deadacre >/dev/null 2>&1
    [ $status -eq 0 ] || { tail -n 30 "$tmp/autopkgtest.log"; fail "autopkgtest failed (status $status)"; }
    grep -q 'installed-game *PASS' "$tmp/autopkgtest.log" || fail "autopkgtest ran no installed-game test"
    how="autopkgtest's null runner, the .deb installed"
else
    (cd "$tmp/deadacre" && DEADACRE_INSTALLED=$root/usr/games/deadacre debian/tests/installed-game) \
        >"$tmp/autopkgtest.log" 2>&1 || { cat "$tmp/autopkgtest.log"; fail "debian/tests/installed-game"; }
    how="debian/tests/installed-game on the unpacked package (not root)"
fi
echo "ok: the package's own test passed in $(($(date +%s) - started)) s ($how)"
