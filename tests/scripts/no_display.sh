#!/bin/sh
# Without a display the game must say so in one line and exit 1: with the X11 driver named, a
# line that carries SDL's own error; with no driver named (where Debian's SDL would fall back to
# a text-terminal driver), a line that names the cause, and never a terminal escape code. A screen
# that can set no mode at all is one line too, not a promise of a window first.
# usage: no_display.sh GAME DATA_DIR CAPTION_SPY
set -u
game=$1 data=$2 spy=$(realpath "$3")
cd "$data" || exit 1
fail=0
esc=$(printf '\033')
# check LABEL EXPECTED_TEXT ENVIRONMENT...
check() {
    label=$1 expected=$2
    shift 2
    err=$(mktemp)
    env -u DISPLAY "$@" "$game" </dev/null >"$err" 2>&1
    status=$?
    line=$(grep 'cannot start' "$err" | head -n 1)
    if grep -q "$esc" "$err"; then
        echo "FAIL ($label): terminal escape codes written"; fail=1
    fi
    if [ $status -ne 1 ]; then
        echo "FAIL ($label): exit status $status, expected 1"; cat "$err"; fail=1
    elif [ -z "$line" ]; then
        echo "FAIL ($label): no 'cannot start' message on stderr"; cat "$err"; fail=1
    elif [ "$(wc -l <"$err")" -ne 1 ]; then
        echo "FAIL ($label): more than the one line:"; cat "$err"; fail=1
    elif [ "${line#*"$expected"}" = "$line" ]; then
        echo "FAIL ($label): '$line' does not say '$expected'"; fail=1
    else
        echo "ok ($label): $line"
    fi
    rm -f "$err"
}
check x11 "cannot start: " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
check no-driver "cannot start: no X display: DISPLAY is not set" -u SDL_VIDEODRIVER \
    SDL_AUDIODRIVER=dummy
# A display number far above any a test server takes.
check unreachable "cannot start: no X display: cannot connect to X server ':65000'" \
    -u SDL_VIDEODRIVER DISPLAY=:65000 SDL_AUDIODRIVER=dummy
check no-mode "cannot start: neither full screen nor a 1080x720 window could be set" \
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LD_PRELOAD="$spy" VIDEOMODE_REFUSE=1
exit $fail
