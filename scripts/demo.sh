#!/usr/bin/env bash
# Builds both programs, assembles a demo installation package under out/package and runs
# Setup.exe in it under wine: in a window when DISPLAY is set, otherwise headless on a
# private X display, walking the wizard and saving screenshots to out/screenshots.
#   scripts/demo.sh          a package without the large system files (ends on the notice)
#   scripts/demo.sh --full   with 1 GB of (sparse) system files (ends on the Complete page)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZENTA_BUILD:-$root/build}
out=$root/out
full=0; [ "${1:-}" = "--full" ] && full=1

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)"

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

. "$root/scripts/wine-prefix.sh"
export WINEPREFIX=$out/wine-prefix
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
if [ -x "$build/tests/demo_tour.exe" ]; then
  wine "$build/tests/demo_tour.exe" 'p:\Setup.exe'
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
