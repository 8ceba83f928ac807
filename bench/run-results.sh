#!/usr/bin/env bash
# The results window with 100,000 rows under Wine and Xvfb: the fill through
# ReportLine and one click on each column, beside a plain list view filled
# and sorted with LVM_SORTITEMSEX in the same run (bench/results_win32.cpp).
# CORVANA_BENCH_BUILD=DIR takes results_bench.exe from DIR (build/win64-bench);
# CORVANA_BENCH_ROWS=N sets the number of rows (100000); CORVANA_BENCH_WINDOW_ONLY=1
# leaves out the plain list view (its sorts take minutes under Wine).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh
build=${CORVANA_BENCH_BUILD:-build/win64-bench}
exe=$build/bench/results_bench.exe
bench_need "$exe" win64-bench
bench_start_wine "$root/$build/wineprefix-results"
trap bench_stop_wine EXIT
"$root/scripts/wine-run" --prefix "$WINEPREFIX" "$exe" "${CORVANA_BENCH_ROWS:-100000}" ${CORVANA_BENCH_WINDOW_ONLY:+window}
