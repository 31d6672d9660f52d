#!/bin/sh
# Builds the browser version with Debian's Emscripten into build-web/site/ (or the folder given):
# index.html and touch.js (web/), index.js, index.wasm, index.data (data/ preloaded), the font cut
# down to the glyphs the game draws (testFont.woff2), the web app manifest with its icons, and the
# service worker (sw.js) that keeps the page for offline play. Files that gzip to at least a tenth
# less also get a .gz beside them, for servers that send those to browsers that accept gzip. The
# page's weight, file by file, goes to weight.md beside the folder.
# Served by any static file server, e.g.  python3 -m http.server -d build-web/site 8000
# WEB_LINK_FLAGS adds link flags, e.g. --profiling-funcs for function names in stack traces.
# The game's sources are compiled unchanged; web/ holds everything the browser needs besides.
set -eu
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-web/site}")
obj=$(dirname "$out")/obj
# What the build needs comes from Debian, installed the way the rest is (nothing when all is there).
scripts/install.sh --web
mkdir -p "$out" "$obj"
# Emscripten's JavaScript passes need Debian's acorn, which a Node.js not from Debian does not
# look for in /usr/share/nodejs.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# -O2 keeps the Asyncify-instrumented code small and fast. WebCompat.h declares what the browser's
# SDL headers lack and routes the flip and blits through web/WebCompat.cpp.
CXXFLAGS="-std=c++17 -O2 -mbulk-memory -Wall -Wextra -Isrc"
export CXXFLAGS obj
# A changed header (or this script) makes every object stale; otherwise a source is compiled again
# only when it is newer than its object.
stamp=$obj/.stamp
if [ ! -e "$stamp" ] || [ -n "$(find src/*.h web/WebCompat.h scripts/build-web.sh -newer "$stamp")" ]; then
    rm -f "$obj"/*.o
fi
touch "$stamp"
objects=""
for src in src/*.cpp web/WebCompat.cpp; do
    objects="$objects $obj/$(basename "$src" .cpp).o"
done
# Thirty files, compiled in parallel; the game's own sources get WebCompat.h, and its main is
# renamed so that the browser's main (WebCompat.cpp) can wrap it.
ls src/*.cpp web/WebCompat.cpp | xargs -P "$(nproc)" -I{} sh -c '
    src={}; o=$obj/$(basename "$src" .cpp).o
    [ -e "$o" ] && [ "$o" -nt "$src" ] && exit 0
    case $src in
    web/*) exec em++ $CXXFLAGS -c "$src" -o "$o" ;;
    src/main.cpp) exec em++ $CXXFLAGS -include web/WebCompat.h -Dmain=gameMain -c "$src" -o "$o" ;;
    *) exec em++ $CXXFLAGS -include web/WebCompat.h -c "$src" -o "$o" ;;
    esac'

# ASYNCIFY lets the level's endless loop give the browser its turn at every flip (and the menu's
# SDL_Delay sleep). No indirect call lies on the way to the flip, so only direct callers are
# instrumented, which keeps the code small and fast.
# shellcheck disable=SC2086
em++ -O2 -mbulk-memory ${WEB_LINK_FLAGS:-} $objects -o "$out/index.js" \
    -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1 -sASYNCIFY_STACK_SIZE=65536 \
    -sASYNCIFY_IMPORTS='["waitForNextFrame","emscripten_sleep"]' \
    -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web \
    --preload-file data@/ --exclude-file '*.md' --exclude-file '*.txt' --exclude-file '*.ttf' \
    --use-preload-plugins
# The browser's SDL_ttf never reads the font file; the page loads it as a web font instead. Every
# text the game draws is printable ASCII, so the font keeps only those glyphs, as WOFF2, which the
# browser takes compressed.
pyftsubset data/testFont.ttf --unicodes=U+0020-007E --flavor=woff2 --drop-tables+=FFTM \
    --output-file="$out/testFont.woff2"
cp web/touch.js web/manifest.webmanifest data/LICENSE-DejaVu.txt "$out/"
for size in 48 128 256; do
    cp "packaging/icons/deadacre-$size.png" "$out/icon-$size.png"
done
rm -f "$out/testFont.ttf" "$out"/*.gz

# Emscripten's data loader names its package with a random id; one made from the data's contents
# keeps a build of the same sources the same.
uuid=$(sha256sum <"$out/index.data" | sed -E 's/^(.{8})(.{4})(.{4})(.{4})(.{12}).*/\1-\2-\3-\4-\5/')
sed -i -E "s/(package_uuid\":\")[0-9a-f-]{36}/\1$uuid/" "$out/index.js"

