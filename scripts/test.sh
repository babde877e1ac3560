#!/usr/bin/env bash
# Installs what is missing, builds both programs and every test, and runs all tests
# under wine (each test program in its own throwaway prefix) on a private X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZENTA_BUILD:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)"

display=""
for n in $(seq 60 99); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
echo "Screenshots and other test artifacts: $build/artifacts"
