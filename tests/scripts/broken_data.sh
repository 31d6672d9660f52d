#!/bin/bash
# The real game, headless, from copies of its data folder in which one asset at a time is broken:
# cut in half, zero bytes, random bytes, a file of another kind, a directory, unreadable, a
# symlink loop, oversized, or with a header that claims huge dimensions (sounds also get headers
# that crash SDL's conversion: 1 Hz, no channels). Every run must reach the level, end with
# status 0 on a terminating signal with no sanitizer report and no hang, and a refused sound must
# be named on standard error; a refused font or picture in one line with its cause, with no line
# of libpng's. A picture of the other kind under a picture's name loads unremarked.
#
# Settings files given with --settings that are empty, huge, binary, a folder, a pipe or
# unreadable: one line (none for the empty file), the level with the defaults, the file untouched.
#
# A pipe (FIFO) in place of a picture or the font must not block the game: it plays its level,
# and each of the four signals ends it within half a second. A pipe given as a recording to
# play or to write is refused at once with one line.
#
# Assets loaded as the level starts are broken one at a time, and the game is signalled a moment
# after the menu's caption: the level is set up and plays at least one pass before it ends.
# The weapons load their pictures and sounds only when picked up, so those are broken all at
# once per kind, and the preloaded input script walks over the weapons and starts firing the
# pistol before the signal.
#
# usage: broken_data.sh GAME CAPTION_SPY INPUT_SCRIPT DATA_DIR [JOBS]
# BROKEN_ONLY=<regex> restricts the cases (e.g. BROKEN_ONLY='loop .*wav'); the broken files are
# generated here and removed afterwards; a failing case keeps its folder in BROKEN_KEEP if set.
set -u
self=$(realpath "$0")
if [ "${1:-}" = --case ]; then
    shift
    mode=case
else
    mode=suite
fi

KINDS="truncated empty random other directory unreadable loop oversized huge"
SIGNALS=(INT TERM QUIT HUP)
# Loaded only when the player picks a weapon up or fires one.
WEAPON_ONLY='^(sounds/gunSounds/|images/particleImages/|images/projectileImages/|images/HUDImages/(glock|uzi|flamethrower)\.png)'

# le32 N: four bytes, little-endian. be32 N: big-endian.
le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))\\$(printf %03o $(($1 >> 16 & 255)))\\$(printf %03o $(($1 >> 24 & 255)))"; }
be32() { printf "\\$(printf %03o $(($1 >> 24 & 255)))\\$(printf %03o $(($1 >> 16 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))\\$(printf %03o $(($1 & 255)))"; }
# offset_of FILE BYTES: byte offset of the first occurrence.
offset_of() { LC_ALL=C grep -obUa -m1 "$2" "$1" | head -n1 | cut -d: -f1; }
# patch FILE OFFSET: overwrite bytes at OFFSET with standard input.
patch() { dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# wav RATE CHANNELS: a short PCM WAV whose header says RATE Hz and CHANNELS channels.
wav() {
    local rate=$1 channels=$2 bytes=400
    {
        printf RIFF; le32 $((36 + bytes)); printf 'WAVEfmt '; le32 16
        printf '\001\000'; printf "\\$(printf %03o "$channels")\\000"; le32 "$rate"
        le32 $((rate * channels * 2)); printf "\\$(printf %03o $((channels * 2 & 255)))\\000"
        printf '\020\000'; printf data; le32 $bytes
        head -c $bytes /dev/zero
    }
}

# break_file KIND PATH ORIGINAL: replaces PATH (a link to ORIGINAL) with a broken file.
break_file() {
    local kind=$1 f=$2 orig=$3 size
    size=$(stat -L -c %s "$orig")
    rm -f "$f"
    case $kind in
    truncated) head -c $((size / 2)) "$orig" >"$f" ;;
    empty) : >"$f" ;;
    random) head -c "$size" /dev/urandom >"$f" ;;
    other)
        case $f in
        *.wav) cp "$data/images/itemImages/gold.png" "$f" ;;
        *.ttf) cp "$data/images/HUDImages/gold.jpg" "$f" ;;
        *) cp "$data/sounds/gunSounds/noAmmo.wav" "$f" ;;
        esac ;;
    directory) mkdir "$f" ;;
    fifo-*) mkfifo "$f" ;;
    # A picture of the other kind under this one's name.
    misnamed)
        case $f in
        *.jpg) cp "$data/images/level1Images/building.png" "$f" ;;
        *) cp "$data/images/level1Images/building.jpg" "$f" ;;
        esac ;;
    unreadable) cp "$orig" "$f" && chmod 000 "$f" ;;
    loop) ln -s "$(basename "$f")" "$f" ;;
    # The original followed by zeros up to 64 MB, kept sparse.
    oversized) cp "$orig" "$f" && truncate -s 64M "$f" ;;
    huge)
        cp "$orig" "$f"
        case $f in
        *.png)
            # IHDR claiming 1,000,000 x 1,000,000 pixels, with a correct checksum (gzip's
            # trailer carries the CRC-32 of what it compressed).
            local ihdr crc
            ihdr=$(mktemp)
            { printf IHDR; be32 1000000; be32 1000000; dd if="$orig" bs=1 skip=24 count=5 status=none; } >"$ihdr"
            crc=$(gzip -c <"$ihdr" | tail -c 8 | head -c 4 | od -An -tu4 | tr -d ' ')
            { cat "$ihdr"; be32 "$crc"; } | patch "$f" 12
            rm -f "$ihdr" ;;
        *.jpg)
            # The frame header claims 65535 x 65535 pixels.
            local at
            at=$(offset_of "$f" $'\xff\xc0')
            [ -n "$at" ] || at=$(offset_of "$f" $'\xff\xc2')
            printf '\377\377\377\377' | patch "$f" $((at + 5)) ;;
        *.wav)
            # The sound data claims nearly 4 GB.
            le32 4294967280 | patch "$f" $(($(offset_of "$f" data) + 4)) ;;
        *.ttf)
            # The table directory claims 65535 tables.
            printf '\377\377' | patch "$f" 4 ;;
        esac ;;
    rate1) wav 1 2 >"$f" ;;
    channels0) wav 22050 0 >"$f" ;;
    esac
}

