#!/bin/bash
# A game recorded on a virtual X display, played with real pointer moves, key presses and clicks
# through xdotool, must play back to the state and the last frame the recording closed with:
# headless as fast as it goes, and on the display at the recorded pace.
#
# usage: replay_real_display.sh GAME DATA_DIR
set -u
game=$(realpath "$1") data=$(realpath "$2")
work=$(mktemp -d)
xvfb_pid="" game_pid=""
stop_all() {
    for pid in $game_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP
fail() {
    echo "FAIL: $*"
    for log in "$work"/*.log; do
        [ -s "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" | tail -n 20
    done
    exit 1
}

# -displayfd: the server takes a free display number, so parallel runs never clash.
Xvfb -displayfd 3 -screen 0 1080x720x24 -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb reported no display"
export DISPLAY=:$(head -n 1 "$work/display")
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "display $DISPLAY does not answer"
cd "$data" || exit 1

xdotool mousemove 600 400
SDL_AUDIODRIVER=dummy "$game" --record "$work/x.dacrec" >"$work/record.log" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 300); do
    window=$(xdotool search --name '^FPS = ' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 $game_pid 2>/dev/null || fail "the game ended before its level showed"
    sleep 0.1
done
[ -n "$window" ] || fail "no level window within 30 s"

# Keys are held about as long as a person holds them, so the game's passes see them.
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.05; }
hold d 0.6
xdotool mousemove 300 200
hold w 0.4
for _ in 1 2 3; do xdotool click 1; sleep 0.15; done
hold t 0.1
hold c 0.1
hold t 0.1
hold space 0.2
xdotool mousemove 900 600
hold a 0.5
sleep 0.3
xdotool click 3 # the right button leaves the level
for _ in $(seq 200); do kill -0 $game_pid 2>/dev/null || break; sleep 0.1; done
kill -0 $game_pid 2>/dev/null && fail "the game did not end 20 s after the right button"
wait $game_pid
status=$?
game_pid=""
[ $status -eq 0 ] || fail "the recorded game exited with $status"

# check NAME: the playback's output in $work/NAME.out matches the recording's closing record.
check() {
    local state frame rstate rframe passes
    state=$(sed -n 's/^final state //p' "$work/$1.out")
    frame=$(sed -n 's/^last frame //p' "$work/$1.out")
    rstate=$(sed -n 's/^recorded state //p' "$work/$1.out")
    rframe=$(sed -n 's/^recorded frame //p' "$work/$1.out")
    passes=$(sed -n 's/^passes //p' "$work/$1.out")
    [ -n "$rstate" ] || fail "$1: the recording has no closing record"
    [ "$state" = "$rstate" ] || fail "$1: final state $state, the recording closed with $rstate"
    [ "$frame" = "$rframe" ] || fail "$1: last frame $frame, the recording closed with $rframe"
    [ "${passes:-0}" -ge 100 ] || fail "$1: only '$passes' passes were recorded"
    echo "ok: $1: $passes passes, state $state, frame $frame, as recorded on the display"
}

"$game" --replay "$work/x.dacrec" --headless >"$work/headless.out" 2>"$work/headless.log"
status=$?
[ $status -eq 0 ] || fail "headless playback exited with $status"
[ -s "$work/headless.log" ] && fail "headless playback complained"
check headless

SDL_AUDIODRIVER=dummy timeout 120 "$game" --replay "$work/x.dacrec" >"$work/screen.out" \
    2>"$work/screen.log"
status=$?
[ $status -eq 0 ] || fail "playback on the display exited with $status"
grep -q "ends differently" "$work/screen.log" && fail "playback on the display diverged"
check screen

# The viewer may stop a playback on the display with Escape: the game ends at once, status 0.
full=$(sed -n 's/^passes //p' "$work/screen.out")
SDL_AUDIODRIVER=dummy "$game" --replay "$work/x.dacrec" >"$work/stopped.out" 2>"$work/stopped.log" &
game_pid=$!
for _ in $(seq 300); do
    xdotool search --name '^FPS = ' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 0.5
xdotool key Escape
for _ in $(seq 100); do kill -0 $game_pid 2>/dev/null || break; sleep 0.1; done
kill -0 $game_pid 2>/dev/null && fail "the playback did not stop 10 s after Escape"
wait $game_pid
status=$?
game_pid=""
stopped=$(sed -n 's/^passes //p' "$work/stopped.out")
[ $status -eq 0 ] || fail "a playback stopped with Escape exited with $status"
[ -n "$stopped" ] && [ "$stopped" -lt "$full" ] ||
    fail "Escape did not stop the playback early ($stopped of $full passes)"
echo "ok: Escape stopped the playback on the display after $stopped of $full passes"
