#!/usr/bin/env bash
# Installs what is missing, builds both programs and every test, and runs all tests
# under wine, each test program in its own throwaway prefix and on an X server of its own.
# The flavour is the one this machine can run (scripts/wine-prefix.sh): the shipped i686
# build in build/, or, where 32-bit programs cannot run, the x86_64 build in build-x64/
# (which builds the shipped i686 programs in build/ too, for the image checks).
# ZENTA_TEST_ARCH=i686|x86_64 forces one. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
. "$root/scripts/wine-prefix.sh"
if ! zenta_pick_flavour; then
  echo "test.sh: no test flavour can run: $ZENTA_FLAVOUR_WHY" >&2
  exit 1
fi
shipped=${ZENTA_BUILD:-$root/build}
if [ "$ZENTA_WINE_ARCH" = i686 ]; then
  build=$shipped
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
else
  build=${ZENTA_BUILD_X64:-$root/build-x64}
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DZENTA_SHIPPED_DIR="$shipped" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"

# Each test program starts an X server of its own (tests/wine/run.sh).
unset DISPLAY

flavour="test flavour: $ZENTA_WINE_ARCH in $build ($ZENTA_FLAVOUR_WHY); shipped programs checked: $shipped"
echo "$flavour"
cd "$build"
status=0
ctest --output-on-failure -j"$(nproc)" "$@" || status=$?
echo "Screenshots and other test artifacts: $build/artifacts"
exit $status
