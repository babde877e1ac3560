#!/usr/bin/env bash
# Copy throughput benchmark: CCopyJob under wine against GNU cp and a plain CopyFileW loop;
# then how long the wizard keeps the user waiting while it installs and while it removes.
#   bench/run.sh [ROUNDS]
# Builds the product libraries (build-bench-<flavour>/) and the bench programs, makes a package
# (2 files of 512 MiB; 2,000 files of 16 KiB) and copies each data set with each method into a
# second folder on the same file system, deleting every copy after measuring it: ROUNDS times
# (default 15) in a memory-backed folder (below /dev/shm), where the kernel's write-back cannot
# throttle one method and not another, and BENCH_DISK_ROUNDS times (default 3) on disk, for
# comparison. A ratio is the median of the round-by-round ratios; the lowest and highest ratio
# of the rounds are printed beside it.
# Then the real Setup.exe, walked by the tests' driver on a private X server, installs a package
# with a 2 GiB system image (written just before) BENCH_ANSWER_ROUNDS times (default 5, at
# least 5) and removes each installation again, while it is pinged every 50 ms with
# SendMessageTimeoutW; the worst answers over all installations and all removals are reported.
# Environment: BENCH_DIR (the disk folder; default $TMPDIR or /tmp), BENCH_SHM (the memory-backed
# folder; default /dev/shm), BENCH_PARTS (default "copy answer"), ZENTA_BENCH_BUILD (build folder).
# Needs about 2.2 GB free below each of BENCH_DIR and BENCH_SHM, and 4.5 GB below BENCH_DIR for
# the installations.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-15}
disk_rounds=${BENCH_DISK_ROUNDS:-3}
answer_rounds=${BENCH_ANSWER_ROUNDS:-5}
answer_rounds=$((answer_rounds > 5 ? answer_rounds : 5))
parts=${BENCH_PARTS:-copy answer}
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
shm=$(mktemp -d "${BENCH_SHM:-/dev/shm}/zenta-bench.XXXXXX")
prefix=$work/prefix
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work" "$shm"
}
trap cleanup EXIT
zenta_new_prefix "$prefix"
export WINEPREFIX=$prefix

bench() { wine "$build/copy_bench.exe" "$@" | tr -d '\r'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / s / 1e6 }'; }
# D: is the package, E: the target, both in folder $1.
map_drives() {
  wineserver -k 2>/dev/null || true
  rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/e:"
  ln -s "$1/source" "$prefix/dosdevices/d:"
  ln -s "$1/target" "$prefix/dosdevices/e:"
  wineserver -p
}
make_package() {
  local large=$1/source/large/copyfiles/disks small=$1/source/small/copyfiles/common
  mkdir -p "$large" "$small" "$1/target"
  for n in 1 2; do head -c 512M /dev/urandom >"$large/system$n.img"; done
  head -c $((2000 * 16384)) /dev/urandom >"$1/blob"
  (cd "$small" && split -b 16384 -d -a 4 "$1/blob" f && rm "$1/blob")
  # The job places the package's boot loader first, as an installation does.
  for set in large small; do
    mkdir -p "$1/source/$set/copyfiles/common"
    head -c 512 /dev/zero >"$1/source/$set/copyfiles/common/zeldr"
  done
}

