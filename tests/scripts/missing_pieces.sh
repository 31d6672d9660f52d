#!/bin/sh
# The real game with pieces missing: every asset file (an empty working directory), only the
# font, and the audio device (a driver that does not exist, and ALSA on a machine without a sound
# card; both make Mix_OpenAudio fail with "No available audio device", and the game must say in one
# line that it plays without sound, with none of libasound's own lines). Each time it must reach
# the level (caption "FPS = <rate>"), play at least MIN_PASSES passes of it, and end with
# status 0 on the quit event (SDL turns SIGTERM into one).
#
# usage: missing_pieces.sh <game binary> <caption spy library> <data folder>
set -u
game=$1 spy=$2 data=$3
MIN_PASSES=${MIN_PASSES:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The preloaded spy would come before the sanitizer's runtime in an instrumented build.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
export ASAN_OPTIONS

# A data folder of links to everything in data/ but the font.
mkdir "$work/nofont" "$work/empty"
for entry in "$data"/*; do
    [ "$(basename "$entry")" = testFont.ttf ] || ln -s "$entry" "$work/nofont/"
done

. "$(dirname "$0")/game_run.sh"
enough_passes() { [ "$(level_passes "$1")" -ge "$MIN_PASSES" ]; }

fail=0
# play <label> <working directory> <audio driver>
play() {
    label=$1 dir=$2 audio=$3
    log="$work/$label.captions" out="$work/$label.out"
    (cd "$dir" && CAPTION_LOG=$log LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy \
        SDL_AUDIODRIVER=$audio exec "$game") >"$out" 2>&1 &
    pid=$!
    if ! wait_for $pid 600 enough_passes "$log"; then
        echo "FAIL ($label): did not play $MIN_PASSES passes of the level" \
            "(seen: $(level_passes "$log"))"
        echo "captions:"; cat "$log" 2>/dev/null; echo "output:"; tail -n 40 "$out"
        fail=1
        return
    fi
    passes=$(level_passes "$log")
    quit_game $pid 300
    case $? in
    2) echo "FAIL ($label): still running 30 s after the quit event"; fail=1; return ;;
    1)
        echo "FAIL ($label): exit status $quit_status after the quit event, expected 0"
        tail -n 40 "$out"
        fail=1
        return
        ;;
    esac
    echo "ok ($label): at least $passes passes, exit status 0"
}

play no-assets "$work/empty" dummy
# Started where its data is not, the game says so once, naming the first picture and the folder.
missing=$(grep -c 'could not load' "$work/no-assets.out")
if [ "$missing" -ne 1 ] ||
    ! grep -q "could not load menuImages/titleIntro.jpg in $(cd "$work/empty" && pwd -P)" \
        "$work/no-assets.out"; then
    echo "FAIL (no-assets): expected one 'could not load menuImages/titleIntro.jpg in <folder>'" \
        "line, found $missing:"
    grep 'could not load' "$work/no-assets.out" | head -n 5
    fail=1
fi
[ "$(grep -c 'the window has no icon' "$work/no-assets.out")" -eq 1 ] ||
    { echo "FAIL (no-assets): expected one line saying the window has no icon"; fail=1; }
if grep -q 'could not load' "$work/no-font.out"; then
    echo "FAIL (no-font): a 'could not load' line although every picture is there"; fail=1
fi
play no-font "$work/nofont" dummy
# Without sound the game says so in one line of its own, and libasound says nothing.
silent() {
    own=$(grep -c 'playing without sound' "$work/$1.out") alsa=$(grep -c '^ALSA lib' "$work/$1.out")
    [ "$own" -eq 1 ] && [ "$alsa" -eq 0 ] ||
        { echo "FAIL ($1): $own lines saying it plays without sound, $alsa ALSA lines"; fail=1; }
}
play no-audio-driver "$data" no-such-driver
silent no-audio-driver
if [ -e /dev/snd ]; then
    echo "skipped (alsa-no-card): this machine has a sound device"
else
    play alsa-no-card "$data" alsa
    silent alsa-no-card
fi
exit $fail
