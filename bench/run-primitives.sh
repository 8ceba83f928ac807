#!/usr/bin/env bash
# The checksum primitives beside their peers, in one run: every CRC-32 path
# beside zlib's crc32, MD5Update beside OpenSSL's MD5 through EVP in the same
# process and beside `openssl speed -evp md5` (its 16 KiB column). Rates are
# per CPU second on one core, as Google Benchmark and openssl speed count
# them. Needs the native benchmark build (build/bench, or
# CORVANA_BENCH_NATIVE=DIR).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/common.sh
build=${CORVANA_BENCH_NATIVE:-build/bench}
for b in crc32_bench md5_bench; do bench_need "$build/bench/$b" bench; done
min_time=${CORVANA_BENCH_MIN_TIME:-0.5}

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
"$build/bench/crc32_bench" --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null >"$csv"
"$build/bench/md5_bench" --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null |
  tail -n +2 >>"$csv"
ossl_k=$(openssl speed -evp md5 -seconds 3 2>/dev/null | awk '/^md5/ { v = $NF } END { sub(/k$/, "", v); print v }')
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

# rate NAME/SIZE: GB/s of one benchmark, "-" when it did not run here.
rate() {
  awk -F, -v n="\"$1\"" '$1 == n { if ($9 == "" && $6 != "") printf "%.2f", $6 / 1e9; else printf "-"; found = 1 }
    END { if (!found) printf "-" }' "$csv"
}
row() { printf '%-34s %10s %10s\n' "$1" "$(rate "$2/16384")" "$(rate "$2/1048576")"; }

echo
printf '%-34s %10s %10s\n' "GB/s per core" "16 KiB" "1 MiB"
row "CRC-32 reference (1 KiB table)" BM_Crc32Reference
row "CRC-32 slicing-by-16" BM_Crc32Slice16
row "CRC-32 PCLMULQDQ, 4 x 128 bits" BM_Crc32Pclmul
row "CRC-32 VPCLMULQDQ, 4 x 256 bits" BM_Crc32Vpclmul256
row "CRC-32 VPCLMULQDQ, 4 x 512 bits" BM_Crc32Vpclmul512
row "CRC-32 UpdateCRC32 (dispatched)" BM_Crc32Dispatched
row "zlib crc32" BM_ZlibCrc32
row "MD5Update" BM_Md5Update
row "OpenSSL MD5 through EVP" BM_OpenSslMd5
printf '%-34s %10s\n' "openssl speed -evp md5" "$(awk -v k="$ossl_k" 'BEGIN { printf "%.2f", k * 1000 / 1e9 }')"

pct() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "-" && b > 0) printf "%.0f%%", 100 * a / b; else printf "-" }'; }
times() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "-" && b > 0) printf "%.1fx", a / b; else printf "-" }'; }
zlib=$(rate BM_ZlibCrc32/1048576)
echo
echo "PCLMULQDQ path: $(rate BM_Crc32Pclmul/1048576) GB/s, $(times "$(rate BM_Crc32Pclmul/1048576)" "$zlib") zlib (target 15 GB/s and 3x)"
echo "dispatched path: $(rate BM_Crc32Dispatched/1048576) GB/s, $(times "$(rate BM_Crc32Dispatched/1048576)" "$zlib") zlib"
echo "slicing-by-16: $(rate BM_Crc32Slice16/1048576) GB/s (target 3.5 GB/s)"
echo "MD5Update at 16 KiB: $(pct "$(rate BM_Md5Update/16384)" "$(awk -v k="$ossl_k" 'BEGIN { print k * 1000 / 1e9 }')") of openssl speed," \
  "$(pct "$(rate BM_Md5Update/16384)" "$(rate BM_OpenSslMd5/16384)") of EVP in the same process (target 95%)"
