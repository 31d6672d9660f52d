#!/bin/bash
# Every terminating signal a player or the system sends (interrupt, terminate, quit, hang-up) must
# end the real game on an X display within a second, with status 0, wherever in a pass it lands:
# while the level loads, while a frame is being flipped to the server, between frames. Each
# signal is sent ROUNDS times at a random moment between the menu's caption and a couple of
# seconds into the level.
#
# usage: signals.sh GAME CAPTION_SPY DATA_DIR [ROUNDS]
set -u
game=$(realpath "$1") spy=$(realpath "$2") data=$(realpath "$3") rounds=${4:-${SIGNAL_ROUNDS:-5}}
work=$(mktemp -d)
xvfb_pid="" game_pid=""
stop_all() {
    for pid in $game_pid $xvfb_pid; do
        kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap stop_all EXIT
# Job control: without it a background job of this shell starts with SIGINT and SIGQUIT ignored.
set -m

Xvfb -displayfd 3 -screen 0 1080x720x24 -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb reported no display"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

now_ms() { echo $(($(date +%s%N) / 1000000)); }
RANDOM=${SIGNAL_SEED:-$$}
echo "seed $RANDOM (set SIGNAL_SEED to repeat)"
fail=0 n=0
for round in $(seq "$rounds"); do
    for sig in INT TERM QUIT HUP; do
        n=$((n + 1))
        log=$work/captions.$n out=$work/out.$n
        (cd "$data" && CAPTION_LOG=$log LD_PRELOAD=$spy SDL_VIDEODRIVER=x11 exec "$game") \
            >"$out" 2>&1 &
        game_pid=$!
        for _ in $(seq 300); do [ -s "$log" ] && break; sleep 0.01; done
        # 0 to 2.5 s after the menu's caption: during loading, the first passes, or well into play.
        delay=$(((RANDOM % 2500)))
        sleep "$(awk -v d=$delay 'BEGIN { printf "%.3f", d / 1000 }')"
        kill -s "$sig" "$game_pid" 2>/dev/null
        sent=$(now_ms)
        while kill -0 "$game_pid" 2>/dev/null && [ $(($(now_ms) - sent)) -lt 1000 ]; do
            sleep 0.01
        done
        if kill -0 "$game_pid" 2>/dev/null; then
            echo "FAIL: SIG$sig ${delay} ms after the menu caption: still running 1 s later"
            kill -9 "$game_pid"
            wait "$game_pid" 2>/dev/null
            fail=1
        else
            wait "$game_pid"
            status=$?
            if [ $status -ne 0 ]; then
                echo "FAIL: SIG$sig ${delay} ms after the menu caption: exit status $status"
                tail -n 5 "$out"
                fail=1
            else
                echo "ok: SIG$sig ${delay} ms after the menu caption: status 0 in $(($(now_ms) - sent)) ms"
            fi
        fi
        game_pid=""
    done
done
exit $fail