run_case() { # KIND FILE... (a group of weapon files is run with the input script)
    local kind=$1
    shift
    local name dir log out i sig pid status runner=() limit_ms
    name=$kind-$(printf '%s' "$1" | tr '/' '_')
    [ $# -gt 1 ] && name=$kind-weapons
    dir=$work/cases/$name
    mkdir -p "$dir/data"
    cp -rs "$data/." "$dir/data"
    for f in "$@"; do
        break_file "$kind" "$dir/data/$f" "$data/$f"
    done
    log=$dir/captions out=$dir/out
    : >"$log"
    chmod 666 "$log"
    local preload=$spy env_extra=()
    if [ $# -gt 1 ]; then
        preload="$spy:$inputscript"
    fi
    if [ "$kind" = unreadable ] && [ "$(id -u)" -eq 0 ]; then
        # Root reads any file whatever its mode: run the game as nobody, from copies it can reach.
        runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        rm -rf "$dir/data"
        mkdir -p "$dir/data"
        cp -rs "$shared/data/." "$dir/data"
        for f in "$@"; do
            break_file "$kind" "$dir/data/$f" "$data/$f"
        done
        chmod -R a+rX "$dir" 2>/dev/null
        for f in "$@"; do chmod 000 "$dir/data/$f"; done
        env_extra=(LSAN_OPTIONS="${LSAN_OPTIONS:-}${shared_supp:+:suppressions=$shared_supp}")
        preload=$shared/$(basename "$spy")
        [ $# -gt 1 ] && preload="$preload:$shared/$(basename "$inputscript")"
        game_bin=$shared/$(basename "$game")
    else
        game_bin=$game
    fi
    i=$(( $(printf '%s' "$name" | cksum | cut -d' ' -f1) ))
    sig=${SIGNALS[$((i % 4))]}
    # A pipe's cases name their signal, and the game must be gone within half a second of it.
    local patience=300
    case $kind in fifo-*) sig=${kind#fifo-} patience=10 ;; esac
    set -m
    # A window: sdl12-compat puts a full screen on SDL2's 1024x768 dummy display, where the
    # pointer cannot reach the right of the view and the input script's walks go astray.
    (cd "$dir/data" && exec env CAPTION_LOG="$log" LD_PRELOAD="$preload" SDL_VIDEODRIVER=dummy \
        SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "${env_extra[@]}" "${runner[@]}" "$game_bin" --windowed) >"$out" 2>&1 &
    pid=$!
    set +m
    local waited=0 why=""
    while :; do
        if [ $# -gt 1 ]; then
            # The weapons are all picked up; the pistol fires its first shot in this phase.
            grep -q '^input script: fire the Glock' "$out" 2>/dev/null && break
        elif [ $patience -lt 300 ]; then
            # Past the loading a pipe would have blocked for ever: the level is playing.
            grep -q '^FPS = ' "$log" && break
        else
            [ -s "$log" ] && break
        fi
        kill -0 $pid 2>/dev/null || { why="ended before it was signalled"; break; }
        waited=$((waited + 1))
        [ $waited -gt 600 ] && { why="no sign of the level within 30 s"; break; }
        sleep 0.05
    done
    if [ -z "$why" ]; then
        sleep "0.$((RANDOM % 3))$((RANDOM % 10))"
        kill -s "$sig" $pid 2>/dev/null
        waited=0
        while kill -0 $pid 2>/dev/null; do
            waited=$((waited + 1))
            [ $waited -gt $patience ] &&
                { why="still running $((patience * 50)) ms after SIG$sig"; break; }
            sleep 0.05
        done
    fi
    if [ -n "$why" ]; then
        kill -9 $pid 2>/dev/null
    fi
    wait $pid
    status=$?
    if [ -z "$why" ] && [ $status -ne 0 ]; then
        why="exit status $status after SIG$sig"
    fi
    if [ -z "$why" ] && grep -qE 'Sanitizer|runtime error:' "$out"; then
        why="sanitizer report"
    fi
    if [ -z "$why" ]; then
        for f in "$@"; do
            case $f in
            *.wav) grep -qF "$f" "$out" || why="the refused sound $f was not named on stderr" ;;
            esac
        done
    fi
    # A font or a picture is named in one line with the cause, and libpng says nothing of its
    # own; a picture whose content is another kind than its name says loads unremarked. (A
    # picture the level had not reached when the signal came is not named at all.)
    if [ -z "$why" ] && [ $# -eq 1 ]; then
        local named cause=""
        named=$(grep -cF "$1" "$out")
        case $kind:$1 in
        truncated:*.ttf | huge:*.ttf) cause='the font is cut short' ;;
        empty:*.ttf) cause='the file is empty' ;;
        other:*.ttf) cause='not a TrueType or OpenType font' ;;
        truncated:*.png) cause='the picture is cut short' ;;
        esac
        if grep -q '^libpng' "$out"; then
            why="libpng printed a line of its own"
        elif [ "$kind" = misnamed ] && [ "$named" -ne 0 ]; then
            why="a picture under another kind's name was reported"
        elif [ "$named" -gt 1 ] && [ "${1%.wav}" = "$1" ]; then
            why="$named lines name $1"
        elif [ -n "$cause" ] && [ "$named" -eq 1 ] && ! grep -F "$1" "$out" | grep -qF "$cause"; then
            why="no line names $1 with: $cause"
        fi
    fi
    if [ -n "$why" ]; then
        echo "FAIL ($kind: $*): $why"
        sed 's/^/    /' "$out" | grep -v '^    ALSA' | tail -n 30
        if [ -n "${BROKEN_KEEP:-}" ]; then
            mkdir -p "$BROKEN_KEEP" && cp -a "$dir" "$BROKEN_KEEP/"
        fi
        rm -rf "$dir"
        return 1
    fi
    rm -rf "$dir"
    echo "ok ($kind: $*): SIG$sig, status 0"
    return 0
}

