#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs every test: the game alone in
# build-play/ without the test libraries, the suite in build/, then a minute
# of fuzzing in build-fuzz/, then the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/deps.sh" test

# Playing must never need the test libraries.
"$root/scripts/build.sh" "$root/build-play" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -- tumblegem

"$root/scripts/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure --no-tests=error -j"$jobs" -LE long)

# Fuzzing before the sanitised suite, so the run ends on the test summary.
"$root/scripts/fuzz.sh" 60

"$root/scripts/build.sh" "$root/build-asan" -DTUMBLEGEM_SANITIZE=ON -DTUMBLEGEM_BENCH=OFF
export UBSAN_OPTIONS=print_stacktrace=1
# Real-window tests start the sanitised game itself, outside the tests' own environment.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
(cd "$root/build-asan" && ctest --output-on-failure --no-tests=error -j"$jobs" -LE long)
