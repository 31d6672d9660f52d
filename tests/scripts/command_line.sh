#!/bin/sh
# The game's command line, on the real binary: --help and --version answer and exit 0 without
# opening anything; an unknown option, an --fps outside 1..6000 or recording options that do not
# go together print their error, the usage in one line and a pointer to --help, and exit 2; no option asks for the full screen,
# --windowed for a 1080x720 window; --fps 60 holds the level to about 60 passes a second while
# the default never waits. The build tree's launcher
# runs the game in its data folder from anywhere. Headless, on SDL's dummy drivers.
#
# usage: command_line.sh <game binary> <build-tree launcher> <caption spy> <data folder> <version>
set -u
game=$1 launcher=$2 spy=$3 data=$4 version=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
export ASAN_OPTIONS SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
fail=0
bad() { echo "FAIL: $*"; fail=1; }

# answer EXPECTED_STATUS ARGS...: runs the game with ARGS; it must end by itself (a game that
# started instead would be stopped by the timeout) with EXPECTED_STATUS.
answer() {
    expected=$1
    shift
    (cd "$data" && exec timeout 10 "$game" "$@") >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq "$expected" ] || bad "deadacre $*: exit status $status, expected $expected"
}

answer 0 --help
grep -q '^Usage: deadacre' "$work/out" || bad "--help printed no usage on stdout"
grep -q -- '--fps N' "$work/out" || bad "--help does not mention --fps"
# Each option's help starts in one column, at least a space after the longest option, and no line
# is wider than a terminal's 80.
columns=$(grep -E '^  --[a-z]+' "$work/out" | sed -E 's/^(  --[a-z]+( [A-Z]+)? +).*/\1/' |
          awk '{ print length($0) }' | sort -u)
[ "$(echo "$columns" | wc -l)" = 1 ] && ! grep -qE '^  --[a-z]+ [A-Z]+[a-z]' "$work/out" ||
    bad "--help's option lines are not in one column: $(grep -E '^  --' "$work/out")"
awk 'length($0) > 80 { exit 1 }' "$work/out" || bad "--help has a line wider than 80"
options=$(grep -oE '^  --[a-z]+' "$work/out" | grep -vE -- '--(help|version)$')
[ -s "$work/err" ] && bad "--help wrote to stderr: $(cat "$work/err")"

answer 0 --version
[ "$(cat "$work/out")" = "deadacre $version" ] ||
    bad "--version printed '$(cat "$work/out")', expected 'deadacre $version'"

for args in "--bogus" "-x" "--fps 0" "--fps 6001" "--fps -5" "--fps 60x" "--fps" "--fps=" \
    "--windowed --fps abc" "--record" "--replay" "--record a --replay b" "--headless" \
    "--frames" "--windowed --headless"; do
    # shellcheck disable=SC2086
    answer 2 $args
    # The error stays in sight: itself, the one-line usage, and where the help is.
    [ "$(wc -l <"$work/err")" -eq 3 ] && grep -q '^deadacre: ' "$work/err" &&
        grep -q '^Usage: deadacre' "$work/err" && tail -n 1 "$work/err" | grep -q "Try 'deadacre --help'" ||
        bad "deadacre $args: stderr is not the error, one usage line and the pointer to --help: $(cat "$work/err")"
    [ -s "$work/out" ] && bad "deadacre $args: wrote to stdout"
    # The usage line names every option the help lists.
    for option in $options; do
        grep '^Usage: deadacre' "$work/err" | grep -qE -- "(\[|\| )$option( |\])" ||
            bad "deadacre $args: the usage line leaves out $option: $(grep '^Usage' "$work/err")"
    done
done
echo "ok: --help, --version and bad options"

. "$(dirname "$0")/game_run.sh"
level_ran() { [ "$(level_seconds "$work/captions")" -ge "$1" ]; }

# play LABEL SECONDS COMMAND...: runs the game until its level has put up SECONDS 'FPS = r'
# captions, then sends the quit event; sets $rate to the last r and $mode to the video mode asked.
play() {
    label=$1 seconds=$2
    shift 2
    rm -f "$work/captions" "$work/modes"
    CAPTION_LOG=$work/captions VIDEOMODE_LOG=$work/modes LD_PRELOAD=$spy "$@" \
        >"$work/out" 2>&1 &
    pid=$!
    if ! wait_for $pid 300 level_ran "$seconds"; then
        bad "$label: the level did not run for $seconds s; output:"; cat "$work/out"
        return 1
    fi
    cwd=$(readlink "/proc/$pid/cwd")
    # Read while the level runs: the menu puts up its own rate after the level ends.
    rate=$(grep '^FPS = [0-9]' "$work/captions" | tail -n 1 | cut -d' ' -f3)
    quit_game $pid 300 ||
        bad "$label: exit status $quit_status after the quit event, expected 0"
    mode=$(head -n 1 "$work/modes")
}

within() { awk -v r="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(r >= lo && r <= hi) }'; }

# On sdl12-compat every flip goes through SDL2's renderer and a pass costs milliseconds, more on a
# busy machine: there the rates can only be checked from above (--fps 60 never runs faster than
# asked); how fast an unpaced level runs is checked on classic SDL, where a pass costs
# microseconds.
slowest=100 paced=40
if ldd "$game" | grep -q 'sdl12-compat/libSDL'; then
    slowest=0 paced=0
fi

cd / || exit 1
if play "build-tree launcher, default" 3 "$launcher"; then
    [ "$cwd" = "$(readlink -f "$data")" ] || bad "the launcher ran the game in $cwd, not in $data"
    [ "$mode" = "1080x720x32 fullscreen" ] || bad "no options: asked for '$mode', not full screen"
    within "$rate" "$slowest" 1000000 || bad "no options: $rate passes a second, the level should not wait"
    echo "ok: launcher from /, game in $cwd, $mode, $rate passes/s"
fi
if play "--windowed --fps 60" 3 "$launcher" --windowed --fps 60; then
    [ "$mode" = "1080x720x32 window" ] || bad "--windowed: asked for '$mode', not a window"
    within "$rate" "$paced" 63 || bad "--fps 60: $rate passes a second, expected about 60"
    echo "ok: --windowed --fps 60: $mode, $rate passes/s"
fi
exit $fail
