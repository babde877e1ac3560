#!/usr/bin/env bash
# Copy throughput benchmark: CCopyJob under wine against GNU cp and a plain CopyFileW loop;
# then how long the wizard keeps the user waiting while it installs.
#   bench/run.sh [ROUNDS]
# Builds the product libraries (build-bench/) and the bench program, makes a package in a
# temporary folder (2 files of 512 MiB; 5,000 files of 16 KiB), and copies each data set with
# each method into a second folder on the same file system, ROUNDS times (default 5),
# deleting every copy after measuring it. A ratio is the median of the round-by-round ratios.
# Then the real Setup.exe, walked by the tests' driver on a private X server, installs a package
# with a 2 GiB system image (written just before) max(ROUNDS, 5) times while it is pinged every
# 50 ms with SendMessageTimeoutW; the worst answer over all installations is reported.
# Environment: BENCH_DIR (where the temporary folder goes; default $TMPDIR or /tmp),
# ZENTA_BENCH_BUILD (build folder; default build-bench in the repository).
# Needs about 4.5 GB free below BENCH_DIR.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-5}
. "$repo/scripts/wine-prefix.sh"
# The flavour this machine can run (the shipped i686 one, or x86_64 where 32-bit programs
# cannot run; ZENTA_TEST_ARCH forces one).
if ! zenta_pick_flavour; then
  echo "bench: the copy job cannot run here: $ZENTA_FLAVOUR_WHY" >&2
  exit 1
fi
arch=$ZENTA_WINE_ARCH
build=${ZENTA_BENCH_BUILD:-$repo/build-bench-$arch}

echo "building the $arch flavour into $build ($ZENTA_FLAVOUR_WHY)" >&2
cmake -S "$repo" -B "$build" -DZENTA_TESTS=ON -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-$arch.cmake" >/dev/null
cmake --build "$build" -j2 --target zsetup Setup Uninstall answer_bench >/dev/null
# The product's compile definitions and build type (MinSizeRel), as CMakeLists.txt sets them.
"$arch-w64-mingw32-g++-win32" -std=c++17 -Os -Wall -Wextra \
  -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 -D_WIN32_IE=0x0600 -DNOMINMAX \
  -I"$repo" "$repo/bench/copy_bench.cpp" -o "$build/copy_bench.exe" \
  -L"$build" -lzsetup -lzcommon -lpsapi -lshlwapi -lshell32 -lole32 -loleaut32 -luuid \
  -lrpcrt4 -ladvapi32 -lgdi32 -luser32 -lkernel32 -static -static-libgcc -static-libstdc++ -municode

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/zenta-bench.XXXXXX")
prefix=$work/prefix
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "making the package in $work" >&2
large=$work/source/large/copyfiles/disks
small=$work/source/small/copyfiles/common
mkdir -p "$large" "$small" "$work/target"
for n in 1 2; do head -c 512M /dev/urandom >"$large/system$n.img"; done
head -c $((5000 * 16384)) /dev/urandom >"$work/blob"
(cd "$small" && split -b 16384 -d -a 4 "$work/blob" f && rm "$work/blob")
# The job places the package's boot loader first, as an installation does.
for set in large small; do
  mkdir -p "$work/source/$set/copyfiles/common"
  head -c 512 /dev/zero >"$work/source/$set/copyfiles/common/zeldr"
done

zenta_new_prefix "$prefix"
ln -s "$work/source" "$prefix/dosdevices/d:"
ln -s "$work/target" "$prefix/dosdevices/e:"
export WINEPREFIX=$prefix
wineserver -p
bench() { wine "$build/copy_bench.exe" "$@" | tr -d '\r'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / s / 1e6 }'; }