if [ $mode = case ]; then
    run_case "$@"
    exit $?
fi

game=$(realpath "$1") spy=$(realpath "$2") inputscript=$(realpath "$3") data=$(realpath "$4")
jobs=${5:-$(($(nproc) * 2))}
work=$(mktemp -d)
trap 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/cases"
shared=$work/shared shared_supp=""
if [ "$(id -u)" -eq 0 ]; then
    if ! setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
        echo "FAIL: running as root and setpriv cannot drop to nobody, so 'unreadable' would not be"
        echo "      unreadable"
        exit 1
    fi
    # What the unprivileged runs need, where nobody can reach it.
    mkdir -p "$shared"
    cp -r "$data" "$shared/data"
    cp "$game" "$spy" "$inputscript" "$shared/"
    supp=$(printf '%s' "${LSAN_OPTIONS:-}" | tr ':' '\n' | sed -n 's/^suppressions=//p' | tail -n 1)
    if [ -n "$supp" ]; then
        cp "$supp" "$shared/lsan.supp"
        shared_supp=$shared/lsan.supp
    fi
    chmod -R a+rX "$shared"
fi
export game spy inputscript data work shared shared_supp

cd "$data" || exit 1
assets=$(find . \( -name '*.png' -o -name '*.jpg' -o -name '*.wav' -o -name '*.ttf' \) | sed 's|^\./||' | sort)
weapon=$(printf '%s\n' "$assets" | grep -E "$WEAPON_ONLY")
startup=$(printf '%s\n' "$assets" | grep -vE "$WEAPON_ONLY")
{
    for kind in $KINDS; do
        for f in $startup; do echo "$kind $f"; done
        echo "$kind" $weapon
    done
    echo "misnamed images/level1Images/backgroundLevel.jpg"
    echo "misnamed images/level1Images/building.png"
    for sig in "${SIGNALS[@]}"; do
        echo "fifo-$sig images/level1Images/backgroundLevel.jpg"
        echo "fifo-$sig testFont.ttf"
    done
    for kind in rate1 channels0; do
        for f in $startup; do case $f in *.wav) echo "$kind $f" ;; esac; done
        echo "$kind" $(printf '%s\n' $weapon | grep '\.wav$')
    done
} | grep -E "${BROKEN_ONLY:-.}" >"$work/cases.txt"
total=$(wc -l <"$work/cases.txt")
start=$(date +%s)
xargs -r -P "$jobs" -L 1 bash "$self" --case <"$work/cases.txt" >"$work/report" 2>&1
# A pipe as the recording to play or to write: one line naming it, status 2, nothing waits.
mkfifo "$work/pipe.dacrec"
for option in --replay --record; do
    total=$((total + 1))
    timeout 10 "$game" "$option" "$work/pipe.dacrec" >"$work/pipe.out" 2>&1
    status=$?
    if [ $status -ne 2 ] || [ "$(wc -l <"$work/pipe.out")" -ne 1 ] ||
        ! grep -q "pipe.dacrec: .*it is a pipe" "$work/pipe.out"; then
        echo "FAIL ($option a pipe): status $status: $(cat "$work/pipe.out")" >>"$work/report"
    else
        echo "ok ($option a pipe): $(cat "$work/pipe.out")" >>"$work/report"
    fi
