#!/usr/bin/env bash
# The checksum primitives beside their peers, in one run: every CRC-32 path
# beside zlib's crc32, MD5Update beside OpenSSL's MD5 through EVP in the same
# process and beside `openssl speed -evp md5` (its 16 KiB column); SHA-1,
# SHA-256 and SHA-512 beside OpenSSL through EVP and `openssl speed -evp`;
# BLAKE3 on one thread beside `b3sum --num-threads 1` on a cached file. Rates
# are per CPU second on one core, as Google Benchmark and openssl speed count
# them; b3sum's figure is its wall time. Needs the native benchmark build
# (build/bench, or CORVANA_BENCH_NATIVE=DIR).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/common.sh
build=${CORVANA_BENCH_NATIVE:-build/bench}
for b in crc32_bench md5_bench digest_bench; do bench_need "$build/bench/$b" bench; done
min_time=${CORVANA_BENCH_MIN_TIME:-0.5}

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
"$build/bench/crc32_bench" --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null >"$csv"
"$build/bench/md5_bench" --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null |
  tail -n +2 >>"$csv"
# digest_bench's first run of each size includes its 64 MiB buffer.
"$build/bench/digest_bench" --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null |
  tail -n +2 >>"$csv"
# openssl speed's 16 KiB column, in thousands of bytes per second.
ossl_speed() { openssl speed -evp "$1" -seconds 3 2>/dev/null | awk -v a="$1" '$1 == a { v = $NF } END { sub(/k$/, "", v); print v }'; }
ossl_k=$(ossl_speed md5)
ossl_sha1_k=$(ossl_speed sha1)
ossl_sha256_k=$(ossl_speed sha256)
ossl_sha512_k=$(ossl_speed sha512)
# b3sum on one thread over a cached file (CORVANA_BENCH_MIB, else 1 GiB or
# 256 MiB on a small machine), fastest of three runs.
b3_dir=$(mktemp -d)
trap 'rm -f "$csv"; rm -rf "$b3_dir"' EXIT
bench_size_mib "$b3_dir" 2 3
head -c $((mib << 20)) /dev/urandom >"$b3_dir/data"
cat "$b3_dir/data" >/dev/null
b3_s=$(fastest b3sum --num-threads 1 "$b3_dir/data")
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
drow() { printf '%-34s %10s %10s\n' "$1" "$(rate "BM_$2/16384")" "$(rate "BM_$2/67108864")"; }
kgb() { awk -v k="$1" 'BEGIN { printf "%.2f", k * 1000 / 1e9 }'; }
echo
printf '%-34s %10s %10s\n' "GB/s per core" "16 KiB" "64 MiB"
drow "SHA-1 (dispatched)" Digest/Sha1
drow "SHA-1 portable" Digest/Sha1Portable
drow "OpenSSL SHA-1 through EVP" OpenSsl/Sha1
printf '%-34s %10s\n' "openssl speed -evp sha1" "$(kgb "$ossl_sha1_k")"
drow "SHA-256 (dispatched)" Digest/Sha256
drow "SHA-256 portable" Digest/Sha256Portable
drow "OpenSSL SHA-256 through EVP" OpenSsl/Sha256
printf '%-34s %10s\n' "openssl speed -evp sha256" "$(kgb "$ossl_sha256_k")"
drow "SHA-512 (dispatched)" Digest/Sha512
drow "SHA-512 portable" Digest/Sha512Portable
drow "OpenSSL SHA-512 through EVP" OpenSsl/Sha512
printf '%-34s %10s\n' "openssl speed -evp sha512" "$(kgb "$ossl_sha512_k")"
drow "BLAKE3 (dispatched)" Digest/Blake3
drow "BLAKE3 AVX-512, 16 chunks" Digest/Blake3Avx512
drow "BLAKE3 AVX2, 8 chunks" Digest/Blake3Avx2
drow "BLAKE3 SSE4.1, 4 chunks" Digest/Blake3Sse41
drow "BLAKE3 portable" Digest/Blake3Portable
printf '%-34s %10s %10s\n' "b3sum --num-threads 1 (wall)" "" "$(awk -v s="$b3_s" -v m="$mib" 'BEGIN { printf "%.2f", m * 1048576 / s / 1e9 }')"

pct() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "-" && b > 0) printf "%.0f%%", 100 * a / b; else printf "-" }'; }
times() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "-" && b > 0) printf "%.1fx", a / b; else printf "-" }'; }
zlib=$(rate BM_ZlibCrc32/1048576)
echo
echo "PCLMULQDQ path: $(rate BM_Crc32Pclmul/1048576) GB/s, $(times "$(rate BM_Crc32Pclmul/1048576)" "$zlib") zlib (target 15 GB/s and 3x)"
echo "dispatched path: $(rate BM_Crc32Dispatched/1048576) GB/s, $(times "$(rate BM_Crc32Dispatched/1048576)" "$zlib") zlib"
echo "slicing-by-16: $(rate BM_Crc32Slice16/1048576) GB/s (target 3.5 GB/s)"
for a in Sha1:sha1 Sha256:sha256 Sha512:sha512; do
  k_var=ossl_${a#*:}_k
  echo "${a%%:*} at 16 KiB: $(pct "$(rate "BM_Digest/${a%%:*}/16384")" "$(kgb "${!k_var}")") of openssl speed," \
    "$(pct "$(rate "BM_Digest/${a%%:*}/67108864")" "$(rate "BM_OpenSsl/${a%%:*}/67108864")") of EVP in the same process at 64 MiB" \
    "(target $([ "${a%%:*}" = Sha512 ] && echo 90 || echo 95)%)"
done
b3_ours=$(rate BM_Digest/Blake3/67108864)
echo "BLAKE3 one thread: $(awk -v r="$b3_ours" 'BEGIN { if (r != "-") printf "%.3f", 1.073741824 / r; else printf "-" }') s per GiB," \
  "b3sum --num-threads 1: $(awk -v s="$b3_s" -v m="$mib" 'BEGIN { printf "%.3f", s * 1024 / m }') s per cached GiB (target: no slower)"
echo "MD5Update at 16 KiB: $(pct "$(rate BM_Md5Update/16384)" "$(awk -v k="$ossl_k" 'BEGIN { print k * 1000 / 1e9 }')") of openssl speed," \
  "$(pct "$(rate BM_Md5Update/16384)" "$(rate BM_OpenSslMd5/16384)") of EVP in the same process (target 95%)"
