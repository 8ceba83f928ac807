#!/usr/bin/env bash
# The read-and-hash pipeline on a cached 1 GiB file under Wine, beside the
# peers on the same file in the same run:
#   - pipeline_bench.exe (bench/pipeline_win32.cpp): a plain 1 MiB ReadFile
#     loop (the read rate), 64 KiB and 1 MiB mapped views, the primitives in
#     memory, and the pipeline for CRC-32 and MD5 in the default read mode
#     and in the mapping mode, with where its threads spent the time;
#   - rhash --crc32, cksfv, md5sum on the file, and openssl speed -evp md5
#     (its 16 KiB column).
# Every figure is the best of CORVANA_BENCH_REPEAT runs (3). The file lives
# in a scratch folder under build/ and is removed at the end.
# CORVANA_BENCH_BUILD=DIR takes pipeline_bench.exe from DIR (build/win64-bench);
# CORVANA_BENCH_MIB=N sets the file's size (1024).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh

build=${CORVANA_BENCH_BUILD:-build/win64-bench}
exe=$build/bench/pipeline_bench.exe
bench_need "$exe" win64-bench
repeat=${CORVANA_BENCH_REPEAT:-3}

work=$root/build/bench-pipeline
rm -rf "$work"
mkdir -p "$work"
bench_size_mib "$work" 4 3

cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

file=$work/big.bin
echo "making a $mib MiB file in $work ($(df -h "$work" | awk 'NR == 2 { print $4 }') free)"
head -c $((mib * 1024 * 1024)) /dev/urandom >"$file"

bench_start_wine "$root/$build/wineprefix-pipeline"

echo "warming the page cache"
cat "$file" >/dev/null
cat "$file" >/dev/null


bytes=$((mib * 1024 * 1024))
gbps() { awk -v n="$bytes" -v t="$1" 'BEGIN { printf "%.2f", n / t / 1e9 }'; }
winfile=$(winpath "$file")

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
out=$work/pipeline.txt
status=0
wine64 "$exe" "$winfile" "$repeat" </dev/null 2>&1 | tr -d '\r' >"$out" || status=$?
[ "$status" = 0 ] && grep -q '^= md5 ' "$out" || {
  echo "pipeline_bench failed:"
  cat "$out"
  exit 1
}
t_rhash=$(fastest rhash --crc32 "$file")
t_cksfv=$(fastest cksfv "$file")
t_md5sum=$(fastest md5sum "$file")
ossl_k=$(openssl speed -evp md5 -seconds 2 2>/dev/null | awk '/^md5/ { v = $NF } END { sub(/k$/, "", v); print v }')
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

# The digests must agree before the times mean anything.
crc=$(awk '$1 == "=" && $2 == "crc" { print toupper($3) }' "$out")
md5=$(awk '$1 == "=" && $2 == "md5" { print $3 }' "$out")
peer_crc=$(rhash --crc32 --simple "$file" | awk '{ print toupper($1) }')
peer_md5=$(md5sum "$file" | awk '{ print $1 }')
[ "$crc" = "$peer_crc" ] || { echo "CRC-32 differs: pipeline $crc, rhash $peer_crc"; exit 1; }
[ "$md5" = "$peer_md5" ] || { echo "MD5 differs: pipeline $md5, md5sum $peer_md5"; exit 1; }

echo
echo "Corvana under Wine, $mib MiB cached file (best of $repeat):"
grep -v '^=' "$out"
echo
echo "peers on the same file, whole processes (best of $repeat):"
printf '%-58s %8s s %7s GB/s\n' "rhash --crc32" "$t_rhash" "$(gbps "$t_rhash")"
printf '%-58s %8s s %7s GB/s\n' "cksfv" "$t_cksfv" "$(gbps "$t_cksfv")"
printf '%-58s %8s s %7s GB/s\n' "md5sum" "$t_md5sum" "$(gbps "$t_md5sum")"
printf '%-58s %10s %7s GB/s\n' "openssl speed -evp md5, 16 KiB blocks" "" \
  "$(awk -v k="$ossl_k" 'BEGIN { printf "%.2f", k * 1000 / 1e9 }')"

val() { awk -v k="$1" '$1 == "=" && $2 == k { print $3 }' "$out"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.0f", 100 * a / b; else print "?" }'; }
read_rate=$(awk -v a="$(val readfile_nobuffering)" -v b="$(val readfile_sequential)" \
  'BEGIN { print (a > b ? a : b) }')
echo
echo "digests agree with rhash and md5sum: CRC-32 $crc, MD5 $md5"
echo "MD5 pipeline (read mode): $(ratio "$(val pipeline_md5_read)" "$(val primitive_md5)")% of the MD5 primitive (target 90%)"
echo "CRC-32 pipeline (read mode): $(ratio "$(val pipeline_crc_read)" "$read_rate")% of the faster 1 MiB ReadFile loop (target 70%)"
echo "MD5 pipeline beside md5sum: $(ratio "$(val pipeline_md5_read)" "$(gbps "$t_md5sum")")%;" \
  "CRC-32 pipeline beside rhash --crc32: $(ratio "$(val pipeline_crc_read)" "$(gbps "$t_rhash")")%"
