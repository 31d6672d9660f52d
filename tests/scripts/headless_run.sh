#!/bin/sh
# Runs the real game binary headless on SDL's dummy drivers, from its data folder: it must reach
# the level (the caption turns from "Main Menu" to "FPS = <rate>"), and a quit event (SDL turns
# SIGTERM into one) must end it with status 0.
set -u
game=$1 spy=$2 data=$3
log=$(mktemp) out=$(mktemp)
trap 'rm -f "$log" "$out"' EXIT
. "$(dirname "$0")/game_run.sh"
cd "$data" || exit 1
CAPTION_LOG=$log LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" >"$out" 2>&1 &
pid=$!
if ! wait_for $pid 300 grep -qs '^FPS = [0-9]' "$log"; then
    echo "FAIL: no 'FPS = <rate>' caption within 30 s; captions seen:"; cat "$log"; cat "$out"
    exit 1
fi
first=$(head -n 1 "$log")
if [ "$first" != "Main Menu" ]; then
    echo "FAIL: first caption was '$first', expected 'Main Menu'"
    kill -9 $pid 2>/dev/null
    exit 1
fi
quit_game $pid 100
case $? in
2) echo "FAIL: the game did not exit within 10 s of the quit event"; exit 1 ;;
1) echo "FAIL: exit status $quit_status, expected 0"; cat "$out"; exit 1 ;;
esac
echo "ok: captions $(tr '\n' '|' <"$log"), exit status 0"
