#!/bin/sh
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
# The whole suite runs twice: in the plain build, then in build-san, built with
# AddressSanitizer and UndefinedBehaviorSanitizer, where any report (a leak included) fails.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install.sh --tests
status=0
# The style the code follows: any difference from the committed .clang-format fails the run, and
# so does any compiler warning in the project's own code (WERROR, in both builds).
clang-format --dry-run --Werror src/*.cpp src/*.h tests/*.cpp tests/*/*.cpp tests/*/*.h \
    tests/*/*.c web/*.cpp web/*.h || status=1
python3 scripts/include-cycles.py && tests/scripts/include_cycles.sh || status=1
cmake -S . -B build -DWERROR=ON >/dev/null
scripts/build.sh
(cd build && ctest --output-on-failure -j "$(nproc)") || status=1
# The art's contrast figures against the map, shown in the log even when they pass.
(cd build && ./game_tests --gtest_filter='AssetsOnTheMap*') || status=1

# The same binaries again on sdl12-compat, the SDL 1.2 of current distributions, which Debian
# installs beside the classic library in a folder of its own.
compat=$(dpkg -L libsdl1.2-compat | grep '/libSDL-1.2.so.0$' | head -n 1)
if [ -z "$compat" ]; then
    echo "sdl12-compat not found"; status=1
else
    # Every SDL_Flip there hands the screen to SDL2's renderer, milliseconds a pass on the dummy
    # driver: the input storm's seeds run 3,000 passes each instead of 25,000.
    LD_LIBRARY_PATH=$(dirname "$compat") STORM_PASSES=${STORM_PASSES:-3000} \
        sh -c 'cd build && ctest --output-on-failure -j "$(nproc)"' || status=1
fi

cmake -S . -B build-san -DSANITIZE=ON -DWERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-san -j "$(nproc)"
# verify_asan_link_order=0: the headless tests preload the caption spy ahead of the runtime.
# The suppressions name third-party libraries only; see the file. The real-display run is left
# to the plain build: it starves the game of processor time on purpose while it quits and gives
# it 5 s, which the instrumented shut-down does not meet.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1:verify_asan_link_order=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0 \
    sh -c 'cd build-san && ctest --output-on-failure -j "$(nproc)" -E "^e2e_real_display$"' ||
    status=1
# The game's ways out (no display, missing and broken pieces, bad options, a whole headless game)
# once more on sdl12-compat. SDL2 has no frame pointers: the slow unwinder reaches the frames that
# the runtime's suppressions name.
LD_LIBRARY_PATH=$(dirname "${compat:-/nonexistent/x}") \
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1:verify_asan_link_order=0:fast_unwind_on_malloc=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0 \
    sh -c 'cd build-san && ctest --output-on-failure -j "$(nproc)" \
        -R "^binary_(without_display|missing_pieces|command_line|headless_run)$"' || status=1

# The browser build, played in headless Chromium (tests/web/run.sh).
tests/web/run.sh build || status=1
exit $status
