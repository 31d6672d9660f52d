#!/bin/sh
# Configures and builds the game, its tests and its tools into build/ (release with debug info).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