done
# Settings files that are none: the game says so in one line, plays its level with the defaults
# and leaves the file as it was. An empty file is a good one with nothing in it.
settings_case() { # KIND
    local kind=$1 dir=$work/settings-$1 file runner=() bin=$game from=$data preload=$spy status lines
    local sum=""
    mkdir -p "$dir"
    chmod 755 "$dir"
    file=$dir/settings.ini
    case $kind in
    empty) : >"$file" ;;
    huge) head -c 70000 /dev/zero | tr '\0' '#' >"$file" ;;
    binary) head -c 3000 /dev/urandom >"$file"; printf '\0' >>"$file" ;;
    directory) mkdir "$file" ;;
    fifo) mkfifo "$file" ;;
    unreadable)
        printf 'volume = 50\n' >"$file"
        sum=$(cksum <"$file")
        chmod 000 "$file"
        if [ "$(id -u)" -eq 0 ]; then
            runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
            bin=$shared/$(basename "$game") from=$shared/data
            preload=$shared/$(basename "$spy")
        fi ;;
    esac
    [ -z "$sum" ] && [ -f "$file" ] && sum=$(cksum <"$file")
    : >"$dir/captions"
    chmod 666 "$dir/captions"
    set -m
    (cd "$from" && exec env CAPTION_LOG="$dir/captions" LD_PRELOAD="$preload" SDL_VIDEODRIVER=dummy \
        SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "${runner[@]}" "$bin" --windowed --settings "$file") >"$dir/out" 2>&1 &
    local pid=$! waited=0 why=""
    set +m
    until grep -q '^FPS = ' "$dir/captions"; do
        kill -0 $pid 2>/dev/null || { why="ended before its level"; break; }
        waited=$((waited + 1))
        [ $waited -gt 600 ] && { why="no level within 30 s"; kill -9 $pid; break; }
        sleep 0.05
    done
    kill -TERM $pid 2>/dev/null
    wait $pid
    status=$?
    lines=$(grep -c "settings" "$dir/out")
    if [ -z "$why" ] && [ $status -ne 0 ]; then why="exit status $status"; fi
    if [ -z "$why" ] && [ "$kind" = empty ] && [ "$lines" -ne 0 ]; then why="said: $(cat "$dir/out")"; fi
    if [ -z "$why" ] && [ "$kind" != empty ] && { [ "$lines" -ne 1 ] ||
        ! grep -q "the settings file $file .*: playing with the default settings" "$dir/out"; }; then
        why="expected one line refusing the file, got: $(cat "$dir/out")"
    fi
    if [ -z "$why" ] && [ -f "$file" ] && [ "$(chmod 600 "$file"; cksum <"$file")" != "$sum" ]; then
        why="the file was changed"
    fi
    if [ -n "$why" ]; then
        echo "FAIL (settings file $kind): $why"
    else
        echo "ok (settings file $kind): $(grep settings "$dir/out")"
    fi
}
for kind in empty huge binary directory fifo unreadable; do
    total=$((total + 1))
    settings_case $kind >>"$work/report"
done
failures=$((total - $(grep -c '^ok ' "$work/report")))
if [ -n "${BROKEN_VERBOSE:-}" ]; then cat "$work/report"; else grep -v '^ok ' "$work/report"; fi
echo "$total cases ($(printf '%s\n' $startup | wc -l) assets loaded at start one at a time, the" \
    "$(printf '%s\n' $weapon | wc -l) weapon assets together) in $(($(date +%s) - start)) s, $jobs at a time:" \
    "$failures failed"
[ "$failures" -eq 0 ]
