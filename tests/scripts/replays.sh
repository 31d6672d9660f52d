#!/bin/bash
# The committed recordings in tests/replays/ as regression tests: each is played back headless
# and every pass's checksums must be the expected ones; the first differing pass is named.
# Then damaged copies of one: a recording cut short plays its whole passes exactly and says
# where it ends (status 2); a wrong magic, a newer format or other data files are refused with
# one line (status 2).
#
# Last, recording: an earlier recording is kept when the game cannot start; a game killed while
# recording (by the input script, headless) keeps every pass but the one it was in, in place of
# the earlier one; a disk that fills up is said in one line and the passes before are kept; a
# folder or a device is refused in one line.
#
# usage: replays.sh GAME DATA_DIR REPLAYS_DIR INPUT_SCRIPT_LIBRARY
set -u
game=$(realpath "$1") data=$(realpath "$2") replays=$(realpath "$3") script=$(realpath "$4")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$data" || exit 1
fail=0
bad() { echo "FAIL: $*"; fail=1; }
# The recordings were made on classic SDL. SDL2 under sdl12-compat rounds blended pixels
# differently, so there every pass's game state must match and the frames are left out.
checksums() { cat; }
if ldd "$game" | grep -q 'sdl12-compat/libSDL'; then
    echo "sdl12-compat: comparing the game state of every pass, not the frames"
    checksums() { sed -E -e 's/ frame [0-9a-f]+//' -e '/^(last|recorded) frame /d'; }
fi

for rec in "$replays"/*.dacrec; do
    name=$(basename "$rec" .dacrec)
    "$game" --replay "$rec" --headless --frames >"$work/$name.out" 2>"$work/$name.err"
    status=$?
    first=$(diff <(checksums <"$replays/$name.expected") <(checksums <"$work/$name.out") | head -n 3)
    if [ -n "$first" ]; then
        line=$(cmp <(checksums <"$replays/$name.expected") <(checksums <"$work/$name.out") 2>&1 |
            sed -n 's/.* line \([0-9]*\).*/\1/p')
        bad "$name: the playback differs from $name.expected first at" \
            "$(sed -n "${line:-1}p" "$replays/$name.expected" | cut -d' ' -f1-2)" \
            "(line ${line:-?}):"
        echo "$first" | sed 's/^/  /'
    elif [ $status -ne 0 ] || [ -s "$work/$name.err" ]; then
        bad "$name: status $status, stderr: $(cat "$work/$name.err")"
    else
        echo "ok: $name: $(tail -n 1 "$work/$name.out"), every pass as expected"
    fi
done

