#!/bin/bash
# The real game with a pad made through /dev/uinput, which the kernel and SDL see as any other
# pad: its left stick walks for a second, then Back leaves the level as the right click does, and
# the game must end with status 0; the recording of that game must play back exactly. Skipped
# (77) where no virtual device can be made, as on machines without the uinput module.
set -u
game=$1 spy=$2 pad=$3 data=$4
BTN_SELECT=314 # the xpad driver's Back
if [ ! -w /dev/uinput ]; then
    echo "skipped: /dev/uinput is absent or not writable here, so no virtual pad can be made"
    exit 77
fi
work=$(mktemp -d)
trap 'exec 5>&-; rm -rf "$work"' EXIT
. "$(dirname "$0")/game_run.sh"
mkfifo "$work/pad.in"
"$pad" <"$work/pad.in" >"$work/pad.node" 2>"$work/pad.err" &
pad_pid=$!
exec 5>"$work/pad.in"
for _ in $(seq 50); do
    [ -s "$work/pad.node" ] || ! kill -0 $pad_pid 2>/dev/null && break
    sleep 0.1
done
if [ ! -s "$work/pad.node" ]; then
    exec 5>&-
    wait $pad_pid
    status=$?
    cat "$work/pad.err"
    [ $status -eq 77 ] && exit 77
    echo "FAIL: the virtual pad did not start (status $status)"
    exit 1
fi
cd "$data" || exit 1
CAPTION_LOG=$work/captions LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$game" --windowed --record "$work/pad.dacrec" >"$work/out" 2>&1 &
pid=$!
if ! wait_for $pid 300 grep -qs '^FPS = [0-9]' "$work/captions"; then
    echo "FAIL: no level within 30 s with the pad $(cat "$work/pad.node")"
    cat "$work/out"
    exit 1
fi
printf 'abs 0 32767\nsleep 1000\nabs 0 0\nkey %d 1\nsleep 100\nkey %d 0\n' \
    $BTN_SELECT $BTN_SELECT >&5
if ! wait_for $pid 150 sh -c "! kill -0 $pid 2>/dev/null"; then
    echo "FAIL: the game still ran 15 s after the pad's Back was pressed"
    exit 1
fi
wait $pid
status=$?
[ $status -eq 0 ] || { echo "FAIL: exit status $status after the pad's Back"; cat "$work/out"; exit 1; }
"$game" --replay "$work/pad.dacrec" --headless >"$work/replay.out" 2>&1 ||
    { echo "FAIL: the pad's game did not play back:"; cat "$work/replay.out"; exit 1; }
echo "ok: the pad at $(cat "$work/pad.node") walked and left the level; its recording plays back"
