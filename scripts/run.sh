#!/bin/sh
# Installs what playing needs, builds only the game, and starts it through build/deadacre-play,
# which runs it in its data folder (it loads every file by a path relative to its working
# directory). Arguments go to the game (deadacre --help).
set -eu
DEADACRE_CALLER_DIR=$(pwd)
export DEADACRE_CALLER_DIR
cd "$(dirname "$0")/.."
scripts/install.sh
scripts/build.sh --game
exec build/deadacre-play "$@"
