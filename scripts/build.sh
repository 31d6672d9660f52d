#!/bin/sh
# Builds into build/ (release with debug info). With --game only the game and its launcher
# build/deadacre-play, without the tests or GoogleTest: what playing needs, and quick. Without it
# the tests and tools too.
set -eu
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--game" ]; then
    # An existing build/ keeps its own choice of tests; a fresh one is made without them.
    if [ -f build/CMakeCache.txt ]; then
        cmake -S . -B build >/dev/null
    else
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
    fi
    cmake --build build -j "$(nproc)" --target deadacre
    exit 0
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build -j "$(nproc)"
