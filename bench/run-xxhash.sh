#!/usr/bin/env bash
# The XXH family beside xxhsum, in one run:
#   - in-process: XXH32, XXH64, XXH3 and XXH128 through the digest interface
#     (digest_bench, on xxhsum -b's 100 KB sample and on 64 MiB) beside
#     `xxhsum -b` on the same machine (the reference library's own
#     benchmark, its fastest of three passes). XXH3 must reach 0.9 x.
#   - whole process: an XXH3 list and an XXH128 list of one cached file
#     (1 GiB, or 256 MiB on a small machine; CORVANA_BENCH_MIB=N sets it):
#     Corvana.exe OUTPUT: under Wine beside `xxhsum -c`, best of
#     CORVANA_BENCH_REPEAT (3) runs each, and Corvana.exe on an empty list
#     (what starting a process under Wine costs). Corvana.exe must be at
#     least as fast.
# Needs the native benchmark build (build/bench, or CORVANA_BENCH_NATIVE=DIR)
# and a Corvana.exe (build/win64-bench, else build/win64, or
# CORVANA_BENCH_BUILD=DIR).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh
native=${CORVANA_BENCH_NATIVE:-build/bench}
bench_need "$native/bench/digest_bench" bench
command -v xxhsum >/dev/null || { echo "run-xxhash: xxhsum is not installed" >&2; exit 1; }
bench_corvana_build run-xxhash
repeat=${CORVANA_BENCH_REPEAT:-3}
min_time=${CORVANA_BENCH_MIN_TIME:-0.5}

work=$root/build/bench-xxhash
rm -rf "$work" && mkdir -p "$work/exe"
cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT
bench_size_mib "$work" 3 3

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
csv=$work/digest.csv
"$native/bench/digest_bench" --benchmark_filter='Xxh' --benchmark_min_time="$min_time" \
  --benchmark_format=csv 2>/dev/null >"$csv"
# xxhsum -b prints "<n>#<name> : <size> -> <it/s> it/s (<rate> MB/s)", its
# MB being 2^20 bytes; the last figure of each variant is its best pass.
xxb=$(xxhsum -b 2>&1 | tr '\r' '\n')
xxhsum_rate() {  # VARIANT: GB/s
  awk -v v="$1" '$0 ~ ("#" v " ") { s = $0; sub(/.*\( */, "", s); sub(/ MB\/s.*/, "", s); r = s }
    END { if (r == "") print "-"; else printf "%.2f", r * 1048576 / 1e9 }' <<<"$xxb"
}
rate() {  # NAME/SIZE: GB/s of one digest_bench case
  awk -F, -v n="\"$1\"" '$1 == n { if ($9 == "" && $6 != "") printf "%.2f", $6 / 1e9; else printf "-"; f = 1 }
    END { if (!f) printf "-" }' "$csv"
}

echo "making one $mib MiB file in $work"
head -c $((mib << 20)) /dev/urandom >"$work/data.bin"
(cd "$work" && xxhsum -H3 data.bin >list.xxh3 && xxhsum -H2 data.bin >list.xxh128)
: >"$work/empty.sfv"
cp "$build/verifier/Corvana.exe" "$work/exe/Corvana.exe"
printf '[Corvana]\r\nSignature=bench\r\n' >"$work/exe/Corvana.ini"
bench_start_wine "$root/$build/wineprefix-bench"
corvana() { wine64 "$work/exe/Corvana.exe" "$(winpath "$work/$1")" OUTPUT:out.txt </dev/null >/dev/null 2>&1; }
in_work() { (cd "$work" && "$@"); }
cat "$work/data.bin" >/dev/null
for list in list.xxh3 list.xxh128; do
  corvana "$list"
  grep -q 'All files OK' "$work/out.txt" || { echo "$list: the run failed:"; cat "$work/out.txt"; exit 1; }
  in_work xxhsum -c "$list" >/dev/null || { echo "$list: xxhsum -c failed"; exit 1; }
done
t_xxh3=$(fastest corvana list.xxh3)
t_xxh3_peer=$(fastest in_work xxhsum -c list.xxh3)
t_xxh128=$(fastest corvana list.xxh128)
t_xxh128_peer=$(fastest in_work xxhsum -c list.xxh128)
t_empty=$(fastest corvana empty.sfv)
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

echo
printf '%-40s %12s %12s %12s\n' "in-process, one core (GB/s)" "100 KB" "64 MiB" "xxhsum -b"
row() { printf '%-40s %12s %12s %12s\n' "$1" "$(rate "$2/102400")" "$(rate "$2/67108864")" "$3"; }
row "XXH32" BM_Digest/Xxh32 "$(xxhsum_rate XXH32)"
row "XXH64" BM_Digest/Xxh64 "$(xxhsum_rate XXH64)"
row "XXH3 (64-bit), best path" BM_Digest/Xxh3 "$(xxhsum_rate XXH3_64b)"
row "XXH3 (64-bit), the library's default" BM_Digest/Xxh3Portable "-"
row "XXH128" BM_Digest/Xxh128 "$(xxhsum_rate XXH128)"
mibs() { awk -v m="$mib" -v t="$1" 'BEGIN { printf "%.0f", m / t }'; }
echo
printf '%-52s %9s %10s\n' "whole process, one $mib MiB file (best of $repeat)" "seconds" "MiB/s"
printf '%-52s %9s %10s\n' "Corvana.exe list.xxh3 OUTPUT:" "$t_xxh3" "$(mibs "$t_xxh3")"
printf '%-52s %9s %10s\n' "xxhsum -c list.xxh3" "$t_xxh3_peer" "$(mibs "$t_xxh3_peer")"
printf '%-52s %9s %10s\n' "Corvana.exe list.xxh128 OUTPUT:" "$t_xxh128" "$(mibs "$t_xxh128")"
printf '%-52s %9s %10s\n' "xxhsum -c list.xxh128" "$t_xxh128_peer" "$(mibs "$t_xxh128_peer")"
printf '%-52s %9s\n' "Corvana.exe on an empty list (Wine start-up)" "$t_empty"
echo
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-") print "-"; else printf "%.2f", a / b }'; }
echo "XXH3 in-process: $(ratio "$(rate BM_Digest/Xxh3/102400)" "$(xxhsum_rate XXH3_64b)")x xxhsum -b (target 0.9x)"
echo "XXH3 list: $(ratio "$t_xxh3_peer" "$t_xxh3")x the speed of xxhsum -c (target 1x)"
echo "XXH128 list: $(ratio "$t_xxh128_peer" "$t_xxh128")x the speed of xxhsum -c (target 1x)"