# The page asks for each of the build's own files with a version made from its contents
# (index.data?v=...), so no cache, the browser's or the service worker's, can hand a page of one
# build another build's file, and a file a new build left unchanged is not downloaded again. The
# build's version, made from everything the page is made of, names the service worker's cache.
# The icons and the manifest, which builds rarely change, keep plain names.
own="touch.js index.js index.wasm index.data testFont.woff2"
version=$(cat "$out/touch.js" "$out/index.js" "$out/index.wasm" "$out/index.data" "$out/testFont.woff2" \
    "$out/manifest.webmanifest" "$out"/icon-*.png web/index.html web/sw.js | sha256sum | cut -c1-16)
stamps="-e s/@VERSION@/$version/g" list=""
for f in $own; do
    v=$(sha256sum <"$out/$f" | cut -c1-16)
    stamps="$stamps -e s/@$f@/$v/g" list="$list\"$f?v=$v\", "
done
list="$list$(printf '"%s", ' manifest.webmanifest icon-48.png icon-128.png icon-256.png)"
# shellcheck disable=SC2086
sed $stamps web/index.html >"$out/index.html"
sed -e "s/@VERSION@/$version/" -e "s/@FILES@/${list%, }/" web/sw.js >"$out/sw.js"

page="index.html touch.js index.js index.wasm index.data testFont.woff2 sw.js manifest.webmanifest \
icon-48.png icon-128.png icon-256.png"
for f in $page; do
    gzip -9 -n -k -f "$out/$f"
    if [ $(($(wc -c <"$out/$f.gz") * 10)) -gt $(($(wc -c <"$out/$f") * 9)) ]; then
        rm "$out/$f.gz"
    fi
done

# What a first visit downloads, written beside the site (not served) as the table README shows:
# every file, plain and as sent gzipped where a .gz is beside it.
size() { wc -c <"$out/$1"; }
sent() { if [ -e "$out/$1.gz" ]; then size "$1.gz"; else size "$1"; fi; }
row() {
    label=$1
    shift
    plain=0 gz=0
    for f in "$@"; do
        plain=$((plain + $(size "$f"))) gz=$((gz + $(sent "$f")))
    done
    total_plain=$((total_plain + plain)) total_gz=$((total_gz + gz))
    printf '| %s | %s | %s |\n' "$label" "$plain" "$gz"
}
total_plain=0 total_gz=0
{
    echo "| file | plain | gzip where the server sends it |"
    echo "|---|---:|---:|"
    row "index.html (and touch.js)" index.html touch.js
    row "index.js" index.js
    row "index.wasm" index.wasm
    row "index.data (pictures, sounds)" index.data
    row "testFont.woff2 (font)" testFont.woff2
    row "sw.js, manifest, icons" sw.js manifest.webmanifest icon-48.png icon-128.png icon-256.png
    printf '| **total** | **%s** | **%s** |\n' "$total_plain" "$total_gz"
} | sed -E ':a; s/([0-9])([0-9]{3})([^0-9]|$)/\1,\2\3/; ta' >"$(dirname "$out")/weight.md"
echo "web build: $out (version $version); weights in $(dirname "$out")/weight.md"
