#!/usr/bin/env bash
# Runs one Windows test program under wine in a throwaway prefix (ctest's emulator).
# Drives: C: the prefix's own, D: and E: empty folders, Y: the build directory,
# S: the artifacts folder (screenshots). Bitmaps a test leaves in S: become PNGs.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/wine-prefix.sh"

exe=$(readlink -f "$1"); shift
build=${ZENTA_BUILD_DIR:-$(dirname "$exe")}
build=$(readlink -f "$build")
artifacts=${ZENTA_ARTIFACTS:-$build/artifacts}
mkdir -p "$artifacts"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/zenta-prefix.XXXXXX")
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "${ZENTA_KEEP_PREFIX:-}" ] || rm -rf "$prefix"
}
trap cleanup EXIT
zenta_new_prefix "$prefix"
mkdir -p "$prefix/drive_d/tree/sub" "$prefix/drive_e/outside" "$prefix/drive_e/linked/copyfiles/common" "$prefix/drive_e/rootlink"
# A package whose disks folder is a host link to E:\outside (E:\linkedsource).
mkdir -p "$prefix/drive_e/linkedsource/copyfiles/common" && echo loader >"$prefix/drive_e/linkedsource/copyfiles/common/zeldr"
# Host links to E:\outside, which wine programs see as directory links (wine cannot make them
# itself): D:\link, D:\tree\sub\outside, E:\zentaos, one in a package, E:\linked, and a
# package's copyfiles, E:\rootlink. Nothing
# may follow them. D:\planted.log is a file link to E:\outside\keep.txt (a plain file to wine).
echo keep > "$prefix/drive_e/outside/keep.txt"
for link in drive_d/link drive_d/tree/sub/outside drive_e/zentaos drive_e/linked/copyfiles/common/outside \
  drive_e/rootlink/copyfiles drive_e/linkedsource/copyfiles/disks; do
  ln -s "$prefix/drive_e/outside" "$prefix/$link"
done
ln -s "$prefix/drive_e/outside/keep.txt" "$prefix/drive_d/planted.log"
ln -s ../drive_d "$prefix/dosdevices/d:"
ln -s ../drive_e "$prefix/dosdevices/e:"
ln -s "$build" "$prefix/dosdevices/y:"
ln -s "$artifacts" "$prefix/dosdevices/s:"
export WINEPREFIX=$prefix
export ZENTA_HOST_PREFIX=$prefix

# Every test gets an X server of its own: keyboard focus is per display, and tests that
# share one steal the focus from each other. Xvfb picks a free display number itself.
if [ -z "${ZENTA_SHARED_DISPLAY:-}" ]; then
  displayfile=$prefix/.display
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$displayfile")"
fi

case "$exe" in
  "$build"/*) winexe="y:\\$(echo "${exe#"$build"/}" | tr / '\\')" ;;
  *) winexe=$exe ;;
esac
wine "$winexe" "$@"
rc=$?
# Screenshots arrive as bitmaps; keep PNGs only.
for bmp in "$artifacts"/*.bmp; do
  [ -e "$bmp" ] || continue
  /usr/bin/convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
done
exit $rc
