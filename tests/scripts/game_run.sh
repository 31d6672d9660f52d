# Sourced by the shell tests that start the game, wait for its level and quit it.

# level_seconds CAPTIONS: how many "FPS = r" captions the level has put up (one a second).
level_seconds() {
    [ -f "$1" ] || { echo 0; return; }
    awk '/^FPS = [0-9]/ { k++ } END { print k + 0 }' "$1"
}

# level_passes CAPTIONS: how many passes the level has played at least: the k-th "FPS = r"
# caption comes more than k seconds into the level and r is the mean rate since it began.
level_passes() {
    [ -f "$1" ] || { echo 0; return; }
    awk '/^FPS = [0-9]/ { k++; r = $3 } END { printf "%d\n", r * k }' "$1"
}

# wait_for PID TRIES TEST...: runs TEST every 0.1 s until it succeeds. Returns 1, the game
# killed, when it has not after TRIES tries or the game ended first.
wait_for() {
    _pid=$1 _tries=$2 _i=0
    shift 2
    until "$@"; do
        _i=$((_i + 1))
        if [ $_i -gt "$_tries" ] || ! kill -0 "$_pid" 2>/dev/null; then
            kill -9 "$_pid" 2>/dev/null
            wait "$_pid" 2>/dev/null
            return 1
        fi
        sleep 0.1
    done
}

# quit_game PID TRIES: sends SIGTERM, which SDL turns into a quit event, and waits TRIES tenths
# of a second for the game to end. Sets quit_status; returns 0 when it ended with status 0, 1
# when with another, 2 (the game killed) when it did not end.
quit_game() {
    _pid=$1 _tries=$2 _i=0
    kill -TERM "$_pid"
    while kill -0 "$_pid" 2>/dev/null; do
        _i=$((_i + 1))
        if [ $_i -gt "$_tries" ]; then
            kill -9 "$_pid"
            wait "$_pid" 2>/dev/null
            quit_status=killed
            return 2
        fi
        sleep 0.1
    done
    wait "$_pid"
    quit_status=$?
    [ "$quit_status" -eq 0 ] || return 1
}
