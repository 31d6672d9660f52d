#!/bin/sh
# Records one of the committed regression games by scripted play, headless, and writes the
# checksums every pass of its playback must give.
#
# usage: tests/replays/record.sh BUILD_DIR NAME
#   NAME: walk, weapons, backpack or zombies (the scripts in tests/support/InputScript.c)
# writes tests/replays/NAME.dacrec and tests/replays/NAME.expected
set -eu
build=$(realpath "$1") name=$2
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/../../data"
# The tests, not the game, choose the dummy drivers here: the game is recorded as played.
LD_PRELOAD=$build/libinputscript.so INPUT_SCRIPT=$name INPUT_SCRIPT_PASS_MS=5 \
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$build/deadacre" --record "$here/$name.dacrec" 2>"$here/$name.log" ||
    { cat "$here/$name.log"; exit 1; }
grep -q '^input script: done' "$here/$name.log" || { cat "$here/$name.log"; exit 1; }
rm -f "$here/$name.log"
"$build/deadacre" --replay "$here/$name.dacrec" --headless --frames >"$here/$name.expected"
echo "$name: $(tail -n 1 "$here/$name.expected"), $(wc -c <"$here/$name.dacrec") bytes"
