#!/usr/bin/env bash
# Installs the cross toolchain, wine and the test tools from Debian's packages.
# Safe to run repeatedly: it only installs what is missing.
set -euo pipefail

# Both flavours: the shipped i686 programs, and the x86_64 build that tests them on machines
# without 32-bit user mode (wine64 there; wine32 installs everywhere but starts only where
# 32-bit programs run).
packages=(g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32
          binutils-mingw-w64-x86-64 mingw-w64-tools cmake make
          wine wine32 wine64 xvfb x11-utils fonts-wqy-microhei imagemagick doctest-dev
          clang-format file
          fonts-wine) # wine's own fonts: marlett draws the title bars' buttons

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32)
fi
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The win32 thread model keeps the programs free of winpthreads (which needs Vista).
for target in i686 x86_64; do
  if command -v update-alternatives >/dev/null && [ -e /usr/bin/$target-w64-mingw32-g++-win32 ]; then
    update-alternatives --set $target-w64-mingw32-g++ /usr/bin/$target-w64-mingw32-g++-win32 >/dev/null 2>&1 || true
    update-alternatives --set $target-w64-mingw32-gcc /usr/bin/$target-w64-mingw32-gcc-win32 >/dev/null 2>&1 || true
  fi
done
