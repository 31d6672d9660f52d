#!/bin/bash
# Plays the real game on a virtual X display the way a person would: pointer moves, held keys and
# clicks through xdotool, the screen read back with ImageMagick. Every check compares a region of
# the screen with what a player should see there, with a tolerance, so new art does not break it.
#
# usage: real_display.sh GAME DATA_DIR FAILURE_DIR [--screenshots DIR]
set -u
game=$(realpath "$1") data=$(realpath "$2") faildir=$3
shots_out=""
[ "${4:-}" = "--screenshots" ] && shots_out=$(realpath -m "$5")

map=$data/images/level1Images/backgroundLevel.jpg
work=$(mktemp -d)
# The game keeps what the player switches (full screen, volume) in the settings file: here, not
# in the home folder of whoever runs the tests.
export XDG_CONFIG_HOME=$work/config
xvfb_pid="" game_pid="" sampler_pid=""

stop_all() {
    for pid in $sampler_pid $game_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP

step="start"
shot=""
fail() {
    echo "FAIL [$step]: $*"
    if [ -n "$shot" ] && [ -f "$shot" ]; then
        mkdir -p "$faildir"
        cp "$shot" "$faildir/$step.png"
        echo "  screenshot judged: $faildir/$step.png"
    fi
    [ -f "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" | tail -n 20
    exit 1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# take NAME: screenshot of the whole display into $shot.
take() {
    shot=$work/$1.png
    import -window root "$shot" || fail "import could not read the screen"
}

# rmse IMAGE GEOMETRY OTHER [OTHER_GEOMETRY]: normalised root-mean-square difference of two regions.
rmse() {
    convert "$1" -crop "$2" +repage \( "$3" -crop "${4:-${2%%+*}+0+0}" +repage \) \
        -metric RMSE -compare -format '%[distortion]' info:
}
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a != "" && a < b) }'; }

# The player is always painted at the point that mirrors the pointer; under it lies the map at the
# player's own world position, so the 50x50 box must be that map patch with the rotation picture
# for the pointer's direction on top.
expect_player() { # pointer x, pointer y, world x, world y
    local vx=$((1080 - $1)) vy=$((720 - $2))
    local k
    k=$(awk -v dx=$(($1 - vx - 25)) -v dy=$(($2 - vy - 25)) 'BEGIN {
        a = atan2(dx, -dy) * 180 / 3.14159265358979; if (a < 0) a += 360
        k = int(a / 10); if (k * 10 < a) k++; print k % 36 + 1 }')
    convert "$map" -crop "50x50+$3+$4" +repage "$data/images/level1Images/player/player$k.png" \
        -composite "$work/expected-player.png"
    local got bare
    got=$(rmse "$shot" "50x50+$vx+$vy" "$work/expected-player.png")
    bare=$(rmse "$shot" "50x50+$vx+$vy" "$map" "50x50+$3+$4")
    why="pointer ($1,$2), player at world ($3,$4): expected player picture $k at screen"
    why="$why ($vx,$vy) over the map (difference $got, want < 0.03; bare map differs by $bare)"
    below "$got" 0.03 && ! below "$bare" 0.03
}

# Where the player stands is read off the screen: a strip of the screen is looked up in the map
# picture along one axis, which gives the camera and so the world position. The horizontal strip
# runs below the rows of pick-ups (world y 740 and more while the player walks along y 570..600),
# which would otherwise stand out from the bare map.
px=540 py=360 wx=540 wy=600
locate() { # axis x|y
    local cx=$((px + wx - 1080)) cy=$((py + wy - 720)) r=240 found
    take "locate-$1"
    if [ "$1" = x ]; then
        convert "$shot" -crop 120x30+300+530 +repage "$work/patch.png"
        convert "$map" -crop "$((120 + 2 * r))x30+$((cx + 300 - r))+$((cy + 530))" +repage \
            "$work/strip.png"
    else
        convert "$shot" -crop 40x100+800+300 +repage "$work/patch.png"
        convert "$map" -crop "40x$((100 + 2 * r))+$((cx + 800))+$((cy + 300 - r))" +repage \
            "$work/strip.png"
    fi
    found=$(compare -metric RMSE -subimage-search "$work/strip.png" "$work/patch.png" null: 2>&1)
    local score=${found#*(} off=${found##*@ }
    score=${score%%)*}
    below "$score" 0.06 || fail "the screen at the player's surroundings matches no part of the" \
        "map along $1 within $r px of where the player should be (best $found)"
    if [ "$1" = x ]; then wx=$((wx + ${off%,*} - r)); else wy=$((wy + ${off#*,} - r)); fi
}

# walk_to AXIS TARGET LOW HIGH: hold the walking key, then look where the player got, until the
# player stands between LOW and HIGH. Steps are 3 px about every 21 ms.
walk_to() {
    local axis=$1 target=$2 lo=$3 hi=$4 try pos key dist
    for try in 1 2 3 4 5 6; do
        if [ "$axis" = x ]; then pos=$wx; else pos=$wy; fi
        [ "$pos" -ge "$lo" ] && [ "$pos" -le "$hi" ] && return 0
        dist=$((target - pos))
        if [ "$axis" = x ]; then key=d; else key=s; fi
        if [ $dist -lt 0 ]; then
            dist=$((-dist))
            if [ "$axis" = x ]; then key=a; else key=w; fi
        fi
        xdotool keydown $key
        sleep "$(awk -v d=$dist 'BEGIN { printf "%.3f", d / 3 * 0.0215 }')"
        xdotool keyup $key
        sleep 0.05
        locate "$axis"
    done
    fail "after six walks the player stands at world $axis $pos, wanted $lo..$hi"
}

# shoot_until SECONDS CHECK...: takes screenshots until CHECK (a command that sets $why) succeeds.
why=""
shoot_until() {
    local limit=$(($(now_ms) + $1 * 1000))
    shift
    while :; do
        take "$step"
        "$@" && return 0
        [ "$(now_ms)" -gt $limit ] && fail "$why"
        sleep 0.05
    done
}

# start_display WxH NAME: another Xvfb of that size, made the display from here on.
start_display() {
    Xvfb -displayfd 4 -screen 0 "$1x24" -nolisten tcp -noreset 4>"$work/display-$2" \
        2>"$work/xvfb-$2.log" &
    xvfb_pid="$xvfb_pid $!"
    for _ in $(seq 100); do [ -s "$work/display-$2" ] && break; sleep 0.1; done
    [ -s "$work/display-$2" ] || fail "the $1 Xvfb reported no display"
    export DISPLAY=:$(head -n 1 "$work/display-$2")
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}


# start_level WHERE [ARG...]: starts the game with ARGs and sets window to its window once the
# level shows.
start_level() {
    (cd "$data" && SDL_AUDIODRIVER=dummy exec "$game" "${@:2}") >"$work/game.log" 2>&1 &
    game_pid=$!
    local started=$(now_ms)
    until window=$(xdotool search --name '^FPS = ' 2>/dev/null | head -n 1) && [ -n "$window" ]; do
        kill -0 $game_pid 2>/dev/null || fail "the game ended $1 instead of reaching the level"
        [ $(($(now_ms) - started)) -gt 30000 ] && fail "no level within 30 s $1"
        sleep 0.1
    done
}

# right_click_ends SECONDS WHERE: a right click must end the game within SECONDS, status 0.
right_click_ends() {
    clicked=$(now_ms)
    xdotool mousedown 3
    xdotool mouseup 3 2>/dev/null
    while kill -0 $game_pid 2>/dev/null; do
        [ $(($(now_ms) - clicked)) -gt $(($1 * 1000)) ] &&
            fail "the game was still running $1 s after a right click $2"
        sleep 0.02
    done
    wait $game_pid
    local status=$?
    game_pid=""
    [ $status -eq 0 ] || fail "the game exited with status $status after a right click $2, expected 0"
}

# ---------------------------------------------------------------------------------------------
step=xvfb
# -displayfd lets the server take the first free display number, so parallel runs never clash.
# -noreset: otherwise the server resets when the probing xdpyinfo disconnects, and a game that
# connects during that reset finds no display.
Xvfb -displayfd 3 -screen 0 1080x720x24 -nolisten tcp -noreset -fbdir "$work" 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb reported no display: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "display $DISPLAY does not answer"
# Xvfb also keeps its screen in an XWD file. import needs about a second per picture while the game
# takes all the processor it can, too slow for a flying bullet or the menu's one frame, so those
# two checks copy rows of this file instead: its header gives the offset of the pixels.
fb=$work/Xvfb_screen0
fb_field() { od -An -tu1 -j $(($1 * 4)) -N4 "$fb" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }
fb_bpl=$(fb_field 12)
fb_pixels=$(($(fb_field 0) + $(fb_field 19) * 12))
[ "$(fb_field 11)" -eq 32 ] && [ "$(fb_field 7)" -eq 0 ] || fail "unexpected Xvfb frame buffer layout"
# fb_rows FIRST COUNT: the rows FIRST.. of the screen as it is now, raw BGRX, to standard output.
fb_rows() {
    dd if="$fb" iflag=skip_bytes,count_bytes skip=$((fb_pixels + $1 * fb_bpl)) \
        count=$(($2 * fb_bpl)) status=none
}
# raw_png RAW ROWS PNG
raw_png() { convert -size "$((fb_bpl / 4))x$2" -depth 8 "bgra:$1" -alpha off "$3"; }
xdotool mousemove $px $py

step=caption-main-menu
# The machine that runs the tests has no sound card; the dummy audio driver keeps SDL_mixer quiet.
(cd "$data" && SDL_AUDIODRIVER=dummy exec "$game") >"$work/game.log" 2>&1 &
game_pid=$!
started=$(now_ms)
window=""
while [ -z "$window" ]; do
    window=$(xdotool search --name '^Main Menu$' 2>/dev/null | head -n 1)
    kill -0 $game_pid 2>/dev/null || fail "the game ended before showing a window"
    [ $(($(now_ms) - started)) -gt 30000 ] && fail "no window captioned 'Main Menu' within 30 s"
    sleep 0.05
done

step=caption-fps
menu_seen=$(now_ms)
caption=""
until [[ $caption =~ ^FPS\ =\ [0-9][0-9.e+]*$ ]]; do
    caption=$(xdotool getwindowname "$window" 2>/dev/null)
    [ $(($(now_ms) - menu_seen)) -gt 15000 ] &&
        fail "caption still '$caption' 15 s after 'Main Menu', expected 'FPS = <number>'"
    sleep 0.1
done
echo "ok: caption 'Main Menu', then '$caption'"

step=player-mirrors-pointer
for pointer in "300 200" "760 470" "540 360"; do
    set -- $pointer
    px=$1 py=$2
    xdotool mousemove $px $py
    shoot_until 10 expect_player $px $py $wx $wy
done
# The opening view with the pointer in the middle, as the game paints it: what every scaled
# picture below is compared with.
cp "$shot" "$work/opening.png"
echo "ok: the player is painted at (1080 - x, 720 - y) for three pointer positions"

step=walk-moves-map
# The route keeps the player's centre more than 300 px right of the zombies, which then never
# start to chase and cannot wander into the regions judged below.
take walk-before
walk_to x 765 750 780 # along y 600, under the pistol's pick-up row
[ $wx -gt 540 ] || fail "holding d did not move the player right (world x 540 -> $wx)"
[ $(((wx - 540) % 3)) -eq 0 ] || fail "the map moved by $((wx - 540)) px, not whole steps of 3"
expect_player $px $py $wx $wy || fail "$why"
moved=$(rmse "$shot" 1080x300+0+420 "$work/walk-before.png")
below "$moved" 0.05 && fail "the lower screen hardly changed after walking (difference $moved)"
echo "ok: walking moved the map under the camera; player now at world ($wx,$wy), still at the mirror point"
walk_to y 570 555 588 # onto the pistol's row
walk_to x 652 640 665 # across the pistol

step=weapon-in-hud
take weapon-before
convert "$shot" -crop 60x45+1020+20 +repage "$data/images/HUDImages/glock.png" -composite \
    "$work/expected-weapon.png"
xdotool keydown 1 # the number keys act while held
weapon_check() {
    local pic clip white
    pic=$(rmse "$shot" 60x45+1020+20 "$work/expected-weapon.png")
    clip=$(convert "$shot" -crop 40x32+980+20 +repage \( "$work/weapon-before.png" -crop \
        40x32+980+20 +repage \) -metric AE -fuzz 10% -compare -format '%[distortion]' info:)
    white=$(convert "$shot" -crop 40x32+980+20 +repage -fuzz 5% -fill black +opaque white \
        -fill white -opaque white -format '%[fx:int(mean*w*h+0.5)]' info:)
    why="after picking up the pistol and holding 1: expected the pistol picture at (1020,20)"
    why="$why (difference $pic, want < 0.03) and a new white clip count at (980,20)"
    why="$why ($clip pixels changed, $white white)"
    below "$pic" 0.03 && below 14 "$clip" && [ "$white" -ge 15 ]
}
shoot_until 10 weapon_check
xdotool keyup 1
echo "ok: pistol picture at (1020,20) and clip count at (980,20)"

step=gold-counter
# The counter stays lit for five seconds after the pick-up, less than a few imports take under
# load, so the screen after the walk is read from the frame buffer.
grab() {
    shot=$work/$1.png
    fb_rows 0 720 >"$work/screen.raw" && raw_png "$work/screen.raw" 720 "$shot"
}
gold_lit() {
    local d
    d=$(rmse "$shot" 32x32+970+600 "$data/images/HUDImages/gold.jpg")
    why="expected the gold icon lit at (970,600) (difference $d, want < 0.03)"
    below "$d" 0.03
}
take gold-before
gold_lit && fail "the gold counter is lit before any gold was collected"
walk_to y 372 356 392 # onto the row of the gold at (700,400)
walk_to x 715 702 730 # across it
grab gold-after
gold_lit || fail "$why"
number=$(convert "$shot" -crop 50x30+1010+600 +repage -fuzz 5% -fill black +opaque white \
    -fill white -opaque white -format '%[fx:int(mean*w*h+0.5)]' info:)
[ "$number" -ge 15 ] || fail "no gold amount drawn in white at (1010,600) next to the lit icon"
[ -n "$shots_out" ] && mkdir -p "$shots_out" && cp "$shot" "$shots_out/screenshot-play.png"
echo "ok: gold counter lit at (970..1060, 600..630) after walking onto the gold"

step=backpack-panel
xdotool key t
panel() {
    local d
    d=$(rmse "$shot" 600x400+240+160 "$data/images/HUDImages/backpack.jpg")
    why="expected the backpack panel at (240,160) 600x400 (difference $d, want < 0.06)"
    below "$d" 0.06
}
shoot_until 10 panel
xdotool key t
step=backpack-closed
closed() {
    if panel; then why="the backpack panel stayed open after a second T"; return 1; fi
}
shoot_until 10 closed
echo "ok: T opens and closes the backpack panel"

step=shot-leaves-player
px=1000 py=372 # the player at the left edge, aiming along the screen
xdotool mousemove $px $py
sleep 0.3
# The bullet is the only new pixel of its bright core colour on the line of fire; the band stops
# short of the pointer, which X draws into the frame buffer too.
core() {
    convert "$1" -crop 980x30+0+0 +repage -fuzz 12% -fill white -opaque '#fff4c8' \
        -fill black +opaque white "$2"
}
fb_rows 357 30 >"$work/band-0.raw"
raw_png "$work/band-0.raw" 30 "$work/band-0.png"
core "$work/band-0.png" "$work/core-before.png"
xdotool click 1
for n in 1 2 3 4 5 6 7 8 9 10; do
    fb_rows 357 30 >"$work/band-$n.raw"
    sleep 0.06
done
last=$((1080 - px + 25)) seen=0
for n in 1 2 3 4 5 6 7 8 9 10; do
    shot=$work/band-$n.png
    raw_png "$work/band-$n.raw" 30 "$shot"
    core "$shot" "$work/core.png"
    box=$(convert "$work/core.png" "$work/core-before.png" -compose minus_src -composite \
        -format '%@' info: 2>/dev/null)
    w=${box%%x*} x=$(echo "$box" | cut -d+ -f2)
    [ "$w" -eq 0 ] && continue
    [ "$w" -le 12 ] || fail "expected one small bullet on the line of fire, found bright changes over $box"
    [ "$x" -ge "$last" ] || fail "the bullet did not move away from the player: x $x after $last"
    [ "$x" -gt "$last" ] && seen=$((seen + 1))
    last=$x
done
[ $seen -ge 2 ] || fail "saw the bullet move in $seen frame-buffer samples, wanted it moving over at least 2"
echo "ok: a bullet left the player and moved right over $seen samples (last at x $last)"

step=potions-in-backpack
# Blind walks from here, timed at 3 px per pass of about 21.5 ms: the grass away from the first
# route has too few marks to locate the player by. A walk across a pick-up's column takes it
# wherever the walk ends, so those walks are long; a walk to a row can only fall short (the game
# takes a step once more than 20 ms have passed, later under load), so when a crossing took
# nothing the next one is made a little lower. Each row is judged in the backpack: the middle
# potion's row (the player's centre stays below the zombies' reach), then the row of the last
# potion and the flamethrower, with 3 held so that the flamethrower shows in the HUD once taken.
# Under load the key can stay down well past the sleep (xdotool itself is slow to start), and the
# walk overshoots: the time over, when it is more than a few passes, is walked back once.
hold() { # key, pixels
    local want_ms t0 over back
    want_ms=$(awk -v d="$2" 'BEGIN { printf "%d", d / 3 * 21.5 }')
    xdotool keydown "$1"
    t0=$(now_ms)
    sleep "$(awk -v ms="$want_ms" 'BEGIN { printf "%.3f", ms / 1000 }')"
    xdotool keyup "$1"
    over=$(($(now_ms) - t0 - want_ms))
    if [ $over -gt 60 ]; then
        back=$(printf '%s' "$1" | tr wasd swda)
        xdotool keydown "$back"
        sleep "$(awk -v ms="$over" 'BEGIN { printf "%.3f", ms / 1000 }')"
        xdotool keyup "$back"
    fi
    sleep 0.05
}
potion=$data/images/itemImages/healthPotion.png
size=$(identify -format '%wx%h' "$potion")
convert "$data/images/HUDImages/backpack.jpg" -crop "$size+0+0" +repage "$potion" -composite \
    "$work/expected-potion.png"
panel_open() {
    local rest
    rest=$(rmse "$shot" 600x300+240+260 "$data/images/HUDImages/backpack.jpg" 600x300+0+100)
    why="expected the backpack panel open (its lower part differs by $rest, want < 0.06)"
    below "$rest" 0.06
}
panel_closed() {
    if panel_open; then why="the backpack panel stayed open after a second T"; return 1; fi
}
# look_in_backpack: opens the backpack and leaves it open; counts the potions in its first two
# cells into $potions and sets $flame to 1 when the flamethrower is in hand.
potions=0 flame=0
look_in_backpack() {
    local first second hud
    xdotool key t
    shoot_until 10 panel_open
    first=$(rmse "$shot" "$size+240+160" "$work/expected-potion.png")
    second=$(rmse "$shot" "$size+340+160" "$work/expected-potion.png")
    # The weapon picture is painted over the map: laid over what is on screen there, the
    # flamethrower's changes nothing when it is the one in hand.
    convert "$shot" -crop 60x45+1020+20 +repage "$data/images/HUDImages/flamethrower.png" \
        -composite "$work/expected-flamethrower.png"
    hud=$(rmse "$shot" 60x45+1020+20 "$work/expected-flamethrower.png")
    potions=0 flame=0
    below "$first" 0.08 && potions=1
    below "$second" 0.08 && potions=2
    below "$hud" 0.03 && flame=1
    why="potions in the backpack: $potions (cells differ by $first, $second); flamethrower"
    why="$why in hand: $flame (HUD differs by $hud)"
}
close_backpack() {
    xdotool key t
    shoot_until 10 panel_closed
}
px=540 py=360
xdotool mousemove $px $py
hold s $((575 - wy))
side=right
for try in 1 2 3 4; do
    if [ $side = right ]; then hold a 420; side=left; else hold d 420; side=right; fi
    look_in_backpack
    seen=$why
    close_backpack
    [ $potions -ge 1 ] && break
    hold s 20
done
[ $potions -ge 1 ] || fail "after $try crossings of the middle potion's column: $seen"
xdotool keydown 3
hold s 80
for try in 1 2 3 4; do
    if [ $side = right ]; then hold a 460; side=left; else hold d 460; side=right; fi
    look_in_backpack
    [ $potions -ge 2 ] && [ $flame -eq 1 ] && break
    seen=$why
    close_backpack
    hold s 15
done
[ $potions -ge 2 ] && [ $flame -eq 1 ] ||
    fail "after $try crossings of the last potion's and the flamethrower's columns: $seen"
[ -n "$shots_out" ] && mkdir -p "$shots_out" && cp "$shot" "$shots_out/screenshot-backpack.png"
close_backpack
echo "ok: two potions walked over are in the backpack, the flamethrower taken with 3 is in hand"

step=flamethrower-fight
# 3 is still held. Up and to the left of the potions' column, into the zombies' reach, without
# looking (they will be in the picture), then aim up and to the left, where they come from, let
# them come closer and hold the trigger.
if [ $side = right ]; then hold a 350; else hold d 150; fi
hold w 200
px=400 py=260
xdotool mousemove $px $py
sleep 1.5
take fight-before
flame_pixels() {
    convert "$1" -alpha off \( -clone 0 -fuzz 12% -fill white -opaque '#ea8322' -fill black \
        +opaque white \) \( -clone 0 -fuzz 12% -fill white -opaque '#eac948' -fill black \
        +opaque white \) -delete 0 -compose lighten -composite \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}
before=$(flame_pixels "$shot")
xdotool mousedown 1
flames() {
    local now
    now=$(flame_pixels "$shot")
    why="holding the trigger with the flamethrower: $now flame-coloured pixels, $before before"
    [ $((now - before)) -ge 300 ]
}
shoot_until 10 flames
xdotool mouseup 1
xdotool keyup 3
[ -n "$shots_out" ] && cp "$shot" "$shots_out/screenshot-flamethrower.png"
echo "ok: the flamethrower, taken with 3, throws flames while the button is held"

step=right-click-ends
# The menu is drawn once and shown only for the few milliseconds the shut-down takes, far too
# short for import. So one row near the bottom of the frame buffer is sampled until the game has
# gone, with the game and the sampler sharing one processor and the game at the lowest priority:
# the sampler then runs whenever it can, and the menu stays on screen for many samples.
row=700
taskset -a -p -c 0 $game_pid >/dev/null && renice -n 19 -p $game_pid >/dev/null ||
    fail "could not move the game to processor 0 at low priority"
(taskset -p -c 0 $BASHPID >/dev/null
    while [ ! -e "$work/stop" ]; do fb_rows $row 1; done) >"$work/rows.raw" &
sampler_pid=$!
take before-quit
right_click_ends 5 "in the level"
sleep 0.1
touch "$work/stop"
wait $sampler_pid
sampler_pid=""
rows=$(($(stat -c %s "$work/rows.raw") / fb_bpl))
raw_png "$work/rows.raw" $rows "$work/rows.png"
convert "$data/images/menuImages/background.jpg" -crop 1080x1+0+$row +repage -scale "1080x$rows!" \
    "$work/menu-rows.png"
menu_rows=$(convert "$work/rows.png" "$work/menu-rows.png" -compose difference -composite \
    -colorspace gray -scale "1x$rows!" -depth 8 txt:- | awk -F'[(,)]' 'NR > 1 && $3 < 8' | wc -l)
shot=$work/rows.png
[ "$menu_rows" -ge 1 ] ||
    fail "the menu background never showed at row $row between the right click and the exit" \
        "($rows samples of that row)"
echo "ok: right click ended the level, the menu was drawn ($menu_rows of $rows samples)," \
    "exit status 0 after $(($(now_ms) - clicked)) ms"

# ---------------------------------------------------------------------------------------------
# Once more on a 1920x1080 screen, as a player with a bigger monitor sees it, under a small window
# manager as on any desktop. Classic SDL shows the 1080x720 picture unscaled in the middle with
# black around it; sdl12-compat scales it by 1.5 to the screen's height, 1620x1080 at x 150, black
# bars left and right. Either way the game must read the pointer in its own 1080x720 coordinates.
step=big-screen
if ldd "$game" | grep -q 'sdl12-compat/libSDL'; then
    runtime=sdl12-compat ox=150 oy=0 scale=1.5
else
    runtime=classic ox=420 oy=180 scale=1
fi
start_display 1920x1080 big
matchbox-window-manager -use_titlebar no >"$work/wm.log" 2>&1 &
sampler_pid=$!
sleep 0.5
# to_screen X Y: where the game's point (X, Y) lands on the big screen.
to_screen() { awk -v x="$1" -v y="$2" -v ox=$ox -v oy=$oy -v s=$scale \
    'BEGIN { printf "%d %d\n", ox + x * s, oy + y * s }'; }
# region W H X Y: the geometry of the game's rectangle on the big screen.
region() { awk -v w="$1" -v h="$2" -v x="$3" -v y="$4" -v ox=$ox -v oy=$oy -v s=$scale \
    'BEGIN { printf "%dx%d+%d+%d\n", w * s, h * s, ox + x * s, oy + y * s }'; }
mean() { convert "$shot" -crop "$1" +repage -colorspace gray -format '%[fx:mean]' info:; }
set -- $(to_screen 540 360)
xdotool mousemove "$1" "$2"
start_level "on the 1920x1080 screen"
convert "$map" -crop 1000x200+40+400 +repage \
    -resize "$(awk -v s=$scale 'BEGIN { printf "%dx%d!", 1000 * s, 200 * s }')" \
    "$work/expected-big-map.png"
big_picture() {
    local m inside corner
    why="$runtime on 1920x1080: expected the level at $(region 1080 720 0 0) with black around it"
    if [ $ox -gt 0 ]; then
        m=$(mean "${ox}x1080+0+0")
        below "$m" 0.01 || { why="$why (left band mean $m)"; return 1; }
        m=$(mean "${ox}x1080+$((1920 - ox))+0")
        below "$m" 0.01 || { why="$why (right band mean $m)"; return 1; }
    fi
    if [ $oy -gt 0 ]; then
        m=$(mean "1920x${oy}+0+0")
        below "$m" 0.01 || { why="$why (top band mean $m)"; return 1; }
        m=$(mean "1920x${oy}+0+$((1080 - oy))")
        below "$m" 0.01 || { why="$why (bottom band mean $m)"; return 1; }
    fi
    # The pointer at the centre puts the camera on the map's top-left corner: map everywhere.
    for corner in "0 0" "1020 0" "0 660" "1020 660" "510 330"; do
        set -- $corner
        inside=$(mean "$(region 60 60 "$1" "$2")")
        below 0.05 "$inside" || { why="$why (black at the game's ($1,$2): mean $inside)"; return 1; }
    done
    inside=$(rmse "$shot" "$(region 1000 200 40 400)" "$work/expected-big-map.png")
    below "$inside" 0.12 || { why="$why (the lower map differs from the map picture by $inside)"; return 1; }
}
shoot_until 20 big_picture
echo "ok: $runtime on 1920x1080: the whole level at $(region 1080 720 0 0), black around it"

step=big-screen-hud
big_hud() {
    local white bar
    white=$(convert "$shot" -crop "$(region 50 30 1010 650)" +repage -fuzz 20% -fill black \
        +opaque white -fill white -opaque white -format '%[fx:int(mean*w*h+0.5)]' info:)
    bar=$(convert "$shot" -crop "$(region 40 8 925 648)" +repage -format '%[fx:mean.r-mean.g]' info:)
    why="$runtime on 1920x1080: expected the health 100 in white at the game's (1010,650)"
    why="$why ($white white pixels) and the red bar left of it (red minus green $bar)"
    [ "$white" -ge 15 ] && below 0.2 "$bar"
}
shoot_until 10 big_hud
echo "ok: the HUD's health number and bar where the game puts them"

step=big-screen-player
big_player() {
    local vx=$((1080 - $1)) vy=$((720 - $2)) k got
    k=$(awk -v dx=$(($1 - vx - 25)) -v dy=$(($2 - vy - 25)) 'BEGIN {
        a = atan2(dx, -dy) * 180 / 3.14159265358979; if (a < 0) a += 360
        k = int(a / 10); if (k * 10 < a) k++; print k % 36 + 1 }')
    convert "$map" -crop "50x50+$3+$4" +repage "$data/images/level1Images/player/player$k.png" \
        -composite -resize "$(awk -v s=$scale 'BEGIN { printf "%dx%d!", 50 * s, 50 * s }')" \
        "$work/expected-big-player.png"
    got=$(rmse "$shot" "$(region 50 50 $vx $vy)" "$work/expected-big-player.png")
    why="$runtime on 1920x1080, pointer at the game's ($1,$2): expected player picture $k at the"
    why="$why game's ($vx,$vy), $(region 50 50 $vx $vy) on the screen (difference $got, want < 0.08)"
    below "$got" 0.08
}
# player_follows: the player turns to the pointer at two places, each given in the game's own
# coordinates and moved to on the screen through the scale.
player_follows() {
    local pointer
    for pointer in "300 200" "760 470"; do
        set -- $pointer
        gx=$1 gy=$2
        set -- $(to_screen $gx $gy)
        xdotool mousemove "$1" "$2"
        shoot_until 15 big_player $gx $gy 540 600
    done
}
player_follows
echo "ok: the player at the pointer's mirror in the game's own coordinates, pointer mapped back"

step=big-screen-quit
right_click_ends 10 "on the big screen"
echo "ok: a right click ends the game on the big screen with status 0"

# covered_and_back: a window laid over the middle of the game's and taken away again. With the
# view still, only what changes is sent, so what was under the cover must be put back at once.
geometry() { # WINDOW: its inside's x, y, width and height on the screen
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}
magenta_in() { # GEOMETRY: the share of the region in the cover's colour
    convert "$shot" -crop "$1" +repage -fuzz 8% -fill black +opaque magenta -fill white \
        -opaque magenta -colorspace gray -format '%[fx:mean]' info:
}
covered_and_back() {
    local x y w h area cover id share
    read -r x y w h <<<"$(geometry "$window")"
    xmessage -title covering -geometry $((w / 3))x$((h / 3)) -bg magenta -fg magenta \
        -bd magenta cover 2>/dev/null &
    cover=$!
    id=$(timeout 10 xdotool search --sync --onlyvisible --name '^covering$' | head -n 1)
    [ -n "$id" ] || fail "$runtime: the covering window did not show within 10 s"
    # Window managers place a new window where it overlaps least: moved over the game's middle.
    xdotool windowmove "$id" $((x + w / 3)) $((y + h / 3))
    sleep 0.3
    read -r x y w h <<<"$(geometry "$id")"
    area=${w}x$h+$x+$y
    cover_seen() { # shown|gone
        share=$(magenta_in "$area")
        why="$runtime: with the covering window $1, $share of its place is in its colour"
        if [ "$1" = shown ]; then ! below "$share" 0.5; else below "$share" 0.001; fi
    }
    shoot_until 10 cover_seen shown
    kill $cover
    wait $cover 2>/dev/null
    shoot_until 10 cover_seen gone
}

# ---------------------------------------------------------------------------------------------
# Alt+Enter and F11 under a window manager that leaves a window its own size (matchbox makes
# every window as big as the screen): full screen, then the game's 1080x720 window in the
# manager's frame, then full screen again, with the level going on throughout.
step=big-screen-switch
kill $sampler_pid 2>/dev/null && wait $sampler_pid 2>/dev/null
openbox >"$work/openbox.log" 2>&1 &
sampler_pid=$!
sleep 0.5
# shown: the sizes of the top-level windows on the screen, widest first.
shown() {
    xwininfo -root -children | awk '/^ +0x/ { print $1 }' | while read -r id; do
        xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 }
            /Map State: IsViewable/ { print w "x" h }'
    done | sort -t x -k 1,1nr -k 2,2nr
}
start_level "under openbox"
switched() { # full|window
    local widest own
    widest=$(shown | head -n 1)
    own=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    why="after $key: expected $1; the widest window on the screen is $widest, the game's is $own"
    [[ $(xdotool getwindowname "$window") =~ ^FPS\ =\ [0-9] ]] || return 1
    if [ "$1" = full ]; then
        [ "$widest" = 1920x1080 ]
    else
        [ "$own" = 1080x720 ] && [ "${widest%x*}" -lt 1920 ]
    fi
}
key=start
shoot_until 10 switched full
key=Alt+Enter
xdotool key alt+Return
shoot_until 10 switched window
echo "ok: Alt+Enter put the level in a 1080x720 window"
covered_and_back
echo "ok: what another window covered in the game's window was put back when it went"
key=F11
xdotool key F11
shoot_until 10 switched full
echo "ok: F11 brought the full screen back, the level going on"
kill -TERM $game_pid
wait $game_pid
game_pid=""

# ---------------------------------------------------------------------------------------------
# The picture scaled. In each case the picture must lie where the game's rule puts it (the largest
# 3:2 rectangle of the window or screen, centred), be the unscaled opening view scaled by the same
# rule (pixels repeated to the next whole multiple, then smoothed to size), and the game must read
# the pointer and clicks in its own 1080x720 coordinates, on a black bar as the nearest edge.
# scaled_geometry SCREEN window|full: ox, oy, scale, pw and ph of the picture, from the game's
# window. A full screen's picture is centred on the screen (classic SDL shows it in a window of
# its own, while the one named keeps the window manager's frame).
scaled_geometry() {
    local info ax ay w h k
    info=$(xwininfo -id "$window")
    ax=$(awk '/Absolute upper-left X:/ { print $4 }' <<<"$info")
    ay=$(awk '/Absolute upper-left Y:/ { print $4 }' <<<"$info")
    w=$(awk '/Width:/ { print $2 }' <<<"$info")
    h=$(awk '/Height:/ { print $2 }' <<<"$info")
    k=$((w / 3 < h / 2 ? w / 3 : h / 2))
    pw=$((3 * k)) ph=$((2 * k))
    ox=$((ax + (w - pw) / 2)) oy=$((ay + (h - ph) / 2))
    if [ "$2" = full ]; then
        ox=$(((${1%x*} - pw) / 2)) oy=$(((${1#*x} - ph) / 2))
    fi
    scale=$(awk -v p=$pw 'BEGIN { printf "%.6f", p / 1080 }')
}
# scaled_like_opening: the picture below the zombies' road against the opening view scaled.
scaled_like_opening() {
    local n d most=0.06
    n=$(awk -v s=$scale 'BEGIN { n = int(s); if (n < s) n++; print n }')
    convert "$work/opening.png" -crop 1080x470+0+250 +repage -scale "$((n * 100))%" \
        -filter Triangle -resize "$(awk -v s=$scale 'BEGIN { printf "%dx%d!", 1080 * s, 470 * s }')" \
        "$work/expected-scaled.png"
    # Shrunk, every fine detail of the map falls between pixels, each filter its own way.
    below "$scale" 1 && most=0.07
    d=$(rmse "$shot" "$(region 1080 470 0 250)" "$work/expected-scaled.png")
    why="$runtime, $case: at $(region 1080 470 0 250) the picture differs from the opening view"
    why="$why scaled by $scale by $d (want < $most)"
    below "$d" $most
}
# bars_black SCREEN_W SCREEN_H: everything of a full screen around the picture is black.
bars_black() {
    local m
    for bar in "${ox}x$2+0+0" "$(($1 - ox - pw))x$2+$((ox + pw))+0" "$1x${oy}+0+0" \
        "$1x$(($2 - oy - ph))+0+$((oy + ph))"; do
        case $bar in 0x* | *x0+*) continue ;; esac
        m=$(mean "$bar")
        below "$m" 0.01 || { why="$runtime, $case: the bar $bar is not black (mean $m)"; return 1; }
    done
}
# clicks FILE: the left button's presses a recording holds, "x y" a line, as the game read them.
clicks() {
    python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
pos = 10
pos += 1 + data[pos] + 12  # game version, data checksum, seed
def varint():
    global pos
    value = shift = 0
    while True:
        byte = data[pos]
        pos += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value
while pos < len(data):
    tag = data[pos]
    pos += 1
    if tag == ord('R'):
        continue
    if tag == ord('E'):
        break
    end = varint() + pos
    for _ in range(varint()):  # the clock's runs
        varint(), varint()
    for _ in range(varint()):  # the events: keys, motion, buttons, quit
        kind = data[pos]
        pos += 1
        if kind in (2, 3):
            pos += 4
        elif kind == 4:
            pos += 9
        elif kind in (5, 6):
            if kind == 5 and data[pos] == 1:
                print(data[pos + 1] | data[pos + 2] << 8, data[pos + 3] | data[pos + 4] << 8)
            pos += 5
    pos = end
PY
}
# scaled_case NAME SCREEN WM SHOWN EXPECTED [ARG...]: the level on a new screen of size SCREEN,
# under WM (none: no window manager), started with ARGs, SHOWN in a window or full screen;
# EXPECTED is the picture's size there.
scaled_case() {
    local name=$1 screen=$2 wm=$3 shown=$4 expected=$5
    shift 5
    case="$name ($screen, window manager $wm, options ${*:-none})"
    step=scaled-$name
    kill $sampler_pid 2>/dev/null && wait $sampler_pid 2>/dev/null
    sampler_pid=""
    start_display "$screen" "$name"
    # A panel's share of the screen, as a desktop's panel tells the window manager's work area.
    if [ -n "${ROOT_WORKAREA:-}" ]; then
        xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$ROOT_WORKAREA"
    fi
    if [ "$wm" != none ]; then
        $wm >"$work/$wm-$name.log" 2>&1 &
        sampler_pid=$!
        sleep 0.5
    fi
    start_level "$case" "$@"
    sleep 0.5
    scaled_geometry "$screen" $shown
    if [ "$expected" = room ]; then
        # As large as the screen holds with the window manager's frame around it, frame and all
        # on screen.
        local frame l r t b ax ay ww wh k
        frame=$(xprop -id "$window" _NET_FRAME_EXTENTS | tr -d ',' | awk '{ print $3, $4, $5, $6 }')
        read -r l r t b <<<"$frame"
        [ -n "$b" ] || fail "$runtime, $case: the window manager put no frame extents on the window"
        k=$(((${screen%x*} - l - r) / 3 < (${screen#*x} - t - b) / 2 ?
             (${screen%x*} - l - r) / 3 : (${screen#*x} - t - b) / 2))
        expected=$((3 * k))x$((2 * k))
        read -r ax ay ww wh <<<"$(geometry "$window")"
        [ $((ax - l)) -ge 0 ] && [ $((ay - t)) -ge 0 ] &&
            [ $((ax + ww + r)) -le ${screen%x*} ] && [ $((ay + wh + b)) -le ${screen#*x} ] ||
            fail "$runtime, $case: the window ${ww}x$wh at ($ax,$ay) with its frame ($frame) is not" \
                "all on the $screen screen"
    fi
    [ "${pw}x$ph" = "$expected" ] ||
        fail "$runtime, $case: the picture is ${pw}x$ph at ($ox,$oy), expected $expected"
    set -- $(to_screen 540 360)
    xdotool mousemove "$1" "$2"
    shoot_until 15 scaled_like_opening
    if [ $shown = full ]; then
        bars_black ${screen%x*} ${screen#*x} || fail "$why"
    fi
    echo "ok: $runtime, $case: the picture ${pw}x$ph at ($ox,$oy) is the opening view scaled"
}

# A large screen, a window as large as it holds: exactly twice, the pointer and a click mapped.
scaled_case fit 2560x1440 none window 2160x1440 --scale fit --record "$work/fit.dacrec"
player_follows
set -- $(to_screen 300 200)
xdotool mousemove "$1" "$2" click 1
sleep 0.5
right_click_ends 10 "in the scaled window"
[ "$(clicks "$work/fit.dacrec")" = "300 200" ] ||
    fail "a click at the game's (300,200) on the scaled window was recorded as: $(clicks "$work/fit.dacrec")"
echo "ok: the pointer and a click on the doubled window reach the game at its own (300,200)"

# Full screen at the desktop's size under a window manager: bars at the sides; a click on the left
# bar reads as the picture's left edge.
scaled_case desktop 1920x1080 openbox full 1620x1080 --fullscreen=desktop --record "$work/desktop.dacrec"
# Another window comes and goes: classic SDL leaves full screen while the game has no focus, and
# comes back only after 1.5 s without an X event, which a caption change is.
covered_and_back
back_in_full() { # classic SDL keeps its drawing window in the framed one while out of it
    why="$runtime: no full screen within 15 s after the covering window went"
    xwininfo -id "$window" -children | grep -q '^ *0 children'
}
shoot_until 15 back_in_full
# The pointer was last read in the framed window: the first motion after puts the view right.
set -- $(to_screen 540 360)
xdotool mousemove $(($1 + 5)) "$2" sleep 0.2 mousemove "$1" "$2"
shoot_until 15 scaled_like_opening
bars_black 1920 1080 || fail "$why"
caption=$(xdotool getwindowname "$window")
sleep 2.5
[ "$(xdotool getwindowname "$window")" != "$caption" ] ||
    fail "$runtime: the caption stayed '$caption' after full screen came back"
echo "ok: $runtime, $case: full screen again after another window came and went, the caption going on"
set -- $(to_screen 300 200)
xdotool mousemove 20 "$2" click 1
sleep 0.5
right_click_ends 10 "in full screen at the desktop's size"
[ "$(clicks "$work/desktop.dacrec")" = "0 200" ] ||
    fail "a click on the left bar at the game's height 200 was recorded as: $(clicks "$work/desktop.dacrec")"
echo "ok: a click on the black bar reaches the game at the picture's edge, (0,200)"

# The default full screen without a window manager: classic SDL shows the picture unscaled in the
# middle; on sdl12-compat, whose own full screen showed only part of it there, the game scales it.
if [ $runtime = classic ]; then expected=1080x720; else expected=1620x1080; fi
scaled_case default 1920x1080 none full $expected
right_click_ends 10 "in the default full screen"

# The other large screen the other way round: a window as large as it holds under a window
# manager (its frame takes some of the screen, the game refits to what the window is given), full
# screen at the desktop's size with no window manager, then the default full screen under one.
scaled_case fit-wm 1920x1080 openbox window room --scale fit
covered_and_back
echo "ok: $runtime, $case: what another window covered was put back when it went"
right_click_ends 10 "in the scaled window under a window manager"
scaled_case desktop-large 2560x1440 none full 2160x1440 --fullscreen=desktop
right_click_ends 10 "in full screen at the desktop's size on 2560x1440"
if [ $runtime = classic ]; then expected=1080x720; else expected=2160x1440; fi
scaled_case default-large 2560x1440 openbox full $expected
right_click_ends 10 "in the default full screen on 2560x1440"

# ---------------------------------------------------------------------------------------------
# A screen smaller than the game, with no window manager: classic SDL has no full screen that
# large, so the game says so in one line and plays in a window scaled down to fit the screen;
# sdl12-compat's full screen is the screen's size with the picture scaled down in it. Nothing is
# off screen. Alt+Enter then switches (or, where the runtime cannot, keeps what it has) and the
# level goes on.
step=small-screen
if [ $runtime = classic ]; then expected=1023x682 shown=window; else expected=1024x768 shown=full; fi
scaled_case small 1024x768 none $shown 1023x682
size() { xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
before=$(size)
said=$(grep -c 'playing in a 1023x682 window instead, scaled down to fit this 1024x768 screen' \
    "$work/game.log")
[ "$before" = "$expected" ] || fail "the game's window on the 1024x768 screen is $before, expected $expected"
if [ $runtime = classic ]; then
    [ "$said" -eq 1 ] && [ "$(wc -l <"$work/game.log")" -eq 1 ] ||
        fail "expected one line saying the game plays in a scaled-down window, got: $(cat "$work/game.log")"
    echo "ok: on a 1024x768 screen the game says so in one line and plays in a $before window"
else
    echo "ok: on a 1024x768 screen sdl12-compat plays full screen, the picture scaled down in it"
fi

step=window-icon
# The icon the package installs (here the source tree's copy): classic SDL hands X a picture and
# its mask with the icon name, sdl12-compat hands it to SDL2, which sets _NET_WM_ICON.
if [ $runtime = classic ]; then
    xprop -id "$window" WM_ICON_NAME | grep -q '"Dead Acre"' ||
        fail "the icon name is not 'Dead Acre': $(xprop -id "$window" WM_ICON_NAME)"
    xprop -id "$window" WM_HINTS | grep -q 'to use for icon' || fail "the window has no icon"
else
    xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (48 x 48)' || fail "the window has no 48x48 icon"
fi
echo "ok: the window carries the game's icon"

step=small-screen-switch
xdotool keydown alt keydown Return
sleep 0.1
xdotool keyup Return keyup alt
sleep 1
kill -0 $game_pid 2>/dev/null || fail "the game ended after Alt+Enter: $(cat "$work/game.log")"
caption=$(xdotool getwindowname "$window")
[[ $caption =~ ^FPS\ =\ [0-9] ]] || fail "the caption is '$caption' after Alt+Enter, not the level's"
echo "ok: after Alt+Enter the level goes on (window $before, now $(size))"
right_click_ends 10 "on the small screen"
echo "ok: a right click ends the game on the small screen with status 0"

# A laptop's 1366x768 screen less a panel 68 px high: the window the game opens is as large as
# the rest holds, and says so.
ROOT_WORKAREA="0, 0, 1366, 700" scaled_case panel 1366x768 none window 1050x700 --windowed
grep -q 'playing in a 1050x700 window, scaled down' "$work/game.log" ||
    fail "on a 1366x768 screen with 700 px left by its panel: expected a line saying the" \
        "window is scaled down, got: $(cat "$work/game.log")"
right_click_ends 10 "in the window scaled down to what the panel leaves"

# ---------------------------------------------------------------------------------------------
# A player's settings file on a French (AZERTY) keyboard: with walk_keys = position, Z walks up
# from the place of W; P pauses (the world holds still, the panel says so, the loop waits at
# under 2% of a core with the X server), M mutes with a message on the screen and the file keeps
# the choice, its comment and its unknown line; a right click still leaves.
step=settings-keys
kill $sampler_pid 2>/dev/null && wait $sampler_pid 2>/dev/null
sampler_pid=""
start_display 1080x720 keys
keys_xvfb=${xvfb_pid##* }
setxkbmap fr || fail "setxkbmap could not set a French keyboard"
settings=$XDG_CONFIG_HOME/deadacre/settings.ini
mkdir -p "${settings%/*}"
printf '# mine\nwalk_keys = position\nkey_reload = f\nfuture = 1\n' >"$settings"
px=540 py=360 wx=540 wy=600
xdotool mousemove $px $py
start_level "with a settings file"
xdotool windowfocus "$window" 2>/dev/null
grep -q "settings.ini:4: unknown setting 'future'" "$work/game.log" ||
    fail "no warning for the unknown line: $(cat "$work/game.log")"
sleep 0.5
locate y
before_y=$wy
xdotool keydown z
sleep 0.5
xdotool keyup z
sleep 0.2
locate y
[ $wy -lt $((before_y - 20)) ] ||
    fail "Z on an AZERTY keyboard did not walk up by its place (world y $before_y -> $wy)"
echo "ok: walk_keys = position: Z walks up on an AZERTY keyboard ($runtime, y $before_y -> $wy)"

step=pause
xdotool key p
# The panel: dark along its left edge, the title bright on it.
paused_panel() {
    local edge title
    edge=$(convert "$shot" -crop 20x130+225+295 +repage -colorspace gray -format '%[fx:mean]' info:)
    title=$(convert "$shot" -crop 300x60+390+295 +repage -colorspace gray -format '%[fx:mean]' info:)
    why="no 'Paused' panel: its edge's mean is $edge (want < 0.1), its title's $title (want > 0.1)"
    below "$edge" 0.1 && ! below "$title" 0.1
}
shoot_until 10 paused_panel
cp "$shot" "$work/paused-1.png"
xdotool keydown z
sleep 1
xdotool keyup z
take paused-2
moved=$(compare -metric AE "$work/paused-1.png" "$shot" null: 2>&1)
[ "$moved" = 0 ] || fail "$moved pixels changed in a second of pause with Z held"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
g0=$(ticks $game_pid) x0=$(ticks $keys_xvfb) t0=$(now_ms)
sleep 5
g1=$(ticks $game_pid) x1=$(ticks $keys_xvfb) t1=$(now_ms)
cpu=$(awk -v g=$((g1 - g0)) -v x=$((x1 - x0)) -v hz=$hz -v ms=$((t1 - t0)) \
    'BEGIN { printf "%.2f %.2f", g * 100000 / hz / ms, x * 100000 / hz / ms }')
set -- $cpu
echo "ok: paused, nothing moves; $runtime: the game uses $1% of a core, the X server $2%"
awk -v g=$1 -v x=$2 'BEGIN { exit !(g + x <= 2) }' ||
    fail "a paused game and the X server use $1% + $2% of a core, more than 2%"

step=mute
take before-mute
xdotool key m
message() {
    local d
    d=$(rmse "$shot" 400x40+340+88 "$work/before-mute.png" 400x40+340+88)
    why="no message at the top after M (difference $d, want > 0.02)"
    ! below "$d" 0.02
}
shoot_until 10 message
grep -qx 'mute = yes' "$settings" || fail "the settings file does not keep the mute: $(cat "$settings")"
grep -qx '# mine' "$settings" && grep -qx 'future = 1' "$settings" ||
    fail "the settings file lost the player's lines: $(cat "$settings")"
echo "ok: M mutes with a message, and the settings file keeps it beside the player's own lines"
right_click_ends 10 "while paused"
setxkbmap us
echo "ok: a right click ends a paused game with status 0"

# ---------------------------------------------------------------------------------------------
# keep_pointer_in_window: in a window on a larger screen a flick past the window's edge stops at
# the edge while playing; a pause lets the pointer go, and playing on holds it again.
step=keep-pointer
start_display 1280x800 pointer
printf 'window = yes\nkeep_pointer_in_window = yes\n' >"$settings"
xdotool mousemove 640 400
start_level "with the pointer kept in the window"
xdotool windowfocus "$window" 2>/dev/null
read -r wx0 wy0 ww wh < <(xwininfo -id "$window" |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
# pointer_after_flick inside|outside: the pointer, sent far past the window's corner, ends there.
pointer_after_flick() {
    local at
    xdotool mousemove 1275 795
    sleep 0.3
    at=$(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
    where=outside
    awk -v p="$at" -v x=$wx0 -v y=$wy0 -v w=$ww -v h=$wh 'BEGIN { split(p, a, " ")
        exit !(a[1] >= x && a[1] < x + w && a[2] >= y && a[2] < y + h) }' && where=inside
    why="the pointer ended at $at, $where the window (${ww}x$wh at $wx0,$wy0), expected $1"
    [ $where = "$1" ]
}
pointer_after_flick inside || fail "$why while playing"
xdotool key p
sleep 0.5
pointer_after_flick outside || fail "$why while paused"
xdotool windowfocus "$window" 2>/dev/null
xdotool key p
sleep 0.5
pointer_after_flick inside || fail "$why after playing on"
echo "ok: the pointer stays in the window while playing, goes free while paused ($runtime)"
right_click_ends 10 "with the pointer kept in the window"
