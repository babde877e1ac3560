#!/usr/bin/env bash
# Builds both programs, assembles a demo installation package under out/package and runs
# Setup.exe in it under wine: in a window when DISPLAY is set, otherwise headless on a
# private X display, walking the wizard and saving a screenshot of every page to
# out/screenshots: welcome, progress, complete (or notice), and remove from a second start.
#   scripts/demo.sh          with 1.1 GB of (sparse) system files: the wizard ends on the Complete page
#   scripts/demo.sh --small  without them: it ends on the notice
# out/package always holds the shipped i686 programs. Where 32-bit programs cannot run, the
# wizard that runs is the x86_64 build of the same sources, in a copy: out/package-x64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZENTA_BUILD:-$root/build}
out=$root/out
full=1; [ "${1:-}" = "--small" ] && full=0

"$root/scripts/install-deps.sh"
. "$root/scripts/wine-prefix.sh"
if ! zenta_pick_flavour; then
  echo "demo.sh: the wizard cannot run here: $ZENTA_FLAVOUR_WHY" >&2
  exit 1
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
runs=$build
if [ "$ZENTA_WINE_ARCH" = i686 ]; then
  cmake --build "$build" -j"$(nproc)" --target Setup Uninstall demo_tour
else
  cmake --build "$build" -j"$(nproc)" --target Setup Uninstall
fi
if [ "$ZENTA_WINE_ARCH" = x86_64 ]; then
  runs=${ZENTA_BUILD_X64:-$root/build-x64}
  cmake -S "$root" -B "$runs" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DZENTA_SHIPPED_DIR="$build" >/dev/null
  cmake --build "$runs" -j"$(nproc)" --target Setup Uninstall demo_tour
fi
echo "demo flavour: $ZENTA_WINE_ARCH ($ZENTA_FLAVOUR_WHY)"

# The package: Setup.exe at its root, branding in support, slides in ZentaImages, and the
# files to install in copyfiles (the uninstaller among them).
pkg=$out/package
rm -rf "$pkg"; mkdir -p "$pkg"
cp -r "$root/demo/package/." "$pkg/"
cp "$build/Setup.exe" "$pkg/"
mkdir -p "$pkg/copyfiles/common" "$pkg/copyfiles/bcd" "$pkg/copyfiles/ini" "$pkg/copyfiles/disks"
cp "$build/Uninstall.exe" "$pkg/copyfiles/common/"
head -c 512 /dev/zero > "$pkg/copyfiles/common/zeldr"          # stands in for the boot loader
head -c 512 /dev/zero > "$pkg/copyfiles/bcd/zeldr.mbr"         # boot sector the BCD entry loads
echo "Zenta LUM demo package" > "$pkg/copyfiles/common/readme.txt"
if [ $full = 1 ]; then
  truncate -s 600M "$pkg/copyfiles/disks/zenta"
  truncate -s 500M "$pkg/copyfiles/disks/zldrw"
fi
echo "Demo package: $pkg"
if [ "$ZENTA_WINE_ARCH" = x86_64 ]; then
  rm -rf "$out/package-x64"
  cp -a "$pkg" "$out/package-x64"
  pkg=$out/package-x64
  cp "$runs/Setup.exe" "$pkg/"
  cp "$runs/Uninstall.exe" "$pkg/copyfiles/common/"
  echo "The wizard runs from $pkg (the same package with the x86_64 programs)"
fi

# A prefix of each flavour: wine64 cannot use a prefix made for wine32, nor the other way.
export WINEPREFIX=$out/wine-prefix-$ZENTA_WINE_ARCH
if [ ! -d "$WINEPREFIX" ]; then
  zenta_new_prefix "$WINEPREFIX"
  [ -e "$WINEPREFIX/drive_c/boot.ini" ] || printf '[boot loader]\r\ntimeout=5\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS="Microsoft Windows XP Professional" /fastdetect\r\n' > "$WINEPREFIX/drive_c/boot.ini"
fi
ln -sfn "$pkg" "$WINEPREFIX/dosdevices/p:"
# The demo runs as on Windows XP, whose boot menu lives in C:\boot.ini: wine has no BCD provider.
for exe in Setup.exe Uninstall.exe Del_ZentaUninstall.exe demo_tour.exe; do
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /t REG_SZ /d winxp /f >/dev/null 2>&1
done

if [ -n "${DISPLAY:-}" ]; then
  cd "$pkg" && wine Setup.exe
  exit 0
fi

mkdir -p "$out/screenshots"
rm -f "$out"/screenshots/*.png "$out"/screenshots/*.bmp # only this run's pages
ln -sfn "$out/screenshots" "$WINEPREFIX/dosdevices/s:"
display=""
for n in $(seq 60 99); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
if [ -x "$runs/tests/demo_tour.exe" ]; then
  wine "$runs/tests/demo_tour.exe" 'p:\Setup.exe'
else
  (cd "$pkg" && wine Setup.exe &)
  sleep 6
  /usr/bin/import -window root "$out/screenshots/welcome.png"
fi
for bmp in "$out"/screenshots/*.bmp; do
  [ -e "$bmp" ] && /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $out/screenshots"
ls "$out/screenshots"
