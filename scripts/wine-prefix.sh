#!/usr/bin/env bash
# Wine prefix helpers shared by the test runner, the demo and the benchmark.
#   zenta_pick_flavour        sets ZENTA_WINE_ARCH (i686 or x86_64) and ZENTA_FLAVOUR_WHY
#   wine ARGS...              the wine of ZENTA_WINE_ARCH (default i686)
#   zenta_make_template DIR   a settled prefix with Chinese fonts and no z: drive
#   zenta_new_prefix DIR      a fresh throwaway copy of the template in DIR
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The programs ship as i686 and are tested as such wherever 32-bit programs run. Some machines
# have no IA-32 user mode (every 32-bit ELF program ends with "Exec format error", wine's own
# loader included); there the same sources run as x86_64 under wine64. Decided by trying;
# ZENTA_TEST_ARCH=i686|x86_64 forces one. Returns 1 (with the reason) when neither can run.
zenta_pick_flavour() {
  local w32=/usr/lib/wine/wine w64=/usr/lib/wine/wine64
  case "${ZENTA_TEST_ARCH:-}" in
    i686 | x86_64)
      ZENTA_WINE_ARCH=$ZENTA_TEST_ARCH
      ZENTA_FLAVOUR_WHY="forced by ZENTA_TEST_ARCH=$ZENTA_TEST_ARCH" ;;
    "")
      if "$w32" --version >/dev/null 2>&1; then
        ZENTA_WINE_ARCH=i686
        ZENTA_FLAVOUR_WHY="32-bit programs run here ($w32 starts)"
      elif "$w64" --version >/dev/null 2>&1; then
        ZENTA_WINE_ARCH=x86_64
        ZENTA_FLAVOUR_WHY="32-bit programs cannot run here ($w32 does not start), $w64 does"
      else
        ZENTA_FLAVOUR_WHY="neither $w32 nor $w64 starts on this machine"
        return 1
      fi ;;
    *)
      ZENTA_FLAVOUR_WHY="ZENTA_TEST_ARCH must be i686 or x86_64, not '$ZENTA_TEST_ARCH'"
      return 1 ;;
  esac
  export ZENTA_WINE_ARCH ZENTA_FLAVOUR_WHY
}

# Debian's /usr/bin/wine takes the 32-bit loader whenever wine32 is installed, even where it
# cannot start, so the x86_64 flavour calls wine64 itself.
wine() {
  if [ "${ZENTA_WINE_ARCH:-i686}" = x86_64 ]; then
    WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 "$@"
  else
    command wine "$@"
  fi
}

zenta_template_dir() {
  echo "${ZENTA_WINE_TEMPLATE:-${TMPDIR:-/tmp}/zenta-wine-template-${ZENTA_WINE_ARCH:-i686}-$(id -u)}"
}

zenta_make_template() {
  local dir=$1
  [ -f "$dir/.ready" ] && return 0
  (
    flock 9
    [ -f "$dir/.ready" ] && exit 0
    rm -rf "$dir"
    mkdir -p "$dir"
    WINEPREFIX=$dir wine wineboot -i >/dev/null 2>&1
    WINEPREFIX=$dir wineserver -w
    # Chinese texts need a CJK face behind the names the programs and dialogs ask for.
    for face in Simsun SimSun "MS Shell Dlg" "MS Shell Dlg 2" Segoe "Segoe [Regular]" Tahoma; do
      WINEPREFIX=$dir wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    # Without a window manager on the test display, wine waits about 2 s for every window
    # state change of a managed window; unmanaged windows change at once.
    WINEPREFIX=$dir wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    WINEPREFIX=$dir wineserver -w
    WINEPREFIX=$dir wineserver -k 2>/dev/null || true
    # z: would be the host's root: tests must not reach it.
    rm -f "$dir/dosdevices/z:"
    touch "$dir/.ready"
  ) 9>"$dir.lock"
}

zenta_new_prefix() {
  local dir=$1 template
  template=$(zenta_template_dir)
  zenta_make_template "$template"
  rm -rf "$dir"
  cp -a "$template" "$dir"
  rm -f "$dir/.ready"
  # Wine draws the title bars' buttons with its Marlett font (fonts-wine). This wine looks for
  # its own fonts beside its data folder (/usr/share/wine/../fonts), not where fonts-wine puts
  # them; the prefix's Fonts folder is searched too.
  if [ -e /usr/share/wine/fonts/marlett.ttf ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$dir/drive_c/windows/Fonts/"
  fi
}
