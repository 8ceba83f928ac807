#!/usr/bin/env bash
# The results window with 100,000 rows under Wine and Xvfb: the fill through
# ReportLine and one click on each column, beside a plain list view filled
# and sorted with LVM_SORTITEMSEX in the same run (bench/results_win32.cpp).
# CORVANA_BENCH_BUILD=DIR takes results_bench.exe from DIR (build/win64-bench);
# CORVANA_BENCH_ROWS=N sets the number of rows (100000).
set -euo pipefail
export PATH=$PATH:/usr/lib/wine
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
build=${CORVANA_BENCH_BUILD:-build/win64-bench}
exe=$build/bench/results_bench.exe
[ -f "$exe" ] || {
  echo "run-results: $exe is not built (build the win64-bench preset)" >&2
  exit 1
}
export WINEPREFIX=$root/$build/wineprefix-results WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" WINEARCH=win64
started_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 200 240); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=:$n; break; }
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  started_xvfb=$!
  export DISPLAY=$display
fi
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null || true
}
trap cleanup EXIT
"$root/scripts/wine-run" --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
"$root/scripts/wine-run" --prefix "$WINEPREFIX" "$exe" "${CORVANA_BENCH_ROWS:-100000}"
