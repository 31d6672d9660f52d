#!/bin/sh
# Installs the game into a temporary prefix and starts it through the installed launcher (by a
# symbolic link, as a packager's alternatives would) from another folder, headless: the game must
# run with the installed data folder as its working directory, reach the level, and end with
# status 0 on a quit event (SDL turns SIGTERM into one).
set -u
cmake=$1 build=$2 spy=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/out" ] && cat "$tmp/out"; exit 1; }
. "$(dirname "$0")/../scripts/game_run.sh"

"$cmake" --install "$build" --prefix "$tmp/usr" >"$tmp/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$tmp/install.log")"
launcher=$tmp/usr/games/deadacre
data=$tmp/usr/share/games/deadacre
[ -x "$launcher" ] || fail "no executable launcher at usr/games/deadacre"
[ -x "$tmp/usr/lib/games/deadacre/deadacre" ] || fail "no game binary at usr/lib/games/deadacre"
[ -f "$data/testFont.ttf" ] || fail "no data folder at usr/share/games/deadacre"
mkdir "$tmp/elsewhere"
ln -s "$launcher" "$tmp/elsewhere/deadacre"

cd / || exit 1
CAPTION_LOG=$tmp/captions LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$tmp/elsewhere/deadacre" >"$tmp/out" 2>&1 &
pid=$!
wait_for $pid 300 grep -q '^FPS = [0-9]' "$tmp/captions" 2>/dev/null ||
    fail "no 'FPS = <rate>' caption within 30 s, or the installed game ended early; captions: $(cat "$tmp/captions" 2>/dev/null)"
cwd=$(readlink "/proc/$pid/cwd")
[ "$cwd" = "$(readlink -f "$data")" ] || { kill -9 $pid; fail "the game runs in $cwd, not in $data"; }
[ "$(head -n 1 "$tmp/captions")" = "Main Menu" ] || { kill -9 $pid; fail "first caption was not 'Main Menu'"; }
quit_game $pid 100 ||
    fail "the game did not end with status 0 within 10 s of the quit event (status $quit_status)"
echo "ok: installed launcher ran the game from $cwd, captions $(tr '\n' '|' <"$tmp/captions"), exit status 0"

# A recording named by a relative path lands where the player typed it, not in the data folder.
cd "$tmp/elsewhere" || exit 1
rm -f "$tmp/captions"
CAPTION_LOG=$tmp/captions LD_PRELOAD=$spy SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    ./deadacre --record game.dacrec >"$tmp/out" 2>&1 &
pid=$!
wait_for $pid 300 grep -q '^FPS = [0-9]' "$tmp/captions" 2>/dev/null ||
    fail "no level within 30 s when recording to a relative path"
quit_game $pid 100 || fail "recording to a relative path: status $quit_status after the quit event"
[ -s "$tmp/elsewhere/game.dacrec" ] || fail "no game.dacrec in the folder the launcher was started from"
[ -e "$data/game.dacrec" ] && fail "the recording was written into the data folder"
echo "ok: --record game.dacrec through the launcher wrote $tmp/elsewhere/game.dacrec"
