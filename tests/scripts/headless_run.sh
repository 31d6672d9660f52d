#!/bin/sh
# Runs the real game binary headless on SDL's dummy drivers, from its data folder: it must reach
# the level (the caption turns from "Main Menu" to "FPS = <rate>"), and a quit event (SDL turns
# SIGTERM into one) must end it with status 0.
set -u
game=$1 spy=$2 data=$3
log=$(mktemp) out=$(mktemp)
trap 'rm -f "$log" "$out"' EXIT
cd "$data" || exit 1
CAPTION_LOG=$log LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" >"$out" 2>&1 &
pid=$!
i=0
while ! grep -q '^FPS = [0-9]' "$log" 2>/dev/null; do
    i=$((i + 1))
    if [ $i -gt 300 ] || ! kill -0 $pid 2>/dev/null; then
        echo "FAIL: no 'FPS = <rate>' caption within 30 s; captions seen:"; cat "$log"; cat "$out"
        kill -9 $pid 2>/dev/null
        exit 1
    fi
    sleep 0.1
done
first=$(head -n 1 "$log")
if [ "$first" != "Main Menu" ]; then
    echo "FAIL: first caption was '$first', expected 'Main Menu'"
    kill -9 $pid 2>/dev/null
    exit 1
fi
kill -TERM $pid
i=0
while kill -0 $pid 2>/dev/null; do
    i=$((i + 1))
    if [ $i -gt 100 ]; then
        echo "FAIL: the game did not exit within 10 s of the quit event"
        kill -9 $pid
        exit 1
    fi
    sleep 0.1
done
wait $pid
status=$?
if [ $status -ne 0 ]; then
    echo "FAIL: exit status $status, expected 0"; cat "$out"
    exit 1
fi
echo "ok: captions $(tr '\n' '|' <"$log"), exit status 0"
