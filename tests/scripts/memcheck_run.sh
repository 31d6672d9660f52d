#!/bin/sh
# The real game under valgrind's memcheck, headless, playing the preloaded input script
# (tests/support/InputScript.c: walk to the three weapons, fire each, reload, backpack, potion,
# space, quit). Fails on any invalid read or write, any use of uninitialised memory, any
# definitely lost block, a script that did not reach its end, or a non-zero exit status.
#
# usage: memcheck_run.sh <game binary> <input script library> <data folder> [suppressions]
set -u
game=$1 script=$2 data=$3 supp=${4:-}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
cd "$data" || exit 1
set -- --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=1 \
    --track-origins=yes
[ -n "$supp" ] && set -- "$@" --suppressions="$supp"
LD_PRELOAD=$script SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy valgrind "$@" "$game" >"$log" 2>&1
status=$?
fail=0
if ! grep -q '^input script: done' "$log"; then
    echo "FAIL: the input script did not reach its end"; fail=1
fi
if grep -Eq 'Invalid (read|write)|uninitialised|definitely lost: [1-9]' "$log"; then
    echo "FAIL: memcheck found errors"; fail=1
fi
if [ $status -ne 0 ]; then
    echo "FAIL: exit status $status (1 is memcheck's own error status)"; fail=1
fi
if [ $fail -ne 0 ]; then
    cat "$log"
    exit 1
fi
echo "ok: $(grep -E 'ERROR SUMMARY|definitely lost' "$log" | sed 's/^==[0-9]*== *//' | tr '\n' ' ')"