# Damaged copies of the first recording.
rec=$(ls "$replays"/*.dacrec | head -n 1)
name=$(basename "$rec" .dacrec)
size=$(stat -c %s "$rec")
passes=$(tail -n 1 "$replays/$name.expected" | cut -d' ' -f2)

# expect_refused FILE WORDS: status 2, one line on stderr containing WORDS, nothing played.
expect_refused() {
    "$game" --replay "$1" --headless >"$work/out" 2>"$work/err"
    local status=$? lines
    lines=$(wc -l <"$work/err")
    if [ $status -ne 2 ] || [ "$lines" -ne 1 ] || ! grep -q "$2" "$work/err"; then
        bad "$(basename "$1"): wanted status 2 and one line with '$2', got status $status:" \
            "$(cat "$work/err")"
    elif [ -s "$work/out" ]; then
        bad "$(basename "$1"): refused, but it played: $(cat "$work/out")"
    else
        echo "ok: $(basename "$1"): $(cat "$work/err")"
    fi
}
# patch FILE OFFSET BYTE: one byte of a copy of the recording replaced.
patch() {
    cp "$rec" "$1"
    printf "\\x$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
patch "$work/magic.dacrec" 0 58
expect_refused "$work/magic.dacrec" "wrong magic"
patch "$work/newer.dacrec" 9 7f
expect_refused "$work/newer.dacrec" "newer than this game reads"
version_length=$(od -An -tu1 -j 10 -N 1 "$rec" | tr -d ' ')
patch "$work/data.dacrec" $((11 + version_length)) 00
expect_refused "$work/data.dacrec" "other data files"

# Cut at two places: the whole passes before the cut play exactly as in the full recording.
for cut in $((size / 3)) $((size - 30)); do
    head -c "$cut" "$rec" >"$work/cut.dacrec"
    "$game" --replay "$work/cut.dacrec" --headless --frames >"$work/cut.out" 2>"$work/cut.err"
    status=$?
    played=$(sed -n 's/^passes //p' "$work/cut.out")
    if [ $status -ne 2 ] || [ "$(wc -l <"$work/cut.err")" -ne 1 ] ||
        ! grep -q "cut short: it ends after pass $played\$" "$work/cut.err"; then
        bad "cut at $cut bytes: wanted status 2 and 'ends after pass $played', got status" \
            "$status: $(cat "$work/cut.err")"
    elif [ -z "$played" ] || [ "$played" -ge "$passes" ] || [ "$played" -lt 1 ]; then
        bad "cut at $cut bytes: played '$played' passes of $passes"
    elif ! head -n "$played" "$replays/$name.expected" | checksums |
        cmp -s - <(head -n "$played" "$work/cut.out" | checksums); then
        bad "cut at $cut bytes: the $played whole passes do not play as in the full recording"
    else
        echo "ok: cut at $cut of $size bytes: $played whole passes as recorded; $(cat "$work/cut.err")"
    fi
done

# An earlier recording stays as it was when the game cannot start, and nothing is left beside it.
cp "$rec" "$work/kept.dacrec"
env -u DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" --record "$work/kept.dacrec" \
    >/dev/null 2>"$work/kept.err"
status=$?
if [ $status -ne 1 ] || ! cmp -s "$rec" "$work/kept.dacrec" || ls "$work"/kept.dacrec.* >/dev/null 2>&1; then
    bad "recording without a display: status $status, the earlier recording" \
        "$(cmp -s "$rec" "$work/kept.dacrec" && echo kept || echo lost), left: $(ls "$work")"
else
    echo "ok: recording without a display: status 1, the earlier recording kept"
fi

# Where no recording can go: one line naming the path and why, status 2.
mkdir "$work/folder"
for target in "$work/folder" /dev/full; do
    "$game" --record "$target" >/dev/null 2>"$work/where.err"
    status=$?
    if [ $status -ne 2 ] || [ "$(wc -l <"$work/where.err")" -ne 1 ] ||
        ! grep -qE "$target: cannot record into it: it is a (folder|device)" "$work/where.err"; then
        bad "--record $target: status $status: $(cat "$work/where.err")"
    else
        echo "ok: --record $target: $(cat "$work/where.err")"
    fi
done
"$game" --replay "$work/folder" --headless >/dev/null 2>"$work/where.err"
status=$?
if [ $status -ne 2 ] || ! grep -q "folder: it is a folder" "$work/where.err"; then
    bad "--replay a folder: status $status: $(cat "$work/where.err")"
else
    echo "ok: --replay a folder: $(cat "$work/where.err")"
fi

# A full disk, as a file size limit: the game plays on, says once that the recording stops, and
# the passes written before play back.
(
    trap '' XFSZ
    ulimit -f 2
    LD_PRELOAD=$script INPUT_SCRIPT=walk INPUT_SCRIPT_PASS_MS=2 SDL_VIDEODRIVER=dummy \
        SDL_AUDIODRIVER=dummy exec timeout --preserve-status -s TERM 3 "$game" --record "$work/full.dacrec"
) >/dev/null 2>"$work/full.err"
status=$?
"$game" --replay "$work/full.dacrec" --headless >"$work/full.out" 2>"$work/full.replay.err"
played=$(sed -n 's/^passes //p' "$work/full.out")
if [ $status -ne 0 ] || [ "$(grep -c 'cannot write the recording' "$work/full.err")" -ne 1 ] ||
    ! grep -q "full.dacrec: cannot write the recording (File too large)" "$work/full.err" ||
    [ "${played:-0}" -lt 10 ]; then
    bad "recording past a size limit: status $status, $played passes played back: $(cat "$work/full.err")"
else
    echo "ok: recording past a size limit: $played passes kept; $(grep 'cannot write' "$work/full.err")"
fi

# Killed without warning while recording, over an earlier recording.
cp "$rec" "$work/killed.dacrec"
LD_PRELOAD=$script INPUT_SCRIPT=weapons INPUT_SCRIPT_PASS_MS=2 SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=dummy "$game" --record "$work/killed.dacrec" 2>/dev/null &
pid=$!
sleep 2
kill -KILL $pid
wait $pid 2>/dev/null
"$game" --replay "$work/killed.dacrec" --headless >"$work/killed.out" 2>"$work/killed.err"
status=$?
played=$(sed -n 's/^passes //p' "$work/killed.out")
if [ $status -ne 2 ] || ! grep -q "cut short: it ends after pass $played\$" "$work/killed.err" ||
    [ "${played:-0}" -lt 10 ]; then
    bad "killed recording: wanted status 2, at least 10 passes and where it ends; got status" \
        "$status, '$played' passes: $(cat "$work/killed.err")"
elif ls "$work"/killed.dacrec.* >/dev/null 2>&1; then
    bad "killed recording: a temporary file was left: $(ls "$work")"
else
    echo "ok: killed while recording: $played passes kept; $(cat "$work/killed.err")"
fi
exit $fail
