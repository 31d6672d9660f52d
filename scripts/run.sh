#!/bin/sh
# Installs what is missing, builds, and starts the game from its data folder (it loads every
# file by a path relative to its working directory).
set -eu
cd "$(dirname "$0")/.."
scripts/install.sh
scripts/build.sh
cd data
exec ../build/deadacre "$@"
