#!/bin/sh
# The browser test: builds the web version, writes the desktop's opening view with the desktop
# build's web_reference_frame, installs playwright-core from the committed lock file, and plays the
# page in Debian's headless Chromium. Screenshots land in build-web/screenshots/.
#
# usage: tests/web/run.sh [DESKTOP_BUILD_DIR]    (default: build)
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build}
started=$(date +%s)
scripts/build-web.sh build-web/site
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
mkdir -p build-web
(cd data && "../$build/web_reference_frame" ../build-web/desktop-first-frame.ppm)
rm -rf build-web/screenshots
node tests/web/browser_test.js build-web/site build-web/desktop-first-frame.ppm data \
    build-web/screenshots
echo "browser test passed in $(($(date +%s) - started)) s"
