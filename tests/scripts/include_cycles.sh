#!/bin/sh
# The include-cycle check on small made-up source folders: a cycle is named with a way round it
# and fails; an allowed one passes, but not another cycle beside it; an allowed cycle that is
# gone is reported; an allow-list line without a reason is refused; a platform module that
# includes a game header fails, and a game module may include the platform.
# usage: include_cycles.sh [CHECK]   (scripts/include-cycles.py by default)
set -u
check=$(realpath "${1:-$(dirname "$0")/../../scripts/include-cycles.py}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir src
printf 'set(PLATFORM_MODULES\n    Timer Screen)\n' >CMakeLists.txt
fail=0
# expect STATUS TEXT ALLOW-LIST: runs the check on src/ and wants its status and a line of text.
expect() {
    printf '%s\n' "$3" >allow
    out=$(python3 "$check" src allow CMakeLists.txt 2>&1)
    status=$?
    if [ "$status" -ne "$1" ] || ! printf '%s\n' "$out" | grep -qF -- "$2"; then
        echo "FAIL: wanted status $1 and '$2' with allow-list '$3', got $status:"
        echo "$out"
        fail=1
    fi
}
printf '#include "B.h"\n' >src/A.h
printf '#include "A.h"\n' >src/A.cpp
printf '#include <vector>\n#  include "C.h"\n' >src/B.h
printf '#include "B.h"\n' >src/B.cpp
printf '#include "missing/Elsewhere.h"\n' >src/C.h
expect 0 "src: 0 modules in include cycles, 0 cycles not allowed" ""
printf '#include "B.h"\n' >src/C.cpp
expect 1 "include cycle: B C (B -> C -> B)" ""
expect 0 "src: 2 modules in include cycles, 0 cycles not allowed" "B C: reason"
printf '#include "A.h"\n' >src/C.cpp
expect 1 "include cycle: A B C (A -> B -> C -> A)" "B C: reason"
expect 0 "src: 3 modules in include cycles, 0 cycles not allowed" "A B C: reason"
expect 0 "allowed include cycle is gone, remove its line: B C" "A B C: reason
B C: no longer true"
expect 1 "want 'ModuleA ModuleB ...: why it may stay'" "A B C"
rm src/C.cpp
printf '' >src/Player.h
printf '#include "Timer.h"\n' >src/Player.cpp
printf '#include "Player.h"\n' >src/Timer.cpp
printf '' >src/Timer.h
expect 1 "platform module includes a game header: Timer.cpp includes Player.h" ""
expect 1 "src: 1 platform modules, 1 includes of game headers" ""
printf '#include <SDL/SDL.h>\n' >src/Timer.cpp
expect 0 "src: 1 platform modules, 0 includes of game headers" ""
[ "$fail" -eq 0 ] && echo "include cycle check: all cases pass"
exit "$fail"
