#!/bin/sh
# Builds the browser version with Debian's Emscripten into build-web/site/ (or the folder given):
# index.html (web/index.html), index.js, index.wasm and index.data (data/ preloaded), to be served by any static
# file server, e.g.  python3 -m http.server -d build-web/site 8000
# The game's sources are compiled unchanged; web/ holds everything the browser needs besides.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-build-web/site}")
obj=$(dirname "$out")/obj
command -v em++ >/dev/null || { echo "em++ not found: run scripts/install.sh" >&2; exit 1; }
mkdir -p "$out" "$obj"
# Emscripten's JavaScript passes need Debian's acorn, which a Node.js not from Debian does not
# look for in /usr/share/nodejs.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# -O2 keeps the Asyncify-instrumented code small and fast. WebCompat.h declares what the browser's
# SDL headers lack and routes the flip through web/WebCompat.cpp; the game's main is renamed so
# the browser's main can wrap it.
CXXFLAGS="-std=c++17 -O2 -Wall -Wextra -Isrc"
compile() { # source object [extra flags]
    src=$1 o=$2
    shift 2
    if [ ! -e "$o" ] || [ "$src" -nt "$o" ] || [ web/WebCompat.h -nt "$o" ] || [ "$0" -nt "$o" ]; then
        # shellcheck disable=SC2086
        em++ $CXXFLAGS "$@" -c "$src" -o "$o"
    fi
}
export CXXFLAGS obj
jobs=$(nproc)
objects=""
for src in src/*.cpp; do
    objects="$objects $obj/$(basename "$src" .cpp).o"
done
# Compile in parallel; make is not needed for thirty files.
ls src/*.cpp | xargs -P "$jobs" -I{} sh -c '
    src={}; o=$obj/$(basename "$src" .cpp).o; extra=""
    [ "$src" = src/main.cpp ] && extra="-Dmain=gameMain"
    if [ ! -e "$o" ] || [ "$src" -nt "$o" ] || [ web/WebCompat.h -nt "$o" ] || [ scripts/build-web.sh -nt "$o" ]; then
        em++ $CXXFLAGS -include web/WebCompat.h $extra -c "$src" -o "$o"
    fi'
compile web/WebCompat.cpp "$obj/WebCompat.o"

# ASYNCIFY lets the level's endless loop give the browser its turn at every flip (and the menu's
# SDL_Delay sleep). No indirect call lies on the way to the flip, so only direct callers are
# instrumented, which keeps the code small and fast.
# shellcheck disable=SC2086
em++ -O2 ${WEB_LINK_FLAGS:-} $objects "$obj/WebCompat.o" -o "$out/index.js" \
    -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1 -sASYNCIFY_STACK_SIZE=65536 \
    -sASYNCIFY_IMPORTS='["waitForNextFrame","emscripten_sleep"]' \
    -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web \
    --preload-file data@/ --exclude-file '*.md' --exclude-file '*.txt' --exclude-file '*.ttf' \
    --use-preload-plugins
# The browser's SDL_ttf never reads the font file; the page loads it as a web font instead.
cp web/index.html data/testFont.ttf data/LICENSE-DejaVu.txt "$out/"
echo "web build: $out"
