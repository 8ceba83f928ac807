#!/usr/bin/env bash
# Reading speed of the list readers beside peers that read the same lists in
# the same run: a 1,000,000-line SFV list and a 1,000,000-line MD5 list, read
# by Corvana's detection, counting pass and ReadListEntry (formats_bench), by
# `rhash -c --skip-ok` and `cksfv -f` (SFV) and `md5sum -c --ignore-missing`
# (MD5). The named files do not exist, so each peer reads its list and looks
# for every file once; Corvana reads the list twice (counting and reading)
# and looks for no file. `wc -l` is the floor of reading the bytes at all.
# Figures are wall-clock seconds of one whole read, best of
# CORVANA_BENCH_REPEAT (3). Needs the native benchmark build (build/bench, or
# CORVANA_BENCH_NATIVE=DIR).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/common.sh
build=${CORVANA_BENCH_NATIVE:-build/bench}
bench_need "$build/bench/formats_bench" bench
repeat=${CORVANA_BENCH_REPEAT:-3}
lists=$(mktemp -d "$root/build/formats-bench.XXXXXX")
trap 'rm -rf "$lists"' EXIT
sfv=$lists/corvana_bench_1m.sfv
md5=$lists/corvana_bench_1m.md5

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
csv=$(mktemp)
trap 'rm -rf "$lists" "$csv"' EXIT
# The benchmark writes both lists on its first use; the peers then read the
# very same files (in the page cache by then).
CORVANA_FORMATS_LISTS=$lists "$build/bench/formats_bench" --benchmark_format=csv \
  --benchmark_repetitions="$repeat" 2>/dev/null >"$csv"

# best NAME: the fastest repetition of a benchmark, in seconds.
best() {
  awk -F, -v n="\"$1/min_time:2.000/real_time\"" '$1 == n { t = $3 / 1000; if (b == "" || t < b) b = t }
    END { printf "%.3f", b }' "$csv"
}

row() {  # label seconds file
  local mb
  mb=$(stat -c %s "$3")
  awk -v l="$1" -v s="$2" -v b="$mb" 'BEGIN {
    printf "%-44s %8.3f %12.0f %8.1f\n", l, s, 1000000 / s, b / 1e6 / s }'
}

c_sfv=$(best BM_SfvList)
c_md5=$(best BM_Md5List)
p_wc=$(fastest wc -l "$sfv")
p_rhash=$(fastest rhash -c --skip-ok "$sfv")
p_cksfv=$(fastest cksfv -q -f "$sfv")
p_md5sum=$(fastest md5sum -c --ignore-missing "$md5")
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%-44s %8s %12s %8s\n' "1,000,000-line list, one whole read" "s" "entries/s" "MB/s"
row "SFV: Corvana detect + count + read" "$c_sfv" "$sfv"
row "SFV: rhash -c --skip-ok (files missing)" "$p_rhash" "$sfv"
row "SFV: cksfv -f (files missing)" "$p_cksfv" "$sfv"
row "SFV: wc -l (reading the bytes)" "$p_wc" "$sfv"
row "MD5: Corvana detect + count + read" "$c_md5" "$md5"
row "MD5: md5sum -c --ignore-missing" "$p_md5sum" "$md5"
