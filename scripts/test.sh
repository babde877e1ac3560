#!/usr/bin/env bash
# Installs what is missing, builds both programs and every test, and runs all tests
# under wine, each test program in its own throwaway prefix and on an X server of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZENTA_BUILD:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)"

# Each test program starts an X server of its own (tests/wine/run.sh).
unset DISPLAY

cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
echo "Screenshots and other test artifacts: $build/artifacts"