declare -A rates=()
peak=0
# Every copy starts from the same state: earlier copies written out, the source in the page
# cache (the machine may reclaim cold pages, which would slow whichever method came first).
settle() {
  sync
  cat "$1"/* >/dev/null
}
measure() { # set method
  local set=$1 method=$2 from winfrom out rate bytes start stop extra
  if [ "$set" = large ]; then from=$large winfrom='D:\large\copyfiles\disks'; else from=$small winfrom='D:\small\copyfiles\common'; fi
  settle "$from"
  case $method in
    job)
      out=$(bench job "D:\\$set" 'E:\zentaos')
      rate=$(mbps "$(field bytes "$out")" "$(field seconds "$out")")
      rm -rf "$work/target/zentaos" ;;
    memory)
      out=$(bench memory "D:\\$set" 'E:\zentaos')
      rm -rf "$work/target/zentaos"
      extra=$(field peak_extra "$out")
      [ "$extra" -gt "$peak" ] && peak=$extra
      printf 'memory %-5s peak extra private memory of the job: %s MiB\n' "$set" \
        "$(awk -v b="$extra" 'BEGIN { printf "%.2f", b / 1048576 }')"
      return ;;
    loop)
      out=$(bench loop "$winfrom" 'E:\loop')
      rate=$(mbps "$(field bytes "$out")" "$(field seconds "$out")")
      rm -rf "$work/target/loop" ;;
    cp)
      mkdir "$work/target/cp"
      bytes=$(du -sb --apparent-size "$from" | cut -f1)
      start=$(date +%s.%N)
      cp --reflink=never "$from"/* "$work/target/cp/"
      stop=$(date +%s.%N)
      rate=$(mbps "$bytes" "$(awk -v a="$start" -v b="$stop" 'BEGIN { print b - a }')")
      rm -rf "$work/target/cp" ;;
  esac
  printf 'round %s %-5s %-5s %9s MB/s\n' "$round" "$set" "$method" "$rate"
  rates[$set-$method]+=" $rate"
}

for set in large small; do measure "$set" memory; done
methods=(job loop cp)
for round in $(seq "$rounds"); do
  for set in large small; do
    # A different method goes first in every round.
    for k in 0 1 2; do measure "$set" "${methods[$(((round + k) % 3))]}"; done
  done
done

# The wizard's answer time: the prefix now maps D: (the target) and E: (the package) to empty
# folders and Y: to the build, as the tests' runner does.
rm -rf "$work/source" "$work/target"
mkdir -p "$work/answer-d" "$work/answer-e"
wineserver -k 2>/dev/null || true
rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/e:"
ln -s "$work/answer-d" "$prefix/dosdevices/d:"
ln -s "$work/answer-e" "$prefix/dosdevices/e:"
ln -s "$build" "$prefix/dosdevices/y:"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
wineserver -p
answer_rounds=$((rounds > 5 ? rounds : 5))
answer=$(wine "$build/tests/answer_bench.exe" "$answer_rounds" | tr -d '\r') || { echo "$answer" >&2; exit 1; }
grep '^round' <<<"$answer"
worst=$(field worst_answer_ms "$answer")

echo "flavour: $arch ($ZENTA_FLAVOUR_WHY)"
echo "machine:$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(findmnt -no FSTYPE -T "$work") on $(findmnt -no SOURCE -T "$work"), load $(cut -d' ' -f1-3 /proc/loadavg); $(wine --version)"
# Methods that run back to back see about the same load, so the ratios are taken round by
# round and their median counts; best and median rates are shown as well.
median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
column() { tr ' ' '\n' <<<"${rates[$1]}" | sed '/^$/d'; }
stats() { echo "best $(column "$1" | sort -g | tail -1), median $(column "$1" | median)"; }
ratio() { paste -d' ' <(column "$1") <(column "$2") | awk '{ print $1 / $2 }' | median; }
for set in large small; do
  if [ $set = large ]; then echo "large files (2 x 512 MiB), MB/s over $rounds rounds:"; else echo "small files (5,000 x 16 KiB), MB/s over $rounds rounds:"; fi
  echo "  CCopyJob:       $(stats $set-job)"
  echo "  CopyFileW loop: $(stats $set-loop)"
  echo "  cp:             $(stats $set-cp)"
done
echo "large-file ratio vs cp: $(ratio large-job large-cp)  small-file ratio vs CopyFileW loop: $(ratio small-job small-loop)  peak extra memory: $(awk -v p="$peak" 'BEGIN { printf "%.1f", p / 1048576 }') MiB  worst answer during installation: $worst ms"