declare -A rates=()
peak=0
# Every copy starts from the same state: earlier copies written out, the source in the page
# cache (the machine may reclaim cold pages, which would slow whichever method came first).
settle() {
  sync
  cat "$1"/* >/dev/null
}
measure() { # where set method
  local where=$1 set=$2 method=$3 from winfrom out rate bytes start stop extra
  if [ "$set" = large ]; then from=$where/source/large/copyfiles/disks winfrom='D:\large\copyfiles\disks'; else from=$where/source/small/copyfiles/common winfrom='D:\small\copyfiles\common'; fi
  settle "$from"
  case $method in
    job)
      out=$(bench job "D:\\$set" 'E:\zentaos')
      rate=$(mbps "$(field bytes "$out")" "$(field seconds "$out")")
      rm -rf "$where/target/zentaos" ;;
    memory)
      out=$(bench memory "D:\\$set" 'E:\zentaos')
      rm -rf "$where/target/zentaos"
      extra=$(field peak_extra "$out")
      [ "$extra" -gt "$peak" ] && peak=$extra
      printf 'memory %-5s peak extra private memory of the job: %s MiB\n' "$set" \
        "$(awk -v b="$extra" 'BEGIN { printf "%.2f", b / 1048576 }')"
      return ;;
    loop)
      out=$(bench loop "$winfrom" 'E:\loop')
      rate=$(mbps "$(field bytes "$out")" "$(field seconds "$out")")
      rm -rf "$where/target/loop" ;;
    cp)
      mkdir "$where/target/cp"
      bytes=$(du -sb --apparent-size "$from" | cut -f1)
      start=$(date +%s.%N)
      cp --reflink=never "$from"/* "$where/target/cp/"
      stop=$(date +%s.%N)
      rate=$(mbps "$bytes" "$(awk -v a="$start" -v b="$stop" 'BEGIN { print b - a }')")
      rm -rf "$where/target/cp" ;;
  esac
  printf 'round %s %-6s %-5s %-5s %9s MB/s\n' "$round" "$kind" "$set" "$method" "$rate"
  rates[$kind-$set-$method]+=" $rate"
}
# throughput KIND FOLDER ROUNDS: every method on both data sets, the order changing by round.
throughput() {
  kind=$1
  make_package "$2"
  map_drives "$2"
  methods=(job loop cp)
  for round in $(seq "$3"); do
    for set in large small; do
      for k in 0 1 2; do measure "$2" "$set" "${methods[$(((round + k) % 3))]}"; done
    done
  done
  [ "$kind" = memory ] && for set in large small; do measure "$2" "$set" memory; done
  rm -rf "$2/source" "$2/target"
}

if [[ " $parts " == *" copy "* ]]; then
  echo "copying in $shm (memory) and $work (disk)" >&2
  throughput memory "$shm" "$rounds"
  throughput disk "$work" "$disk_rounds"
fi

worst=- removal=-
if [[ " $parts " == *" answer "* ]]; then
  # The wizard's answer times: the prefix maps D: (the target) and E: (the package) to empty
  # folders on disk and Y: to the build, as the tests' runner does.
  mkdir -p "$work/answer-d" "$work/answer-e"
  wineserver -k 2>/dev/null || true
  rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/e:" "$prefix/dosdevices/y:"
  ln -s "$work/answer-d" "$prefix/dosdevices/d:"
  ln -s "$work/answer-e" "$prefix/dosdevices/e:"
  ln -s "$build" "$prefix/dosdevices/y:"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$work/display")"
  wineserver -p
  answer=$(wine "$build/tests/answer_bench.exe" "$answer_rounds" | tr -d '\r') || { echo "$answer" >&2; exit 1; }
  grep '^round' <<<"$answer"
  worst=$(field worst_answer_ms "$answer")
  removal=$(field worst_removal_ms "$answer")
fi

echo "flavour: $arch ($ZENTA_FLAVOUR_WHY)"
echo "machine:$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), disk: $(findmnt -no FSTYPE -T "$work") on $(findmnt -no SOURCE -T "$work"), memory: $(findmnt -no FSTYPE -T "$shm" | head -1), load $(cut -d' ' -f1-3 /proc/loadavg); $(wine --version)"
# Methods that run back to back see about the same load, so the ratios are taken round by
# round and their median counts, with the lowest and highest; best and median rates as well.
median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
column() { tr ' ' '\n' <<<"${rates[$1]:-}" | sed '/^$/d'; }
stats() { echo "best $(column "$1" | sort -g | tail -1), median $(column "$1" | median)"; }
ratios() { paste -d' ' <(column "$1") <(column "$2") | awk '{ print $1 / $2 }'; }
ratio() { # job reference: median (lowest-highest)
  local all
  all=$(ratios "$1" "$2" | sort -g)
  printf '%s (%.2f-%.2f)' "$(median <<<"$all")" "$(head -1 <<<"$all")" "$(tail -1 <<<"$all")"
}
summary=""
if [[ " $parts " == *" copy "* ]]; then
  for kind in memory disk; do
    n=$rounds
    [ $kind = disk ] && n=$disk_rounds
    echo "large files (2 x 512 MiB), $kind, MB/s over $n rounds:"
    for m in "CCopyJob:       job" "CopyFileW loop: loop" "cp:             cp"; do echo "  ${m% *} $(stats "$kind-large-${m##* }")"; done
    echo "small files (2,000 x 16 KiB), $kind, MB/s over $n rounds:"
    for m in "CCopyJob:       job" "CopyFileW loop: loop" "cp:             cp"; do echo "  ${m% *} $(stats "$kind-small-${m##* }")"; done
  done
  echo "on disk: large-file ratio vs cp: $(ratio disk-large-job disk-large-cp)  small-file ratio vs CopyFileW loop: $(ratio disk-small-job disk-small-loop)"
  summary="large-file ratio vs cp: $(ratio memory-large-job memory-large-cp)  small-file ratio vs CopyFileW loop: $(ratio memory-small-job memory-small-loop)  peak extra memory: $(awk -v p="$peak" 'BEGIN { printf "%.1f", p / 1048576 }') MiB  "
fi
echo "${summary}worst answer during installation: $worst ms  worst answer during removal: $removal ms"
