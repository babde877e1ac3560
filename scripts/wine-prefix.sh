#!/usr/bin/env bash
# Wine prefix helpers shared by the test runner, the demo and the benchmark.
#   zenta_make_template DIR   a settled prefix with Chinese fonts and no z: drive
#   zenta_new_prefix DIR      a fresh throwaway copy of the template in DIR
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

zenta_template_dir() {
  echo "${ZENTA_WINE_TEMPLATE:-${TMPDIR:-/tmp}/zenta-wine-template-$(id -u)}"
}

zenta_make_template() {
  local dir=$1
  [ -f "$dir/.ready" ] && return 0
  (
    flock 9
    [ -f "$dir/.ready" ] && exit 0
    rm -rf "$dir"
    mkdir -p "$dir"
    WINEPREFIX=$dir wineboot -i >/dev/null 2>&1
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
}
