#!/bin/sh
# Without a display the game must say so in one line that carries SDL's own error, and exit 1,
# both through the X11 driver and through the text-terminal fallback Debian's SDL picks when no
# driver is named.
set -u
game=$1 data=$2
cd "$data" || exit 1
fail=0
check() {
    label=$1
    shift
    err=$(mktemp)
    env -u DISPLAY "$@" "$game" </dev/null >/dev/null 2>"$err"
    status=$?
    line=$(grep 'cannot start' "$err" | head -n 1)
    if [ $status -ne 1 ]; then
        echo "FAIL ($label): exit status $status, expected 1"; cat "$err"; fail=1
    elif [ -z "$line" ]; then
        echo "FAIL ($label): no 'cannot start' message on stderr"; cat "$err"; fail=1
    elif [ "$(grep -c 'cannot start' "$err")" -ne 1 ]; then
        echo "FAIL ($label): the message was written more than once"; fail=1
    else
        echo "ok ($label): $line"
    fi
    rm -f "$err"
}
check x11 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
# sdl12-compat has no such fallback: SDL2 then picks its invisible "offscreen" driver, where the
# game starts and plays unseen.
if ldd "$game" | grep -q 'sdl12-compat/libSDL'; then
    echo "skipped (fallback): sdl12-compat plays on SDL2's offscreen driver without a display"
else
    check fallback -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy
fi
exit $fail
