#!/bin/bash
# Every terminating signal a player or the system sends (interrupt, terminate, quit, hang-up) must
# end the real game on an X display within a second, with status 0, wherever in a pass it lands:
# while the level loads, while a frame is being flipped to the server, between frames. Each
# signal is sent ROUNDS times at a random moment between the menu's caption and a couple of
# seconds into the level. Then each signal in the first 50 ms after launch, ROUNDS times: once
# the game runs its main it must end with status 0; before that (the dynamic loader and the
# libraries' set-up) the signal's default action is the runtime's and is allowed, told apart by
# whether the process already catches the four signals; the start-up is finished first, so these
# have 2 s. Last, each signal once a second into a
# level held to one pass a second (--fps 1): the frame delay must wake for it, within 0.5 s.
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
# signal_and_wait SIG MS: signals the game and waits for it to end, at most MS ms; sets $sent (when
# the signal went) and fails, with the game killed, if it is still running by then.
signal_and_wait() {
    kill -s "$1" "$game_pid" 2>/dev/null
    sent=$(now_ms)
    while kill -0 "$game_pid" 2>/dev/null && [ $(($(now_ms) - sent)) -lt "$2" ]; do
        sleep 0.01
    done
    kill -0 "$game_pid" 2>/dev/null || return 0
    kill -9 "$game_pid"
    wait "$game_pid" 2>/dev/null
    return 1
}
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
        if ! signal_and_wait "$sig" 1000; then
            echo "FAIL: SIG$sig ${delay} ms after the menu caption: still running 1 s later"
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
# Sent at SENT_MS after launch: was the game already catching the four quit signals (HUP, INT,
# QUIT, TERM: bits 1, 2, 3 and 15 of SigCgt)?
catching() {
    [ "$(readlink "/proc/$1/exe" 2>/dev/null)" = "$game" ] || return 1
    local mask
    mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null)
    [ -n "$mask" ] && [ $((0x$mask & 0x4007)) -eq $((0x4007)) ]
}

for round in $(seq "$rounds"); do
    for sig in INT TERM QUIT HUP; do
        out=$work/early.out
        (cd "$data" && SDL_VIDEODRIVER=x11 exec "$game") >"$out" 2>&1 &
        game_pid=$!
        delay=$((RANDOM % 50))
        sleep "$(awk -v d=$delay 'BEGIN { printf "%.3f", d / 1000 }')"
        if catching "$game_pid"; then in_main=1; else in_main=0; fi
        # The game notes the signal at once but first ends its start-up (the display, the
        # menu's set-up), which it cannot leave half done: 2 s.
        if ! signal_and_wait "$sig" 2000; then
            echo "FAIL: SIG$sig ${delay} ms after launch: still running 2 s later"
            fail=1
        else
            wait "$game_pid"
            status=$?
            if [ $status -eq 0 ]; then
                echo "ok: SIG$sig ${delay} ms after launch: status 0"
            elif [ $in_main -eq 0 ]; then
                echo "ok: SIG$sig ${delay} ms after launch, before main: status $status (the runtime's)"
            else
                echo "FAIL: SIG$sig ${delay} ms after launch, in main: exit status $status"
                tail -n 5 "$out"
                fail=1
            fi
        fi
        game_pid=""
    done
done

for sig in INT TERM QUIT HUP; do
    log=$work/captions.fps1 out=$work/out.fps1
    rm -f "$log"
    (cd "$data" && CAPTION_LOG=$log LD_PRELOAD=$spy SDL_VIDEODRIVER=x11 exec "$game" --fps 1) \
        >"$out" 2>&1 &
    game_pid=$!
    for _ in $(seq 300); do grep -q '^FPS = ' "$log" 2>/dev/null && break; sleep 0.01; done
    sleep "0.$((RANDOM % 10))"
    signal_and_wait "$sig" 3000
    ended=$?
    took=$(($(now_ms) - sent))
    if [ $ended -ne 0 ]; then
        echo "FAIL: --fps 1, SIG$sig: still running 3 s later"
        fail=1
    else
        wait "$game_pid"
        status=$?
        if [ $status -ne 0 ] || [ $took -gt 500 ]; then
            echo "FAIL: --fps 1, SIG$sig: status $status after $took ms (wanted 0 within 500 ms)"
            fail=1
        else
            echo "ok: --fps 1, SIG$sig: status 0 in $took ms"
        fi
    fi
    game_pid=""
done
exit $fail
