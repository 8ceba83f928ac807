# Sourced by the bench/run-*.sh that time Windows programs under Wine.
#
# bench_start_wine PREFIX: a display (a private Xvfb when none is set), the
#   prefix created on first use, one persistent wineserver for it and the
#   prefix's services already started, so that no timed run pays for them.
# bench_stop_wine: ends that server and the Xvfb it started.
# winpath PATH: the Windows form of a Linux path (Z: drive).
# bench_corvana_build NAME: the build folder whose Corvana.exe the script
#   NAME times (CORVANA_BENCH_BUILD, else win64-bench, else win64) in
#   $build; ends the script when there is none.
export PATH=$PATH:/usr/lib/wine
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bench_start_wine() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" WINEARCH=win64
  bench_xvfb_pid=""
  if [ -z "${DISPLAY:-}" ]; then
    local n display=""
    for n in $(seq 140 240); do
      [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=:$n; break; }
    done
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    bench_xvfb_pid=$!
    export DISPLAY=$display
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { wine64 wineboot -i >/dev/null 2>&1 || true; }
  # "wineserver -p" refuses while the prefix creation's server still runs.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || echo "note: wineserver -p failed; each run starts its own server"
  # The services start with the first program and live with the server.
  wine64 cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

bench_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${bench_xvfb_pid:-}" ] && kill "$bench_xvfb_pid" 2>/dev/null || true
}


winpath() { echo "Z:$1" | tr / '\\'; }

bench_corvana_build() {
  build=${CORVANA_BENCH_BUILD:-}
  if [ -z "$build" ]; then
    for b in build/win64-bench build/win64; do
      [ -f "$b/verifier/Corvana.exe" ] && { build=$b; break; }
    done
  fi
  [ -n "$build" ] && [ -f "$build/verifier/Corvana.exe" ] || {
    echo "$1: no Corvana.exe built (build the win64-bench or win64 preset)" >&2
    exit 1
  }
}
